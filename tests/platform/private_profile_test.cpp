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
    const struct {
        const char* section;
        const char* key;
        std::optional<QByteArray> value;
    } cases[] = {
        {"TUNEDECK", "separate",
         "2500"},  // names without regard to case, blanks around key and value removed
        {"tunedeck", "\x83\x41", "kana"},
        {"Tunedeck", "\x83\x61", std::nullopt},  // ア's trail byte folded would make another katakana
        {"Tunedeck", "Empty", ""},
        {"Tunedeck", "Quoted", "  %1 - %2  "},  // one pair of quotes goes, and keeps the blanks inside
        {"Tunedeck", "Single", "x"},
        {"Tunedeck", "Unmatched", "\"x'"},
        {"Tunedeck", "Lone", "\""},
        {"Tunedeck", "Inner", "a \"b\""},
        {"Tunedeck", "NoEquals", std::nullopt},
        {"Tunedeck", "FontSize", std::nullopt},  // a commented key is no key, and the first section wins
        {"other", "Separate", "1"},
        {"absent", "Separate", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(profile::findValue(file, c.section, c.key), c.value) << c.section << "/" << c.key;
}

TEST(PrivateProfile, WritesKeepTheRestOfTheFile) {
    const struct {
        QByteArray before;
        const char* key;
        QByteArray after;
    } cases[] = {
        {"", "Separate", "[tunedeck]\r\nSeparate=v\r\n"},
        {"; c\r\n[TUNEDECK]\r\nA=1\r\nseparate = 5\r\nB=2\r\n", "Separate",
         "; c\r\n[TUNEDECK]\r\nA=1\r\nseparate=v\r\nB=2\r\n"},  // in place, under its own name
        {"[a]\r\nX=1\r\n\r\n[tunedeck]\r\nA=1\r\n\r\n[b]\r\nY=2\r\n", "K",
         "[a]\r\nX=1\r\n\r\n[tunedeck]\r\nA=1\r\nK=v\r\n\r\n[b]\r\nY=2\r\n"},  // after the section's last
                                                                               // line
        {"[tunedeck]\nA=1", "K", "[tunedeck]\nA=1\nK=v\n"},                    // the file's own line breaks
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
        {"-99999999999999999999", INT_MIN},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(profile::parseInt(text), value) << text.toStdString();
}

}  // namespace
}  // namespace tunedeck
