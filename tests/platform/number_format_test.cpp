#include "number_format.h"

#include <gtest/gtest.h>

namespace tunedeck {
namespace {

// Whole kilobytes, the fraction dropped, digits grouped by three; and the number read back from such a text.
TEST(NumberFormat, KilobyteTexts) {
    const std::pair<qint64, const char*> cases[] = {
        {1023, "0KB"}, {1048575, "1,023KB"}, {999'999'999LL * 1024 + 1023, "999,999,999KB"}};
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(kilobyteText(bytes), QLatin1String(text)) << bytes;
        EXPECT_EQ(kilobytesShown(kilobyteText(bytes)), bytes / 1024) << bytes;
    }
    for (const char* text : {"12", "a,bKB"})
        EXPECT_EQ(kilobytesShown(QString::fromLatin1(text)), std::nullopt) << text;
}

}  // namespace
}  // namespace tunedeck
