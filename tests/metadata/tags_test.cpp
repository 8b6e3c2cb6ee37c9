#include "cp932.h"
#include "display_title.h"
#include "music_files.h"
#include "qt_printers.h"

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tunedeck {
namespace {

using namespace testing;

QByteArray inam(QByteArrayView text) {
    return riffChunk("INAM", text);
}

QByteArray junk(int count) {
    return riffChunk("JUNK", "").repeated(count);
}

int openDescriptors() {
    // Every kind of entry: a descriptor open on a folder shows as a link to a folder.
    return int(
        QDir(u"/proc/self/fd"_s).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size());
}

const QByteArray kTag = id3v1Tag({.title = "Tag Title", .artist = "Tag Artist"});
const QString kTagTexts = u"Tag Artist|Tag Title|||"_s;

// A file and what reading it gives: the kind and the texts as artist|title|album|release|comment.
const struct Case {
    const char* name;
    QByteArray file;
    TagKind kind;
    QString texts;
} kCases[] = {
    {"RMP3 texts behind a pad byte, a second LIST of another type replacing, RIFF size and ID3v1 tag unread",
     rmp3File({riffChunk("fmt ", "abc"),
               listChunk({riffChunk("IART", cp932::encode(u"テスト楽団 ") + '\0'),
                          riffChunkClaiming("INAM", 5, "Hellox"), riffChunk("IPRD", "one"),
                          riffChunk("ICRD", "1999"), riffChunk("ICMT", "  live  "), riffChunk("ISFT", "x")}),
               riffChunk("data", QByteArray(33, 'x')), listChunk({riffChunk("IPRD", "two")}, "adtl")},
              4) +
         kTag,
     TagKind::Rmp3, u"テスト楽団 |Hellox|two|1999|live"_s},
    {"last sub-chunk of size 0 not read", rmp3File({listChunk({inam("first"), inam("")})}), TagKind::Rmp3,
     u"|first|||"_s},
    {"LIST holding only its type reads the next chunk as a sub-chunk",
     rmp3File({riffChunk("LIST", "INFO"), inam("next")}), TagKind::Rmp3, u"|next|||"_s},
    {"LIST beyond one read ahead: a long text cut at 64 KiB, another on a whole character",
     rmp3File(
         {listChunk({riffChunk("ICMT", QByteArray(70'000, 'c')),
                     inam(QByteArray(65'535, 'a') + cp932::encode(u"あい")), riffChunk("IART", "late")})}),
     TagKind::Rmp3, u"late|"_s + QString(65'535, u'a') + u"|||"_s + QString(65'536, u'c')},
    // Floods: the walk stops, and an RMP3 file is still not read for its ID3v1 tag.
    {"LIST behind more chunks than the walk reads", rmp3File({junk(65'536), listChunk({inam("x")})}) + kTag,
     TagKind::Rmp3, u"||||"_s},
    {"LIST holding more empty sub-chunks than the walk reads",
     rmp3File({listChunk({junk(65'536), inam("x")})}), TagKind::Rmp3, u"||||"_s},
    {"LIST holding more long texts than the walk reads",
     rmp3File({listChunk({riffChunk("IART", QByteArray(65'536, 'a')).repeated(8), inam("x")})}),
     TagKind::Rmp3, QString(65'536, u'a') + u"||||"_s},
    // Damage: the walk stops quietly with what it has.
    {"ends inside the list type", rmp3File({riffChunkClaiming("LIST", 20, "IN")}), TagKind::Rmp3, u"||||"_s},
    {"a text the end cuts short sets nothing",
     rmp3File({riffChunkClaiming("LIST", 40, "INFO" + inam("kept") + riffChunkClaiming("IART", 5, "Hello"))}),
     TagKind::Rmp3, u"|kept|||"_s},
    {"chunk size with the top bit set",
     rmp3File({riffChunkClaiming("data", 0x80000000, "ab"), listChunk({inam("x")})}), TagKind::Rmp3,
     u"||||"_s},
    {"sub-chunk size beyond 31 bits once padded",
     rmp3File({listChunk({inam("kept"), riffChunkClaiming("IART", 0x7FFFFFFF, "a")})}), TagKind::Rmp3,
     u"|kept|||"_s},
    {"wave file", riffChunkClaiming("RIFF", 16, "WAVE" + listChunk({inam("x")})) + kTag, TagKind::Id3v1,
     kTagTexts},
    {"ID3v1 padded with spaces, only they trimmed; a field full",
     mp3File(
         {.title = QByteArray(30, 'x'), .artist = " A", .album = cp932::encode(u"\u3000B"), .padding = ' '},
         9),
     TagKind::Id3v1, u"A|"_s + QString(30, u'x') + u"|\u3000B||"_s},
    {"ID3v1 padded with NULs, the spaces before them kept; the ID3v1.1 track not read",
     mp3File({.artist = " A", .album = cp932::encode(u"夜明け①"), .year = "1999", .comment = "C", .track = 7},
             9),
     TagKind::Id3v1, u" A||夜明け①|1999|C"_s},
    {"file shorter than a tag, starting with one", kTag.first(3 + 30 + 30 + 5), TagKind::Id3v1, kTagTexts},
    {"tag not at the end", kTag + "x", TagKind::None, u"||||"_s},
    {"two bytes", "TA", TagKind::None, u"||||"_s},
};

TEST(ReadTags, Rmp3ThenId3v1StoppingQuietlyAtDamageAndClosingEveryFile) {
    const QTemporaryDir folder;
    const int descriptors = openDescriptors();
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const QString path = writeFile(folder.filePath(u"song"_s), c.file);
        TagRecord record{.artist = u"stale"_s, .title = u"stale"_s, .minutes = 3, .seconds = 4};
        EXPECT_EQ(readTags(path, record), c.kind);
        EXPECT_EQ(QStringList({record.artist, record.title, record.album, record.release, record.comment})
                      .join(u'|'),
                  c.texts);
        EXPECT_EQ(record.minutes + record.seconds, 0);
    }
    for (const QString& unreadable : {folder.filePath(u"absent"_s), folder.path()}) {
        TagRecord record{.title = u"stale"_s};
        EXPECT_EQ(readTags(unreadable, record), TagKind::None);
        EXPECT_EQ(record, TagRecord{});
    }
    EXPECT_EQ(openDescriptors(), descriptors);
}

}  // namespace
}  // namespace tunedeck
