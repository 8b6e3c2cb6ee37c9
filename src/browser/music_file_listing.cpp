#include "music_file_listing.h"

#include "display_title.h"
#include "local_path.h"
#include "number_format.h"

#include <sys/stat.h>

namespace tunedeck {

bool isMusicFileName(const QString& name) {
    const QString ending = name.right(4).toUpper();
    return ending == QStringLiteral(".MP3") || ending == QStringLiteral(".RMP");
}

std::vector<ShownName> musicFileNames(const QString& folder) {
    QStringList names;
    for (const FolderEntry& entry : folderEntries(folder))
        if (entry.kind == FolderEntry::Kind::File && !entry.name.startsWith(u'.') &&
            isMusicFileName(entry.name))
            names.append(entry.name);
    return inNameOrder(names);
}

FileListRow fileListRow(const QString& folder, const QString& name, QStringView displayFormat) {
    const QString path = folder + name;
    TagRecord record;
    displayTitleFor(path, record, displayFormat);
    // A plain stat: QFileInfo costs as much again as the stat itself, and the fill does this for every file.
    struct stat file {};
    const bool present = ::stat(NativePath(path).c_str(), &file) == 0;
    return {.artist = record.artist,
            .title = record.title,
            .size = present ? kilobyteText(file.st_size) : QString()};
}

}  // namespace tunedeck
