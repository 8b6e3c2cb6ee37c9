#include "title_format.h"

#include <gtest/gtest.h>

namespace tunedeck {
namespace {

const QString kPath = "/music/album one/song.mp3";
const TagRecord kRecord{
    .artist = "Artist", .title = "Title", .album = "Album", .release = "1999", .comment = "Note"};

TEST(FormatDisplayTitle, ReplacesEveryPlaceholder) {
    struct Case {
        QString format, title;
    };
    const Case cases[] = {
        {"%1 - %2", "Artist - Title"},
        {"%3%4", "Album1999"},
        {"[%5]", "[Note]"},
        {"%A|%a", ":00|:00"},
        {"%B|%b", "song.mp3|song.mp3"},
        {"100%%", "100%"},
        {"%%1", "%1"},
        {"%x%Z%0%6%-", ""},
        {u"%テ%😀x"_qs, "x"},  // the character after "%" is dropped whole
        {"end%", "end"},
        {"%", ""},
        {"", ""},
        {"  %2  ", "  Title  "},  // not trimmed
        {u"「%2」"_qs, u"「Title」"_qs},
    };
    for (const Case& c : cases)
        EXPECT_EQ(formatDisplayTitle(c.format, kPath, kRecord), c.title) << c.format.toStdString();
}

TEST(FormatDisplayTitle, EmptyRecordLeavesTheSeparator) {
    EXPECT_EQ(formatDisplayTitle(u"%1 - %2", kPath, {}), " - ");
}

TEST(FormatDisplayTitle, PlayingTimeHasNoZeroMinutesAndTwoDigitSeconds) {
    struct Case {
        qint32 minutes, seconds;
        QString time;
    };
    const Case cases[] = {{0, 0, ":00"},     {0, 5, ":05"},     {3, 7, "3:07"},
                          {12, 45, "12:45"}, {1, 123, "1:123"}, {-1, -5, "-1:-05"}};
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
        {"/music/a/song.mp3", "song.mp3"}, {"song.mp3", "song.mp3"}, {"/song", "song"},
        {"a\\b.mp3", "a\\b.mp3"},          {"/music/folder/", ""},   {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fileNameOf(c.path), c.name) << c.path.toStdString();
}

}  // namespace
}  // namespace tunedeck
