// SPDX-License-Identifier: GPL-3.0-or-later
#include "write_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace tunedeck {

QString unwritableFolderText(const QString& folder) {
    return QStringLiteral("保存先フォルダに書き込めません。 ") + QDir::toNativeSeparators(folder);
}

WriteFolder chooseWriteFolder(const QString& programFolder, bool programFolderWritable,
                              const QString& dataHome) {
    if (programFolderWritable)
        return {programFolder, {}};
    const QString folder = dataHome + QStringLiteral("/tunedeck");
    if (QDir().mkpath(folder) && QFileInfo(folder).isWritable())
        return {folder, {}};
    return {folder, unwritableFolderText(folder)};
}

WriteFolder runningProgramWriteFolder(const QString& programFolder) {
    // The user's own access rights, as the system checks them: root may write anywhere.
    return chooseWriteFolder(programFolder, QFileInfo(programFolder).isWritable(),
                             QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
}

}  // namespace tunedeck
