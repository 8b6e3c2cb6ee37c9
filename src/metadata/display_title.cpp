#include "display_title.h"

#include "id3v1_reader.h"
#include "music_file.h"
#include "rmp3_reader.h"
#include "title_format.h"

namespace tunedeck {

TagKind readTags(const QString& path, TagRecord& record) {
    MusicFile file(path);
    if (readRmp3Tags(file, record))
        return TagKind::Rmp3;
    return readId3v1Tags(file, record) ? TagKind::Id3v1 : TagKind::None;
}

QString readDisplayFormat(const SettingsFile& settings) {
    return settings.readString(QStringLiteral("DisplayFormat"), QStringLiteral("%1 - %2"));
}

QString displayTitleFor(const QString& path, TagRecord& record, QStringView format) {
    if (readTags(path, record) == TagKind::None)
        return fileNameOf(path);
    return formatDisplayTitle(format, path, record);
}

QString displayTitleFor(const QString& path, TagRecord& record, const SettingsFile& settings) {
    return displayTitleFor(path, record, readDisplayFormat(settings));
}

}  // namespace tunedeck
