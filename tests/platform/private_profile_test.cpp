#include "private_profile.h"

#include <gtest/gtest.h>

#include <climits>

namespace tunedeck {
namespace {

TEST(PrivateProfile, FindsTheFirstKeyOfTheFirstSection) {
    const QByteArray file =
        "; settings\r\n"
        "[other]\r\n"
        "Separate=1\r\n"
        "[Tunedeck]\r\n"
        "  Separate =  2500  \r\n"
        "\x83\x41=kana\r\n"
        "Empty=\r\n"
        "Quoted=\"  %1 - %2  \"\r\n"
        "Single='x'\r\n"
        "Unmatched=\"x'\r\n"
        "Lone=\"\r\n"
        "Inner=a \"b\"\r\n"
        "Separate=9\r\n"
        "NoEquals\r\n"
        ";FontSize=12\r\n"
        "[TUNEDECK]\r\n"
        "FontSize=14\r\n";
    // Names compare without regard to case but for the trail bytes of Japanese characters (folding ア's
    // would give another katakana); blanks around key and value go, then one pair of matching quotes; a
    // commented key is no key; the first key of the first section wins.
    const struct {
        const char* section;
        const char* key;
        std::optional<QByteArray> value;
    } cases[] = {
        {"TUNEDECK", "separate", "2500"},       {"tunedeck", "\x83\x41", "kana"},
        {"Tunedeck", "\x83\x61", std::nullopt}, {"Tunedeck", "Empty", ""},
        {"Tunedeck", "Quoted", "  %1 - %2  "},  {"Tunedeck", "Single", "x"},
        {"Tunedeck", "Unmatched", "\"x'"},      {"Tunedeck", "Lone", "\""},
        {"Tunedeck", "Inner", "a \"b\""},       {"Tunedeck", "NoEquals", std::nullopt},
        {"Tunedeck", "FontSize", std::nullopt}, {"other", "Separate", "1"},
        {"absent", "Separate", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(profile::findValue(file, c.section, c.key), c.value) << c.section << "/" << c.key;
}

TEST(PrivateProfile, WritesKeepTheRestOfTheFile) {
    // A key is replaced in place under its own name, or added after the last line of its section, or in a
    // new section at the end, with the file's own line breaks.
    const struct {
        QByteArray before;
        const char* key;
        QByteArray after;
    } cases[] = {
        {"", "Separate", "[tunedeck]\r\nSeparate=v\r\n"},
        {"; c\r\n[TUNEDECK]\r\nA=1\r\nseparate = 5\r\nB=2\r\n", "Separate",
         "; c\r\n[TUNEDECK]\r\nA=1\r\nseparate=v\r\nB=2\r\n"},
        {"[a]\r\nX=1\r\n\r\n[tunedeck]\r\nA=1\r\n\r\n[b]\r\nY=2\r\n", "K",
         "[a]\r\nX=1\r\n\r\n[tunedeck]\r\nA=1\r\nK=v\r\n\r\n[b]\r\nY=2\r\n"},
        {"[tunedeck]\nA=1", "K", "[tunedeck]\nA=1\nK=v\n"},
        {"[a]\nX=1", "K", "[a]\nX=1\n[tunedeck]\nK=v\n"},
        {"[tunedeck]\r\n", "K", "[tunedeck]\r\nK=v\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(profile::withValue(c.before, "tunedeck", c.key, "v"), c.after) << c.before.toStdString();
}

// Leading blanks, a sign and the leading digits; beyond 32 bits the value saturates.
TEST(PrivateProfile, IntegerReader) {
    const std::pair<QByteArray, int> cases[] = {
        {"12abc", 12},
        {"", 0},
        {"\t-8x", -8},
        {"+7", 7},
        {"abc", 0},
        {"- 5", 0},
        {"0x10", 0},
        {"2147483648", INT_MAX},
        {"-2147483649", INT_MIN},
        {"99999999999999999999", INT_MAX},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(profile::parseInt(text), value) << text.toStdString();
}

}  // namespace
}  // namespace tunedeck
