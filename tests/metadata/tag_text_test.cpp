#include "tag_text.h"

#include <gtest/gtest.h>

namespace tunedeck {
namespace {

TEST(CutTagText, NulEndsTheTextAndOnlySpacesAreTrimmedWithoutOne) {
    struct Case {
        QString decoded, value;
    };
    const Case cases[] = {
        {"Title", "Title"},
        {"  Title  ", "Title"},
        {QString::fromLatin1("Title\0xyz", 9), "Title"},
        {QString::fromLatin1("Title  \0  ", 10), "Title  "},  // spaces before the NUL stay
        {QString::fromLatin1(" \0", 2), " "},
        {QString::fromLatin1("\0Title", 6), ""},
        {"\tTitle\t", "\tTitle\t"},  // only code 32 is trimmed
        {u"\u3000タイトル\u3000"_qs, u"\u3000タイトル\u3000"_qs},
        {"    ", ""},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(cutTagText(c.decoded), c.value) << c.decoded.toStdString();
}

}  // namespace
}  // namespace tunedeck
