// SPDX-License-Identifier: GPL-3.0-or-later
#include "folder_path.h"

#include <QDir>

namespace tunedeck {

QString withSeparator(const QString& folder) {
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

QString folderUp(const QString& folder, const QString& driveRoot) {
    if (QDir::cleanPath(folder) == QDir::cleanPath(driveRoot))
        return folder;
    const qsizetype last = folder.lastIndexOf(u'/');
    return last < 0 ? folder : folder.left(last + 1);
}

}  // namespace tunedeck
