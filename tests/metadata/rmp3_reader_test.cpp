#include "rmp3_reader.h"

#include "cp932.h"
#include "music_files.h"
#include "program_folder.h"
#include "tag_record_printer.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tunedeck {
namespace {

using namespace testing;

QByteArray bytes(const char* text, qsizetype size) {
    return QByteArray(text, size);
}

struct Case {
    const char* name;
    QByteArray file;
    bool isRmp3;
    TagRecord expected;
};

const QByteArray kInfoFile = rmp3File({
    riffChunk("fmt ", "abc"),  // odd size: the LIST lies behind a pad byte
    listChunk({
        riffChunk("IART", cp932::encode(u"テスト楽団") + '\0'),
        riffChunk("INAM", "Hello"),
        riffChunk("IPRD", bytes("Album\0", 6)),
        riffChunk("ICRD", "1999"),
        riffChunk("ICMT", "  live  "),
        riffChunk("ISFT", "ignored"),
    }),
    riffChunk("data", QByteArray(33, 'x')),
});

const Case kCases[] = {
    {"all five texts, Shift-JIS included",
     kInfoFile,
     true,
     {.artist = u"テスト楽団"_s,
      .title = u"Hello"_s,
      .album = u"Album"_s,
      .release = u"1999"_s,
      .comment = u"live"_s}},
    {"no LIST chunk", rmp3File({riffChunk("data", "abcd")}), true, {}},
    {"header only", rmp3File({}), true, {}},
    {"RIFF size not used",
     rmp3File({listChunk({riffChunk("INAM", "x")})}, 0xFFFFFFFF),
     true,
     {.title = u"x"_s}},
    {"another form type", "RIFF" + le32(16) + "WAVE" + listChunk({riffChunk("INAM", "x")}), false, {}},
    {"lower-case riff", "riff" + le32(4) + "RMP3", false, {}},
    {"ends before 12 bytes", bytes("RIFF\4\0\0\0RMP", 11), false, {}},
    {"empty file", QByteArray(), false, {}},
    {"word and zero pad byte",
     rmp3File({listChunk({riffChunk("INAM", "Hello")})}),
     true,
     {.title = u"Hello"_s}},
    {"pad byte read with the text",
     rmp3File({listChunk({riffChunkClaiming("INAM", 5, "Hellox")})}),
     true,
     {.title = u"Hellox"_s}},
    {"word without NUL", rmp3File({listChunk({riffChunk("INAM", "Word")})}), true, {.title = u"Word"_s}},
    {"spaces before NUL stay",
     rmp3File({listChunk({riffChunk("INAM", bytes("Word  \0", 7))})}),
     true,
     {.title = u"Word  "_s}},
    {"later sub-chunk replaces",
     rmp3File({listChunk({riffChunk("IART", "one"), riffChunk("IART", "two")})}),
     true,
     {.artist = u"two"_s}},
    {"two LIST chunks",
     rmp3File({listChunk({riffChunk("IART", "one"), riffChunk("INAM", "kept")}), riffChunk("data", "12345"),
               listChunk({riffChunk("IART", "two")})}),
     true,
     {.artist = u"two"_s, .title = u"kept"_s}},
    {"any list type reads as INFO",
     rmp3File({listChunk({riffChunk("INAM", "x")}, "adtl")}),
     true,
     {.title = u"x"_s}},
    {"last sub-chunk of size 0 not read",
     rmp3File({listChunk({riffChunk("INAM", "first"), riffChunk("INAM", "")})}),
     true,
     {.title = u"first"_s}},
    {"LIST holding only its type reads the next chunk as a sub-chunk",
     rmp3File({riffChunk("LIST", "INFO"), riffChunk("INAM", "next")}),
     true,
     {.title = u"next"_s}},
    {"LIST size covering one sub-chunk",
     rmp3File(
         {riffChunkClaiming("LIST", 4 + 8 + 4, "INFO" + riffChunk("INAM", "name") + riffChunk("IART", "a"))}),
     true,
     {.title = u"name"_s}},
    {"LIST larger than one read ahead, its long text read in part",
     rmp3File({listChunk({riffChunk("ICMT", QByteArray(70'000, 'c')), riffChunk("INAM", "late")})}),
     true,
     {.title = u"late"_s, .comment = QString(65'536, u'c')}},
    {"text read in part ends on a whole character",
     rmp3File({listChunk({riffChunk("INAM", QByteArray(65'535, 'a') + cp932::encode(u"あいう"))})}),
     true,
     {.title = QString(65'535, u'a')}},
    {"LIST behind tens of thousands of chunks",
     rmp3File({riffChunk("JUNK", "").repeated(60'000), listChunk({riffChunk("INAM", "x")})}),
     true,
     {.title = u"x"_s}},
    {"LIST behind more chunks than the walk reads",
     rmp3File({riffChunk("JUNK", "").repeated(65'536), listChunk({riffChunk("INAM", "x")})}),
     true,
     {}},
    {"LIST holding more empty sub-chunks than the walk reads",
     rmp3File({listChunk({riffChunk("JUNK", "").repeated(65'536), riffChunk("INAM", "x")})}),
     true,
     {}},
    {"LIST holding more long texts than the walk reads",
     rmp3File({listChunk({riffChunk("IART", QByteArray(65'536, 'a')).repeated(8), riffChunk("INAM", "x")})}),
     true,
     {.artist = QString(65'536, u'a')}},
    {"ends inside a chunk header",
     rmp3File({listChunk({riffChunk("INAM", "x")}), "LIS"}),
     true,
     {.title = u"x"_s}},
    {"ends inside the list type", rmp3File({riffChunkClaiming("LIST", 20, "IN")}), true, {}},
    {"ends one byte into a sub-chunk's text",
     rmp3File({riffChunkClaiming("LIST", 40,
                                 "INFO" + riffChunk("INAM", "kept") + riffChunkClaiming("IART", 6, "a"))}),
     true,
     {.title = u"kept"_s}},
    {"odd text without its pad byte at the end",
     rmp3File({riffChunkClaiming("LIST", 13, "INFO" + riffChunkClaiming("INAM", 5, "Hello"))}),
     true,
     {}},
    {"chunk size with the top bit set",
     rmp3File({riffChunkClaiming("data", 0x80000000, "ab"), listChunk({riffChunk("INAM", "x")})}),
     true,
     {}},
    {"sub-chunk size with the top bit set",
     rmp3File({listChunk({riffChunk("INAM", "kept"), riffChunkClaiming("IART", 0xFFFFFFF0, "a")})}),
     true,
     {.title = u"kept"_s}},
    {"padded size beyond 32 bits", rmp3File({riffChunkClaiming("LIST", 0x7FFFFFFF, "INFO")}), true, {}},
    {"largest size skips past the end",
     rmp3File({listChunk({riffChunk("INAM", "x")}), riffChunkClaiming("data", 0x7FFFFFFE, "ab")}),
     true,
     {.title = u"x"_s}},
    {"sub-chunk text beyond the end",
     rmp3File({listChunk({riffChunk("INAM", "x"), riffChunkClaiming("IART", 0x7FFFFFFE, "a")})}),
     true,
     {.title = u"x"_s}},
};

TEST(Rmp3Reader, ReadsInfoTextsAndStopsQuietlyAtDamage) {
    const ProgramFolder folder;
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const QString path = folder.writeFile(u"song.rmp"_s, c.file);
        TagRecord record{
            .artist = u"stale"_s, .title = u"stale"_s, .comment = u"stale"_s, .minutes = 3, .seconds = 4};
        EXPECT_EQ(readRmp3Tags(path, record), c.isRmp3);
        EXPECT_EQ(record, c.expected);
    }
}

// No chunk of a RIFF file can start past the reach of a 32-bit size; a file that goes on is not walked
// further. Sparse, so that it takes no room on the disk.
TEST(Rmp3Reader, WalkEndsWhereNoRiffChunkCanStart) {
    const ProgramFolder folder;
    const QString path = folder.writeFile(u"far.rmp"_s, rmp3File({}));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const qint64 huge = 0x7FFF'FFFE;
    qint64 offset = 12;
    for (int i = 0; i < 2; ++i, offset += 8 + huge)
        ASSERT_TRUE(file.seek(offset) && file.write("data" + le32(quint32(huge))) == 8);
    ASSERT_GT(offset, 8 + 0xFFFF'FFFFLL);
    const QByteArray list = listChunk({riffChunk("INAM", "far")});
    ASSERT_TRUE(file.seek(offset) && file.write(list) == list.size());
    file.close();

    TagRecord record;
    EXPECT_TRUE(readRmp3Tags(path, record));
    EXPECT_EQ(record.title, u""_s);
}

TEST(Rmp3Reader, MissingFileIsNotOne) {
    const ProgramFolder folder;
    TagRecord record{.title = u"stale"_s};
    EXPECT_FALSE(readRmp3Tags(folder.path() + u"/absent.rmp"_s, record));
    EXPECT_EQ(record.title, u""_s);
    EXPECT_FALSE(readRmp3Tags(folder.path(), record));  // a folder
}

}  // namespace
}  // namespace tunedeck
