// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "mtp_devices.h"
#include "player_kind.h"

namespace tunedeck {

// The ProgID of MTP players.
inline const QString kMtpProgId = QStringLiteral("Tunedeck.Mtp");

// The entry of an MTP player: named as it names itself.
PlayerEntry mtpPlayerEntry(const MtpDevice& device);

// MTP players, as udev marks them.
PlayerKind mtpKind();

}  // namespace tunedeck
