#include "display_title.h"

#include "cp932.h"
#include "music_files.h"
#include "program_folder.h"
#include "title_format.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tunedeck {
namespace {

using namespace testing;

TEST(FormatDisplayTitle, FillsEveryPlaceholderAndDropsUnknownOnes) {
    const TagRecord record{.artist = u"Artist"_s,
                           .title = u"Title"_s,
                           .album = u"Album"_s,
                           .release = u"1999"_s,
                           .comment = u"Note"_s};
    const struct {
        QString format, title;
    } cases[] = {
        {u"%1 - %2"_s, u"Artist - Title"_s},
        {u"%3%4[%5]"_s, u"Album1999[Note]"_s},
        {u"%A|%a|%B|%b"_s, u":00|:00|song.mp3|song.mp3"_s},
        {u"100%% %%1"_s, u"100% %1"_s},
        {u"%x%Z%0%6%-%テ%😀x"_s, u"x"_s},  // the character after "%" is dropped whole
        {u"end%"_s, u"end"_s},
        {u"  「%2」  "_s, u"  「Title」  "_s},  // not trimmed
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatDisplayTitle(c.format, u"/music/album one/song.mp3"_s, record), c.title)
            << c.format.toStdString();
    for (const QString& path : {u"song.mp3"_s, u"a\\b.mp3"_s})  // no folder separator: the whole path
        EXPECT_EQ(fileNameOf(path), path);
    EXPECT_EQ(fileNameOf(u"/music/folder/"_s), u""_s);
}

// The format is read from the settings file for every title; an RMP3 file without texts still gets one, an
// untagged file shows its name.
TEST(DisplayTitleFor, ReadsTheFormatAnewForEveryTitle) {
    const ProgramFolder folder;
    const QString tagged =
        writeFile(folder.path() + u"/tagged.mp3"_s, mp3File({.title = "T", .artist = "A"}, 0));
    const QString bare = writeFile(folder.path() + u"/bare.rmp"_s, rmp3File({}));
    const QString untagged = writeFile(folder.path() + u"/plain.mp3"_s, "no tag");
    const struct {
        QByteArray settings;
        QString tagged, bare;
    } cases[] = {
        {"[tunedeck]\r\n", u"A - T"_s, u" - "_s},
        {"[TUNEDECK]\r\ndisplayformat=%B: %2 (%1)\r\n", u"tagged.mp3: T (A)"_s, u"bare.rmp:  ()"_s},
        {"[tunedeck]\r\nDisplayFormat=" + cp932::encode(u"「%2」") + "\r\n", u"「T」"_s, u"「」"_s},
        {"[tunedeck]\r\nDisplayFormat=\r\n", u""_s, u""_s},
    };
    TagRecord record;
    for (const auto& c : cases) {
        folder.writeSettingsBytes(c.settings);
        EXPECT_EQ(displayTitleFor(tagged, record, folder.settings()), c.tagged);
        EXPECT_EQ(displayTitleFor(bare, record, folder.settings()), c.bare);
        EXPECT_EQ(displayTitleFor(untagged, record, folder.settings()), u"plain.mp3"_s);
    }
    EXPECT_EQ(displayTitleFor(folder.path() + u"/absent.mp3"_s, record, folder.settings()), u"absent.mp3"_s);
}

}  // namespace
}  // namespace tunedeck
