// SPDX-License-Identifier: GPL-3.0-or-later
#include "player_directory.h"

#include "entry_order.h"

#include <QDir>

namespace tunedeck {

PlayerEntry emulatedPlayerEntry() {
    return {.id = kEmulatedPlayerId,
            .progId = kPlayerProgId,
            .kind = QStringLiteral("emulated"),
            .name = QStringLiteral("Rio500（エミュレーション）")};
}

PlayerEntry folderPlayerEntry(const QString& folder) {
    const QString path = QDir::cleanPath(QDir(folder).absolutePath());
    return {.id = path,
            .progId = kMassStorageProgId,
            .kind = QStringLiteral("folder"),
            .name = QDir::toNativeSeparators(path),
            .memories = {path},
            .keepsEntryOrder = folderKeepsEntryOrder(path)};
}

}  // namespace tunedeck
