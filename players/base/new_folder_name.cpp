// SPDX-License-Identifier: GPL-3.0-or-later
#include "new_folder_name.h"

#include "device_component.h"
#include "file_player_texts.h"
#include "local_path.h"
#include "player_texts.h"

namespace tunedeck {

QString folderNameFor(const QString& asked, const NameLimit& limit) {
    return fatSafeName(asked, {}, limit);
}

QString newFolderName(const QString& asked, const NameLimit& limit,
                      const std::function<QStringList()>& taken) {
    if (asked.trimmed().isEmpty())
        throw DeviceError(player_texts::kEmptyFolderName);
    const QString name = folderNameFor(asked, limit);
    if (containsIgnoringCase(taken(), name))
        throw DeviceError(file_player_texts::kFolderExists + nameText(name));
    return name;
}

}  // namespace tunedeck
