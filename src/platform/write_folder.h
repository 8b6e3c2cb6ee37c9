// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tunedeck {

// Where the program writes its settings file, its downloaded songs and the emulated player's store.
struct WriteFolder {
    QString path;
    QString problem;  // empty, or the status text saying that the folder cannot be written
};

// The status text saying that `folder` cannot be written.
QString unwritableFolderText(const QString& folder);

// The program's own folder when the user may write there (the build folder, a portable copy); otherwise the
// per-user folder `dataHome`/tunedeck, as Windows redirects the writes of a program kept in a protected
// folder. The per-user folder is made when missing; when it cannot be made or written, `problem` says so and
// the program writes nothing: every write there fails, and a settings file already there stays as it is.
WriteFolder chooseWriteFolder(const QString& programFolder, bool programFolderWritable,
                              const QString& dataHome);

// The choice for the running program: whether its folder grants the user write access, and $XDG_DATA_HOME
// (by default ~/.local/share). Made once at start-up; the rest of the program is handed the result.
WriteFolder runningProgramWriteFolder(const QString& programFolder);

}  // namespace tunedeck
