#include "id3v1_reader.h"

#include "cp932.h"
#include "music_files.h"
#include "program_folder.h"
#include "tag_record_printer.h"

#include <gtest/gtest.h>

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
     {.artist = "Artist", .title = "Title", .album = "Album", .release = "1999", .comment = "Comment"}},
    {"NUL padding keeps spaces before it",
     mp3File({.title = "Title  ", .artist = " Artist"}, 10),
     true,
     {.artist = " Artist", .title = "Title  "}},
    {"ID3v1.1 track number is not read",
     mp3File({.comment = "Comment", .padding = ' ', .track = 7}, 10),
     true,
     {.comment = "Comment" + QString(21, u' ')}},
    {"Shift-JIS texts",
     mp3File({.title = cp932::encode(u"夜明けのテーマ"), .artist = cp932::encode(u"テスト楽団①")}, 300),
     true,
     {.artist = u"テスト楽団①"_qs, .title = u"夜明けのテーマ"_qs}},
    {"full-length fields",
     mp3File({.title = QByteArray(40, 'x'), .year = "12345"}, 0),
     true,
     {.title = QString(30, u'x'), .release = "1234"}},
    {"no tag", QByteArray(1000, 'x'), false, {}},
    {"lower-case marker", "tag" + kFullTag.sliced(3), false, {}},
    {"tag not at the end", kFullTag + "x", false, {}},
    {"shorter file starting with TAG", kFullTag.first(3 + 30 + 30 + 5), true, {.artist = "A", .title = "T"}},
    {"shorter file with the marker only", "TAG", true, {}},
    {"shorter file without the marker", "xx" + kFullTag.first(100), false, {}},
    {"two bytes", "TA", false, {}},
    {"empty file", QByteArray(), false, {}},
};

TEST(Id3v1Reader, ReadsTheLast128Bytes) {
    const ProgramFolder folder;
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const QString path = folder.writeFile("song.mp3", c.file);
        TagRecord record{.artist = "stale", .album = "stale", .release = "stale", .minutes = 1, .seconds = 2};
        EXPECT_EQ(readId3v1Tags(path, record), c.hasTag);
        EXPECT_EQ(record, c.expected);
    }
}

TEST(Id3v1Reader, UnreadableFileHasNoTag) {
    const ProgramFolder folder;
    TagRecord record{.title = "stale"};
    EXPECT_FALSE(readId3v1Tags(folder.path() + "/absent.mp3", record));
    EXPECT_EQ(record.title, "");
    EXPECT_FALSE(readId3v1Tags(folder.path(), record));
}

}  // namespace
}  // namespace tunedeck
