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
    const TagRecord record{u"Artist"_s, u"Title"_s, u"Album"_s, u"1999"_s, u"Note"_s};
    const std::pair<QString, QString> cases[] = {
        {u"  「%1 - %2」%3%4[%5]  "_s, u"  「Artist - Title」Album1999[Note]  "_s},  // not trimmed
        {u"%A|%a|%B|%b|100%% %%1"_s, u":00|:00|a\\b.mp3|a\\b.mp3|100% %1"_s},        // "\" is no separator
        {u"%x%Z%0%6%-%テ%😀x%"_s, u"x"_s},  // the character after "%" is dropped whole, and a last "%"
    };
    for (const auto& [format, title] : cases)
        EXPECT_EQ(formatDisplayTitle(format, u"/music/a\\b.mp3"_s, record), title) << format.toStdString();
}

// The format is read from the settings file for every title; an RMP3 file without texts still gets one, an
// untagged or missing file shows its name.
TEST(DisplayTitleFor, ReadsTheFormatAnewForEveryTitle) {
    const ProgramFolder folder;
    const QStringList paths = {
        writeFile(folder.path() + u"/tagged.mp3"_s, mp3File({.title = "T", .artist = "A"}, 0)),
        writeFile(folder.path() + u"/bare.rmp"_s, rmp3File({})),
        writeFile(folder.path() + u"/plain.mp3"_s, "no tag"),
        folder.path() + u"/absent.mp3"_s,
    };
    const auto titles = [&] {
        QStringList shown;
        for (const QString& path : paths) {
            TagRecord record;
            shown << displayTitleFor(path, record, folder.settings());
        }
        return shown.join(u'|');
    };
    EXPECT_EQ(titles(), u"A - T| - |plain.mp3|absent.mp3"_s);
    folder.writeSettingsBytes("[tunedeck]\r\nDisplayFormat=" + cp932::encode(u"「%2」%B") + "\r\n");
    EXPECT_EQ(titles(), u"「T」tagged.mp3|「」bare.rmp|plain.mp3|absent.mp3"_s);
}

}  // namespace
}  // namespace tunedeck
