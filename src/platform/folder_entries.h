// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>

namespace tunedeck {

// What an entry of a folder names, following symbolic links: a dangling link is neither a file nor a folder.
enum class EntryKind { File, Folder, Other };

// Calls `take` with every entry of `folder` but "." and "..", as the file system gives them: its name, held
// as a path (see local_path.h), and its kind. Nothing when the folder cannot be read.
void readFolder(QStringView folder, const std::function<void(QString name, EntryKind kind)>& take);

// Puts names held as paths in the order Windows' file system lists a folder: their shown texts (nameText)
// compared unit by unit of UTF-16, each unit in upper case, so that case does not count and "_" comes after
// the letters. Names equal in that keep the order of their bytes.
void sortByName(QStringList& names);

}  // namespace tunedeck
