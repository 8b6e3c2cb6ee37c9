#include "private_profile.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace tunedeck {
namespace {

TEST(PrivateProfile, FindsTheFirstKeyOfTheFirstSection) {
    const QByteArray file =
        "; settings\r\n[other]\r\nSeparate=1\r\n[Tunedeck]\r\n  Separate =  2500  \r\n\x83\x41=kana\r\n"
        "Empty=\r\nQuoted=\"  %1 - %2  \"\r\nSingle='x'\r\nUnmatched=\"x'\r\nLone=\"\r\nSeparate=9\r\n"
        "NoEquals\r\n;FontSize=12\r\n[TUNEDECK]\r\nFontSize=14\r\n";
    // Names compare without regard to case but for the trail bytes of Japanese characters (folding ア's
    // would give another katakana); blanks around key and value go, then one pair of matching quotes; a
    // commented key is no key; the first key of the first section wins, and a section ends at the next.
    const std::pair<const char*, std::optional<QByteArray>> cases[] = {
        {"separate", "2500"},       {"\x83\x41", "kana"},      {"\x83\x61", std::nullopt}, {"Empty", ""},
        {"Quoted", "  %1 - %2  "},  {"Single", "x"},           {"Unmatched", "\"x'"},      {"Lone", "\""},
        {"NoEquals", std::nullopt}, {"FontSize", std::nullopt}};
    for (const auto& [key, value] : cases)
        EXPECT_EQ(profile::findValue(file, "TUNEDECK", key), value) << key;
    EXPECT_EQ(profile::findValue(file, "other", "Empty"), std::nullopt);
    EXPECT_EQ(profile::findValue(file, "absent", "Separate"), std::nullopt);
}

// A key is replaced in place under its own name, or added after the last line of its section, or in a new
// section at the end, with the file's own line breaks.
TEST(PrivateProfile, WritesKeepTheRestOfTheFile) {
    const std::pair<QByteArray, QByteArray> cases[] = {
        {"", "[tunedeck]\r\nK=v\r\n"},
        {"; c\r\n[TUNEDECK]\r\nA=1\r\nk = 5\r\nB=2\r\n", "; c\r\n[TUNEDECK]\r\nA=1\r\nk=v\r\nB=2\r\n"},
        {"[a]\r\nX=1\r\n\r\n[tunedeck]\r\nA=1\r\n\r\n[b]\r\nY=2\r\n",
         "[a]\r\nX=1\r\n\r\n[tunedeck]\r\nA=1\r\nK=v\r\n\r\n[b]\r\nY=2\r\n"},
        {"[tunedeck]\nA=1", "[tunedeck]\nA=1\nK=v\n"},
        {"[a]\nX=1", "[a]\nX=1\n[tunedeck]\nK=v\n"}};
    for (const auto& [before, after] : cases)
        EXPECT_EQ(profile::withValue(before, "tunedeck", "K", "v"), after) << before.toStdString();
}

// Leading blanks, a sign and the leading digits; beyond 32 bits the value saturates.
TEST(PrivateProfile, IntegerReader) {
    QStringList values;
    for (const char* text :
         {"12abc", "", "\t-8x", "+7", "- 5", "2147483648", "-2147483649", "99999999999999999999"})
        values << QString::number(profile::parseInt(text));
    EXPECT_EQ(values.join(u' '), QLatin1String("12 0 -8 7 0 2147483647 -2147483648 2147483647"));
}

}  // namespace
}  // namespace tunedeck
