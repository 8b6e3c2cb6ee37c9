// SPDX-License-Identifier: GPL-3.0-or-later
#include "music_file_listing.h"

#include "display_title.h"
#include "folder_entries.h"
#include "local_path.h"
#include "music_file.h"
#include "number_format.h"

namespace tunedeck {

bool isMusicFileName(const QString& name) {
    return name.endsWith(u".mp3", Qt::CaseInsensitive) || name.endsWith(u".rmp", Qt::CaseInsensitive);
}

QStringList musicFileNames(const QString& folder) {
    QStringList files;
    readFolder(folder, [&files](QString name, EntryKind kind) {
        if (kind == EntryKind::File && !name.startsWith(u'.') && isMusicFileName(name))
            files.append(std::move(name));
    });
    sortByName(files);
    return files;
}

// The size from the file opened for its tags, which knows it already; a file that cannot be opened is
// measured all the same.
FileListRow fileListRow(const QString& folder, const QString& name, QStringView displayFormat) {
    const QString path = folder + name;
    MusicFile file(path);
    TagRecord record;
    displayTitleFor(file, path, record, displayFormat);
    const qint64 size = file.isOpen() ? file.size() : fileSize(path);
    return {.artist = record.artist,
            .title = record.title,
            .size = size >= 0 ? kilobyteText(size) : QString(),
            .bytes = size};
}

}  // namespace tunedeck
