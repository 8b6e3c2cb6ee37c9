#include "tag_text.h"

#include "cp932.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tunedeck {
namespace {

TEST(TagText, NulEndsTheTextAndOnlySpacesAreTrimmedWithoutOne) {
    struct Case {
        QString decoded, value;
    };
    const Case cases[] = {
        {u"Title"_s, u"Title"_s},
        {u"  Title  "_s, u"Title"_s},
        {QString::fromLatin1("Title\0xyz", 9), u"Title"_s},
        {QString::fromLatin1("Title  \0  ", 10), u"Title  "_s},  // spaces before the NUL stay
        {QString::fromLatin1(" \0", 2), u" "_s},
        {QString::fromLatin1("\0Title", 6), u""_s},
        {u"\tTitle\t"_s, u"\tTitle\t"_s},  // only code 32 is trimmed
        {u"\u3000タイトル\u3000"_s, u"\u3000タイトル\u3000"_s},
        {u"    "_s, u""_s},
        {u""_s, u""_s},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tagText(cp932::encode(c.decoded)), c.value) << c.decoded.toStdString();
}

}  // namespace
}  // namespace tunedeck
