#include "number_format.h"

#include <gtest/gtest.h>

namespace tunedeck {
namespace {

// Whole kilobytes, the fraction dropped, digits grouped by three; and the number read back from such a text.
TEST(NumberFormat, KilobyteTexts) {
    const std::pair<qint64, const char*> cases[] = {
        {1023, "0KB"},
        {1024, "1KB"},
        {1048575, "1,023KB"},
        {2147483647LL * 1024, "2,147,483,647KB"},
    };
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(kilobyteText(bytes), QLatin1String(text)) << bytes;
        EXPECT_EQ(kilobytesShown(kilobyteText(bytes)), bytes / 1024) << bytes;
    }
    EXPECT_EQ(groupedNumber(999999), QLatin1String("999,999"));
    for (const char* text : {"", "12", "a,bKB"})
        EXPECT_EQ(kilobytesShown(QString::fromLatin1(text)), std::nullopt) << text;
}

}  // namespace
}  // namespace tunedeck
