// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulated_kind.h"

#include "player_texts.h"

namespace tunedeck {

PlayerEntry emulatedPlayerEntry() {
    return {.id = kEmulatedPlayerId,
            .variety = QStringLiteral("emulated"),
            .name = QStringLiteral("Rio500（エミュレーション）")};
}

PlayerKind emulatedKind() {
    return {.progId = kPlayerProgId,
            .plugin = QStringLiteral("Rio500Remix"),
            .idPrefix = kEmulatedPlayerId,
            .ownStore = true,
            .words = PlayerWords{.name = QStringLiteral("Rio"), .model = QStringLiteral("Rio500")},
            .missingComponent = player_texts::kEmulatorNotRegistered,
            .absent = [](const QString&, const QString&) { return emulatedPlayerEntry(); },
            .reachable = [](const PlayerEntry&) { return true; }};
}

}  // namespace tunedeck
