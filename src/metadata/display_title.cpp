// SPDX-License-Identifier: GPL-3.0-or-later
#include "display_title.h"

#include "id3v1_reader.h"
#include "music_file.h"
#include "rmp3_reader.h"
#include "title_format.h"

namespace tunedeck {

TagKind readTags(MusicFile& file, TagRecord& record) {
    if (readRmp3Tags(file, record))
        return TagKind::Rmp3;
    return readId3v1Tags(file, record) ? TagKind::Id3v1 : TagKind::None;
}

TagKind readTags(const QString& path, TagRecord& record) {
    MusicFile file(path);
    return readTags(file, record);
}

QString displayTitleOf(TagKind kind, const QString& path, const TagRecord& record, QStringView format) {
    return kind == TagKind::None ? fileNameOf(path) : formatDisplayTitle(format, path, record);
}

QString displayTitleFor(MusicFile& file, const QString& path, TagRecord& record, QStringView format) {
    const TagKind kind = readTags(file, record);
    return displayTitleOf(kind, path, record, format);
}

QString displayTitleFor(const QString& path, TagRecord& record, QStringView format) {
    MusicFile file(path);
    return displayTitleFor(file, path, record, format);
}

QString displayTitleFor(const QString& path, TagRecord& record, const SettingsFile& settings) {
    return displayTitleFor(path, record, readDisplayFormat(settings));
}

}  // namespace tunedeck
