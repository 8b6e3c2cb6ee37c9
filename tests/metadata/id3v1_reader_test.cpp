#include "id3v1_reader.h"

#include "cp932.h"
#include "music_files.h"
#include "program_folder.h"
#include "tag_record_printer.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tunedeck {
namespace {

using namespace testing;

struct Case {
    const char* name;
    QByteArray file;
    bool hasTag;
    TagRecord expected;
};

const Id3v1Fields kSpacePadded{.title = "Title",
                               .artist = "Artist",
                               .album = "Album",
                               .year = "1999",
                               .comment = "Comment",
                               .padding = ' '};
const QByteArray kFullTag =
    id3v1Tag({.title = "T", .artist = "A", .album = "B", .year = "2001", .comment = "C"});

const Case kCases[] = {
    {"space padding is trimmed",
     mp3File(kSpacePadded, 1000),
     true,
     {.artist = u"Artist"_s,
      .title = u"Title"_s,
      .album = u"Album"_s,
      .release = u"1999"_s,
      .comment = u"Comment"_s}},
    {"NUL padding keeps spaces before it",
     mp3File({.title = "Title  ", .artist = " Artist"}, 10),
     true,
     {.artist = u" Artist"_s, .title = u"Title  "_s}},
    {"ID3v1.1 track number is not read",
     mp3File({.comment = "Comment", .padding = ' ', .track = 7}, 10),
     true,
     {.comment = u"Comment"_s + QString(21, u' ')}},
    {"Shift-JIS texts",
     mp3File({.title = cp932::encode(u"夜明けのテーマ"), .artist = cp932::encode(u"テスト楽団①")}, 300),
     true,
     {.artist = u"テスト楽団①"_s, .title = u"夜明けのテーマ"_s}},
    {"full-length fields",
     mp3File({.title = QByteArray(40, 'x'), .year = "12345"}, 0),
     true,
     {.title = QString(30, u'x'), .release = u"1234"_s}},
    {"no tag", QByteArray(1000, 'x'), false, {}},
    {"lower-case marker", "tag" + kFullTag.sliced(3), false, {}},
    {"tag not at the end", kFullTag + "x", false, {}},
    {"shorter file starting with TAG",
     kFullTag.first(3 + 30 + 30 + 5),
     true,
     {.artist = u"A"_s, .title = u"T"_s}},
    {"shorter file with the marker only", "TAG", true, {}},
    {"shorter file without the marker", "xx" + kFullTag.first(100), false, {}},
    {"two bytes", "TA", false, {}},
    {"empty file", QByteArray(), false, {}},
};

TEST(Id3v1Reader, ReadsTheLast128Bytes) {
    const ProgramFolder folder;
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const QString path = folder.writeFile(u"song.mp3"_s, c.file);
        TagRecord record{
            .artist = u"stale"_s, .album = u"stale"_s, .release = u"stale"_s, .minutes = 1, .seconds = 2};
        EXPECT_EQ(readId3v1Tags(path, record), c.hasTag);
        EXPECT_EQ(record, c.expected);
    }
}

TEST(Id3v1Reader, UnreadableFileHasNoTag) {
    const ProgramFolder folder;
    TagRecord record{.title = u"stale"_s};
    EXPECT_FALSE(readId3v1Tags(folder.path() + u"/absent.mp3"_s, record));
    EXPECT_EQ(record.title, u""_s);
    EXPECT_FALSE(readId3v1Tags(folder.path(), record));
}

}  // namespace
}  // namespace tunedeck
