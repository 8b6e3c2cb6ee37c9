#include "cp932.h"
#include "display_title.h"
#include "music_files.h"
#include "qt_printers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tunedeck {

namespace {

using namespace testing;

QByteArray inam(QByteArrayView text) {
    return riffChunk("INAM", text);
}

int openDescriptors() {
    // Every kind of entry: a descriptor open on a folder shows as a link to a folder.
    return int(
        QDir(u"/proc/self/fd"_s).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size());
}

const QByteArray kTag = id3v1Tag({.title = "Tag Title", .artist = "Tag Artist"});

// The record's texts as artist|title|album|release|comment.
QString texts(const TagRecord& r) {
    return QStringList{r.artist, r.title, r.album, r.release, r.comment}.join(u'|');
}

struct Case {
    const char* name;
    QByteArray file;
    TagKind kind;
    QString texts;
};

const Case kCases[] = {
    {"RMP3 texts, an ID3v1 tag behind them unread",
     rmp3File({riffChunk("fmt ", "abc"),  // odd size: the LIST lies behind a pad byte
               listChunk({riffChunk("IART", cp932::encode(u"テスト楽団 ") + '\0'), inam("Hello"),
                          riffChunk("IPRD", QByteArray("Album\0", 6)), riffChunk("ICRD", "1999"),
                          riffChunk("ICMT", "  live  "), riffChunk("ISFT", "ignored")}),
               riffChunk("data", QByteArray(33, 'x'))}) +
         kTag,
     TagKind::Rmp3, u"テスト楽団 |Hello|Album|1999|live"_s},
    {"RMP3 without LIST, an ID3v1 tag behind", rmp3File({riffChunk("data", "abcd")}) + kTag, TagKind::Rmp3,
     u"||||"_s},
    {"RIFF size not used", rmp3File({listChunk({inam("x")})}, 0xFFFFFFFF), TagKind::Rmp3, u"|x|||"_s},
    {"odd size read with its pad byte", rmp3File({listChunk({riffChunkClaiming("INAM", 5, "Hellox")})}),
     TagKind::Rmp3, u"|Hellox|||"_s},
    {"two LIST chunks of any list type, later texts replacing",
     rmp3File({listChunk({riffChunk("IART", "one"), inam("kept")}), riffChunk("data", "12345"),
               listChunk({riffChunk("IART", "two")}, "adtl")}),
     TagKind::Rmp3, u"two|kept|||"_s},
    {"last sub-chunk of size 0 not read", rmp3File({listChunk({inam("first"), inam("")})}), TagKind::Rmp3,
     u"|first|||"_s},
    {"LIST holding only its type reads the next chunk as a sub-chunk",
     rmp3File({riffChunk("LIST", "INFO"), inam("next")}), TagKind::Rmp3, u"|next|||"_s},
    {"LIST size covering one sub-chunk",
     rmp3File({riffChunkClaiming("LIST", 4 + 8 + 4, "INFO" + inam("name") + riffChunk("IART", "a"))}),
     TagKind::Rmp3, u"|name|||"_s},
    {"LIST larger than one read ahead, its long text cut at 64 KiB",
     rmp3File({listChunk({riffChunk("ICMT", QByteArray(70'000, 'c')), inam("late")})}), TagKind::Rmp3,
     u"|late|||"_s + QString(65'536, u'c')},
    {"text cut on a whole character",
     rmp3File({listChunk({inam(QByteArray(65'535, 'a') + cp932::encode(u"あい"))})}), TagKind::Rmp3,
     u"|"_s + QString(65'535, u'a') + u"|||"_s},
    {"LIST behind tens of thousands of chunks",
     rmp3File({riffChunk("JUNK", "").repeated(60'000), listChunk({inam("x")})}), TagKind::Rmp3, u"|x|||"_s},
    {"LIST behind more chunks than the walk reads",
     rmp3File({riffChunk("JUNK", "").repeated(65'536), listChunk({inam("x")})}), TagKind::Rmp3, u"||||"_s},
    {"LIST holding more empty sub-chunks than the walk reads",
     rmp3File({listChunk({riffChunk("JUNK", "").repeated(65'536), inam("x")})}), TagKind::Rmp3, u"||||"_s},
    {"LIST holding more long texts than the walk reads",
     rmp3File({listChunk({riffChunk("IART", QByteArray(65'536, 'a')).repeated(8), inam("x")})}),
     TagKind::Rmp3, QString(65'536, u'a') + u"||||"_s},
    {"ends inside the list type", rmp3File({riffChunkClaiming("LIST", 20, "IN")}), TagKind::Rmp3, u"||||"_s},
    {"a text the end cuts short sets nothing",
     rmp3File({riffChunkClaiming("LIST", 40, "INFO" + inam("kept") + riffChunkClaiming("IART", 5, "Hello"))}),
     TagKind::Rmp3, u"|kept|||"_s},
    {"chunk size with the top bit set",
     rmp3File({riffChunkClaiming("data", 0x80000000, "ab"), listChunk({inam("x")})}), TagKind::Rmp3,
     u"||||"_s},
    {"sub-chunk size with the top bit set",
     rmp3File({listChunk({inam("kept"), riffChunkClaiming("IART", 0xFFFFFFF0, "a")})}), TagKind::Rmp3,
     u"|kept|||"_s},
    {"padded size beyond 31 bits", rmp3File({riffChunkClaiming("LIST", 0x7FFFFFFF, "INFO" + inam("x"))}),
     TagKind::Rmp3, u"||||"_s},
    {"lower-case riff", "riff" + le32(4) + "RMP3" + kTag, TagKind::Id3v1, u"Tag Artist|Tag Title|||"_s},
    {"wave file", "RIFF" + le32(16) + "WAVE" + listChunk({inam("x")}) + kTag, TagKind::Id3v1,
     u"Tag Artist|Tag Title|||"_s},
    {"ends before 12 bytes", QByteArray("RIFF\4\0\0\0RMP", 11), TagKind::None, u"||||"_s},
    {"ID3v1 padded with spaces, only they trimmed; a field full, one blank",
     mp3File({.title = QByteArray(30, 'x'),
              .artist = " Artist",
              .album = cp932::encode(u"\u3000Album"),
              .year = "1999",
              .padding = ' '},
             1000),
     TagKind::Id3v1, u"Artist|"_s + QString(30, u'x') + u"|\u3000Album|1999|"_s},
    {"ID3v1 padded with NULs, keeping the spaces before them; the ID3v1.1 track not read",
     mp3File({.title = "Title  ",
              .artist = " Artist",
              .album = cp932::encode(u"夜明け①"),
              .comment = "C",
              .track = 7},
             10),
     TagKind::Id3v1, u" Artist|Title  |夜明け①||C"_s},
    {"file shorter than a tag, starting with one", kTag.first(3 + 30 + 30 + 5), TagKind::Id3v1,
     u"Tag Artist|Tag Title|||"_s},
    {"lower-case marker", "tag" + kTag.sliced(3), TagKind::None, u"||||"_s},
    {"tag not at the end", kTag + "x", TagKind::None, u"||||"_s},
    {"two bytes", "TA", TagKind::None, u"||||"_s},
    {"empty", QByteArray(), TagKind::None, u"||||"_s},
};

TEST(ReadTags, Rmp3ThenId3v1StoppingQuietlyAtDamageAndClosingEveryFile) {
    const QTemporaryDir folder;
    const int descriptors = openDescriptors();
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const QString path = writeFile(folder.filePath(u"song"_s), c.file);
        TagRecord record{.artist = u"stale"_s, .title = u"stale"_s, .minutes = 3, .seconds = 4};
        EXPECT_EQ(readTags(path, record), c.kind);
        EXPECT_EQ(texts(record), c.texts);
        EXPECT_EQ(record.minutes + record.seconds, 0);
    }
    for (const QString& unreadable : {folder.filePath(u"absent"_s), folder.path()}) {
        TagRecord record{.title = u"stale"_s};
        EXPECT_EQ(readTags(unreadable, record), TagKind::None);
        EXPECT_EQ(record, TagRecord{});
    }
    EXPECT_EQ(openDescriptors(), descriptors);
}

// No chunk of a RIFF file can start past the reach of a 32-bit size; a file that goes on is not walked
// further. Sparse, so that it takes no room on the disk.
TEST(ReadTags, Rmp3WalkEndsWhereNoRiffChunkCanStart) {
    const QTemporaryDir folder;
    QFile file(writeFile(folder.filePath(u"far.rmp"_s), rmp3File({})));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const qint64 huge = 0x7FFF'FFFE;
    qint64 offset = 12;
    for (int i = 0; i < 2; ++i, offset += 8 + huge)
        ASSERT_TRUE(file.seek(offset) && file.write("data" + le32(quint32(huge))) == 8);
    ASSERT_GT(offset, 8 + 0xFFFF'FFFFLL);
    const QByteArray list = listChunk({inam("far")});
    ASSERT_TRUE(file.seek(offset) && file.write(list) == list.size());
    file.close();

    TagRecord record;
    EXPECT_EQ(readTags(file.fileName(), record), TagKind::Rmp3);
    EXPECT_EQ(record.title, u""_s);
}

}  // namespace
}  // namespace tunedeck
