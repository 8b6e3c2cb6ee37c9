// SPDX-License-Identifier: GPL-3.0-or-later
#include "sync_folder_name.h"

#include "local_path.h"

#include <QDir>

namespace tunedeck {

QString syncFolderName(const QString& folder, const QString& driveRoot, const QString& driveName) {
    const QString clean = QDir::cleanPath(folder);
    const QString own = clean == QDir::cleanPath(driveRoot) ? QString() : clean.section(u'/', -1);
    if (!own.isEmpty())
        return nameText(own);
    return driveName.isEmpty() ? QStringLiteral("新しいフォルダ") : driveName;
}

}  // namespace tunedeck
