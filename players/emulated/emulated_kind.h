// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "player_kind.h"

namespace tunedeck {

// The ProgID of the emulated player, the program's own.
inline const QString kPlayerProgId = QStringLiteral("Rio500Remix.Rio500");
// The emulated player's id.
inline const QString kEmulatedPlayerId = QStringLiteral("emulated");

PlayerEntry emulatedPlayerEntry();

// The emulated player: always there, on a store in the folder the program writes.
PlayerKind emulatedKind();

}  // namespace tunedeck
