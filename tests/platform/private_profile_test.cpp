#include "private_profile.h"

#include <gtest/gtest.h>

namespace tunedeck {
namespace {

TEST(PrivateProfile, FindsValues) {
    const QByteArray file =
        "; settings\r\n"
        "[other]\r\n"
        "Separate=1\r\n"
        "[Tunedeck]\r\n"
        "  Separate =  2500  \r\n"
        "FontName=\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e\r\n"
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
    struct Case {
        const char* section;
        const char* key;
        std::optional<QByteArray> value;
    };
    const Case cases[] = {
        {"Tunedeck", "Separate", "2500"},  // blanks around key and value removed, the first key wins
        {"TUNEDECK", "separate", "2500"},  // names compare without regard to case
        {"tunedeck", "FontName", "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e"},
        {"Tunedeck", "Empty", ""},
        {"Tunedeck", "Quoted", "  %1 - %2  "},  // one pair of quotes goes, and keeps the blanks inside
        {"Tunedeck", "Single", "x"},
        {"Tunedeck", "Unmatched", "\"x'"},
        {"Tunedeck", "Lone", "\""},
        {"Tunedeck", "Inner", "a \"b\""},
        {"Tunedeck", "Missing", std::nullopt},
        {"Tunedeck", "NoEquals", std::nullopt},
        {"Tunedeck", "FontSize", std::nullopt},  // a commented key is no key, and the first section wins
        {"other", "Separate", "1"},
        {"absent", "Separate", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(profile::findValue(file, c.section, c.key), c.value) << c.section << "/" << c.key;
}

TEST(PrivateProfile, NamesWithJapaneseCharactersDoNotFoldTrailBytes) {
    // ア is 0x83 0x41; folding the case of its trail byte would turn it into another katakana, 0x83 0x61.
    EXPECT_EQ(profile::findValue("[s]\n\x83\x41=1\n", "s", "\x83\x61"), std::nullopt);
    EXPECT_EQ(profile::findValue("[s]\n\x83\x41=1\n", "S", "\x83\x41"), QByteArray("1"));
}

TEST(PrivateProfile, WritesKeepTheRestOfTheFile) {
    struct Case {
        const char* name;
        QByteArray before;
        const char* section;
        const char* key;
        const char* value;
        QByteArray after;
    };
    const Case cases[] = {
        {"new file", "", "tunedeck", "Separate", "2000", "[tunedeck]\r\nSeparate=2000\r\n"},
        {"replace in place", "; c\r\n[tunedeck]\r\nA=1\r\nseparate = 5\r\nB=2\r\n", "TUNEDECK", "Separate",
         "-30", "; c\r\n[tunedeck]\r\nA=1\r\nseparate=-30\r\nB=2\r\n"},
        {"new key at the end of its section", "[a]\r\nX=1\r\n\r\n[tunedeck]\r\nA=1\r\n\r\n[b]\r\nY=2\r\n",
         "tunedeck", "K", "v", "[a]\r\nX=1\r\n\r\n[tunedeck]\r\nA=1\r\nK=v\r\n\r\n[b]\r\nY=2\r\n"},
        {"new key in a section that ends the file", "[tunedeck]\nA=1\n", "tunedeck", "K", "v",
         "[tunedeck]\nA=1\nK=v\n"},
        {"no final line break", "[tunedeck]\nA=1", "tunedeck", "K", "v", "[tunedeck]\nA=1\nK=v\n"},
        {"new section", "[a]\nX=1", "tunedeck", "K", "", "[a]\nX=1\n[tunedeck]\nK=\n"},
        {"empty section header", "[tunedeck]\r\n", "tunedeck", "K", "1", "[tunedeck]\r\nK=1\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(profile::withValue(c.before, c.section, c.key, c.value), c.after) << c.name;
}

TEST(PrivateProfile, IntegerReader) {
    struct Case {
        QByteArray text;
        int value;
    };
    const Case cases[] = {
        {"12", 12},
        {"12abc", 12},
        {"-3", -3},
        {"+7", 7},
        {"  42", 42},
        {"\t-8x", -8},
        {"abc", 0},
        {"", 0},
        {"-", 0},
        {"- 5", 0},
        {"0x10", 0},
        {"1 2", 1},
        {"2147483647", 2147483647},
        {"2147483648", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"99999999999999999999", 2147483647},
        {"-99999999999999999999", -2147483647 - 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(profile::parseInt(c.text), c.value) << c.text.toStdString();
}

}  // namespace
}  // namespace tunedeck
