// SPDX-License-Identifier: GPL-3.0-or-later
#include "id3v1_reader.h"

#include "tag_text.h"

#include <QByteArrayView>

#include <array>

namespace tunedeck {
namespace {

constexpr qint64 kTagSize = 128;

struct Field {
    qsizetype offset, size;
    QString TagRecord::*member;
};

// In the tag's order; the track number of ID3v1.1 lies inside the comment, behind its NUL, and the genre
// byte is not used.
constexpr Field kFields[] = {
    {3, 30, &TagRecord::title},   {33, 30, &TagRecord::artist},  {63, 30, &TagRecord::album},
    {93, 4, &TagRecord::release}, {97, 30, &TagRecord::comment},
};

}  // namespace

bool readId3v1Tags(MusicFile& file, TagRecord& record) {
    record = TagRecord{};
    std::array<char, kTagSize> tag;
    const qint64 length = file.size();
    const qint64 read = file.readAt(length >= kTagSize ? length - kTagSize : 0, tag);
    if (read < 3 || QByteArrayView(tag.data(), 3) != "TAG")
        return false;
    for (const Field& field : kFields) {
        if (field.offset + field.size <= read)
            record.*field.member = tagText(QByteArrayView(tag.data() + field.offset, field.size));
    }
    return true;
}

bool readId3v1Tags(const QString& path, TagRecord& record) {
    MusicFile file(path);
    return readId3v1Tags(file, record);
}

}  // namespace tunedeck
