#include "number_format.h"

#include <gtest/gtest.h>

namespace tunedeck {
namespace {

TEST(NumberFormat, GroupsDigitsByThree) {
    const std::pair<qint64, const char*> cases[] = {
        {0, "0"},
        {7, "7"},
        {999, "999"},
        {1000, "1,000"},
        {1234, "1,234"},
        {65536, "65,536"},
        {999999, "999,999"},
        {1000000, "1,000,000"},
        {2147483647, "2,147,483,647"},
        {-1234, "-1,234"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(groupedNumber(value), QLatin1String(text)) << value;
}

TEST(NumberFormat, KilobyteTextsDropTheFraction) {
    const std::pair<qint64, const char*> cases[] = {
        {0, "0KB"},           {1023, "0KB"},        {1024, "1KB"},        {1500, "1KB"},
        {1048575, "1,023KB"}, {1048576, "1,024KB"}, {2500000, "2,441KB"},
    };
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(kilobyteText(bytes), QLatin1String(text)) << bytes;
        EXPECT_EQ(kilobytesShown(kilobyteText(bytes)), bytes / 1024) << bytes;
    }
}

TEST(NumberFormat, KilobytesShownRejectsOtherTexts) {
    for (const char* text : {"", "KB", "12", "12kb", "a,bKB", "1 2KB"})
        EXPECT_EQ(kilobytesShown(QString::fromLatin1(text)), std::nullopt) << text;
}

}  // namespace
}  // namespace tunedeck
