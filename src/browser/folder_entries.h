#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

namespace tunedeck {

// What a folder holds, as the file system gives it: every name, held as a path (see local_path.h), and
// what it names, following symbolic links: a dangling link is neither a file nor a folder.
struct FolderEntry {
    enum class Kind { File, Folder, Other };
    QString name;
    Kind kind;
};

// Without "." and "..". Empty when the folder cannot be read.
std::vector<FolderEntry> folderEntries(QStringView folder);

// A name of the computer pane: held as a path, and as it is shown.
struct ShownName {
    QString name;
    QString text;
};

// `names` in the order Windows' file system lists a folder: the shown names compared unit by unit of
// UTF-16, each unit in upper case, so that case does not count and "_" comes after the letters. Names equal
// in that keep the order of their bytes.
std::vector<ShownName> inNameOrder(const QStringList& names);

}  // namespace tunedeck
