#include "display_title.h"

#include "cp932.h"
#include "id3v1_reader.h"
#include "music_files.h"
#include "program_folder.h"
#include "rmp3_reader.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tunedeck {
namespace {

using namespace testing;

const QByteArray kInfo = listChunk({riffChunk("IART", "Info Artist"), riffChunk("INAM", "Info Title")});
const QByteArray kTag = id3v1Tag({.title = "Tag Title", .artist = "Tag Artist"});

TEST(DisplayTitleFor, ChoosesTheReaderByContent) {
    struct Case {
        const char* name;
        QByteArray file;
        TagKind kind;
        QString title;
    };
    const Case cases[] = {
        {"RMP3", rmp3File({kInfo}), TagKind::Rmp3, u"Info Artist - Info Title"_s},
        {"RMP3 ending in an ID3v1 tag", rmp3File({kInfo}) + kTag, TagKind::Rmp3,
         u"Info Artist - Info Title"_s},
        {"RMP3 without LIST", rmp3File({}) + kTag, TagKind::Rmp3, u" - "_s},
        {"damaged RMP3", rmp3File({kInfo, riffChunkClaiming("data", 0x90000000, "")}) + kTag, TagKind::Rmp3,
         u"Info Artist - Info Title"_s},
        {"wave file with an ID3v1 tag", "RIFF" + le32(4) + "WAVE" + kInfo + kTag, TagKind::Id3v1,
         u"Tag Artist - Tag Title"_s},
        {"MP3", mp3File({.title = cp932::encode(u"曲"), .artist = "A"}, 500), TagKind::Id3v1, u"A - 曲"_s},
        {"neither", QByteArray(300, 'x'), TagKind::None, u"song name.MP3"_s},
    };
    const ProgramFolder folder;
    folder.writeSettingsBytes("[tunedeck]\r\nDisplayFormat=%1 - %2\r\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = folder.writeFile(u"song name.MP3"_s, c.file);
        TagRecord record{.album = u"stale"_s};
        EXPECT_EQ(readTags(path, record), c.kind);
        EXPECT_EQ(displayTitleFor(path, record, folder.settings()), c.title);
        EXPECT_EQ(record.album, u""_s);
    }
}

TEST(DisplayTitleFor, ReadsTheFormatAnewForEveryTitle) {
    const ProgramFolder folder;
    const QString tagged = folder.writeFile(u"tagged.mp3"_s, mp3File({.title = "T", .artist = "A"}, 0));
    const QString untagged = folder.writeFile(u"plain.mp3"_s, "no tag");
    TagRecord record;
    EXPECT_EQ(readDisplayFormat(folder.settings()), u"%1 - %2"_s);
    EXPECT_EQ(displayTitleFor(tagged, record, folder.settings()), u"A - T"_s);

    folder.writeSettingsBytes("[TUNEDECK]\r\ndisplayformat=%B: %2 (%1)\r\n");
    EXPECT_EQ(displayTitleFor(tagged, record, folder.settings()), u"tagged.mp3: T (A)"_s);
    EXPECT_EQ(displayTitleFor(untagged, record, folder.settings()), u"plain.mp3"_s);

    folder.writeSettingsBytes("[tunedeck]\r\nDisplayFormat=" + cp932::encode(u"「%2」") + "\r\n");
    EXPECT_EQ(displayTitleFor(tagged, record, folder.settings()), u"「T」"_s);

    folder.writeSettingsBytes("[tunedeck]\r\nDisplayFormat=\r\n");
    EXPECT_EQ(displayTitleFor(tagged, record, folder.settings()), u""_s);
    EXPECT_EQ(displayTitleFor(folder.path() + u"/absent.mp3"_s, record, folder.settings()), u"absent.mp3"_s);
}

int openDescriptors() {
    // Every kind of entry: a descriptor open on a folder shows as a link to a folder.
    return int(
        QDir(u"/proc/self/fd"_s).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size());
}

TEST(TagReaders, DamagedFilesLeaveNoDescriptorOpen) {
    const ProgramFolder folder;
    const QByteArray damaged[] = {
        rmp3File({riffChunkClaiming("LIST", 40, "INFO" + riffChunkClaiming("INAM", 9, "a"))}),
        rmp3File({riffChunkClaiming("LIST", 0x80000000, "INFO")}),
        rmp3File({listChunk({riffChunk("INAM", "x")}), "LI"}),
        QByteArray("RIFF\0\0\0\0RM", 10),
        id3v1Tag({.title = "x"}).first(50),
        QByteArray("TA"),
    };
    QStringList paths;
    for (const QByteArray& file : damaged)
        paths.append(folder.writeFile(QString::number(paths.size()), file));
    paths.append(folder.path());

    const int before = openDescriptors();
    TagRecord record;
    for (int round = 0; round < 100'000 / 3 / int(paths.size()); ++round) {
        for (const QString& path : paths) {
            readRmp3Tags(path, record);
            readId3v1Tags(path, record);
            readTags(path, record);
        }
    }
    EXPECT_EQ(openDescriptors(), before);
}

}  // namespace
}  // namespace tunedeck
