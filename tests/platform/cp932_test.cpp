// SPDX-License-Identifier: GPL-3.0-or-later
#include "cp932.h"

#include <gtest/gtest.h>

#include <iconv.h>

using namespace Qt::StringLiterals;

namespace tunedeck {
namespace {

// Code page 932 bytes as glibc's own tables read them, U+FFFD where they name nothing: an independent oracle
// for the codec's ICU-built tables.
QString glibcDecode(QByteArray input) {
    static const iconv_t cd = iconv_open("UTF-16LE", "CP932");
    char16_t output[2] = {};
    char* in = input.data();
    char* out = reinterpret_cast<char*>(output);
    size_t inLeft = input.size(), outLeft = sizeof output;
    const bool read = iconv(cd, &in, &inLeft, &out, &outLeft) != size_t(-1);
    return read ? QString::fromUtf16(output, (sizeof output - outLeft) / 2) : u"\uFFFD"_s;
}

// The single bytes Windows maps outside ASCII and the katakana, which glibc does not read.
const QByteArray kRefusedByGlibc = "\x80\xa0\xfd\xfe\xff";
const QString kWindowsSingles = u"\u0080\uF8F0\uF8F1\uF8F2\uF8F3"_s;

// Every single byte and every pair decodes as glibc decodes it, and what the codec writes for each character
// it read, glibc reads back as that character. Most pairs name a character: a loop that built no pair would
// check only the single bytes.
TEST(Cp932, EveryCodeDecodesAndEncodesBackAsGlibcDoes) {
    int characterPairs = 0;
    for (int code = 0; code <= 0xFCFC; ++code) {
        const int lead = code >> 8, trail = code & 0xFF;
        if (lead == 0 ? cp932::isLeadByte(trail) || kRefusedByGlibc.contains(char(trail))
                      : !cp932::isLeadByte(lead) || trail < 0x40 || trail > 0xFC || trail == 0x7F)
            continue;
        const char pair[] = {char(lead), char(trail)};
        const QByteArray bytes = lead == 0 ? QByteArray(1, char(trail)) : QByteArray(pair, 2);
        SCOPED_TRACE(bytes.toHex().toStdString());
        const QString text = cp932::decode(bytes);
        EXPECT_EQ(text, glibcDecode(bytes));
        EXPECT_EQ(text == u"\uFFFD"_s ? text : glibcDecode(cp932::encode(text)), text);
        characterPairs += lead != 0 && text.size() == 1 && text != u"\uFFFD"_s;
    }
    EXPECT_GT(characterPairs, 7000);
}

// Where glibc cannot tell: the single bytes it refuses, a lead byte without its trail byte (also at the end
// of one call, which leaves the next call's first byte alone), look-alikes ICU's table lacks and characters
// of no form at all, and the form Windows prefers of several: JIS X 0208, then NEC row 13, then the IBM
// extensions, never the NEC-selected ones.
TEST(Cp932, DecodesAndEncodesAsWindowsDoesWhereGlibcCannotTell) {
    EXPECT_EQ(cp932::decode(kRefusedByGlibc + QByteArray("\x81\x20\x00\x81", 4)),
              kWindowsSingles + u"\uFFFD \0\uFFFD"_s);
    EXPECT_EQ(cp932::decode("\x83") + cp932::decode("\x65"), u"\uFFFDe"_s);
    EXPECT_EQ(cp932::encode(u"〜−‖—¢£¬¦¥‾€∵Ⅰⅰ纊"_s + kWindowsSingles + QChar(0)).toHex(),
              QByteArray("\x81\x60\x81\x7c\x81\x61\x81\x5c\x81\x91\x81\x92\x81\xca\xfa\x55\x5c\x7e?"
                         "\x81\xe6\x87\x54\xfa\x40\xfa\x5c" +
                         kRefusedByGlibc + '\0')
                  .toHex());
}

}  // namespace
}  // namespace tunedeck
