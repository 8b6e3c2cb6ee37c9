#include "title_format.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tunedeck {
namespace {

const QString kPath = u"/music/album one/song.mp3"_s;
const TagRecord kRecord{.artist = u"Artist"_s,
                        .title = u"Title"_s,
                        .album = u"Album"_s,
                        .release = u"1999"_s,
                        .comment = u"Note"_s};

TEST(FormatDisplayTitle, ReplacesEveryPlaceholder) {
    struct Case {
        QString format, title;
    };
    const Case cases[] = {
        {u"%1 - %2"_s, u"Artist - Title"_s},
        {u"%3%4"_s, u"Album1999"_s},
        {u"[%5]"_s, u"[Note]"_s},
        {u"%A|%a"_s, u":00|:00"_s},
        {u"%B|%b"_s, u"song.mp3|song.mp3"_s},
        {u"100%%"_s, u"100%"_s},
        {u"%%1"_s, u"%1"_s},
        {u"%x%Z%0%6%-"_s, u""_s},
        {u"%テ%😀x"_s, u"x"_s},  // the character after u"%"_s is dropped whole
        {u"end%"_s, u"end"_s},
        {u"%"_s, u""_s},
        {u""_s, u""_s},
        {u"  %2  "_s, u"  Title  "_s},  // not trimmed
        {u"「%2」"_s, u"「Title」"_s},
    };
    for (const Case& c : cases)
        EXPECT_EQ(formatDisplayTitle(c.format, kPath, kRecord), c.title) << c.format.toStdString();
}

TEST(FormatDisplayTitle, EmptyRecordLeavesTheSeparator) {
    EXPECT_EQ(formatDisplayTitle(u"%1 - %2", kPath, {}), u" - "_s);
}

TEST(FormatDisplayTitle, PlayingTimeHasNoZeroMinutesAndTwoDigitSeconds) {
    struct Case {
        qint32 minutes, seconds;
        QString time;
    };
    const Case cases[] = {{0, 0, u":00"_s},     {0, 5, u":05"_s},     {3, 7, u"3:07"_s},
                          {12, 45, u"12:45"_s}, {1, 123, u"1:123"_s}, {-1, -5, u"-1:-05"_s}};
    for (const Case& c : cases) {
        const TagRecord record{.minutes = c.minutes, .seconds = c.seconds};
        EXPECT_EQ(formatDisplayTitle(u"%A", kPath, record), c.time);
    }
}

TEST(FileNameOf, TakesTheTextAfterTheLastSeparator) {
    struct Case {
        QString path, name;
    };
    const Case cases[] = {
        {u"/music/a/song.mp3"_s, u"song.mp3"_s}, {u"song.mp3"_s, u"song.mp3"_s}, {u"/song"_s, u"song"_s},
        {u"a\\b.mp3"_s, u"a\\b.mp3"_s},          {u"/music/folder/"_s, u""_s},   {u""_s, u""_s},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fileNameOf(c.path), c.name) << c.path.toStdString();
}

}  // namespace
}  // namespace tunedeck
