#include "music_file_listing.h"

#include "display_title.h"
#include "number_format.h"

#include <QDirIterator>
#include <QFile>

#include <sys/stat.h>

namespace tunedeck {

bool isMusicFileName(const QString& name) {
    const QString ending = name.right(4).toUpper();
    return ending == QStringLiteral(".MP3") || ending == QStringLiteral(".RMP");
}

QStringList musicFileNames(const QString& folder) {
    QStringList names;
    QDirIterator entries(folder, QDir::Files);
    while (entries.hasNext()) {
        const QString name = entries.nextFileInfo().fileName();
        if (isMusicFileName(name))
            names.append(name);
    }
    return names;
}

FileListRow fileListRow(const QString& folder, const QString& name, QStringView displayFormat) {
    const QString path = folder + name;
    TagRecord record;
    displayTitleFor(path, record, displayFormat);
    // A plain stat: QFileInfo costs as much again as the stat itself, and the fill does this for every file.
    struct stat file {};
    const bool present = ::stat(QFile::encodeName(path).constData(), &file) == 0;
    return {.artist = record.artist,
            .title = record.title,
            .size = present ? kilobyteText(file.st_size) : QString()};
}

}  // namespace tunedeck
