#include "cp932.h"

#include <QList>

#include <gtest/gtest.h>

#include <iconv.h>

#include <optional>

using namespace Qt::StringLiterals;

namespace tunedeck {
namespace {

// Code page 932 bytes as glibc's own tables read them: an independent oracle for the codec's ICU-built ones.
std::optional<QString> glibcDecode(QByteArray input) {
    iconv_t cd = iconv_open("UTF-16LE", "CP932");
    QByteArray output(input.size() * 4 + 4, '\0');
    char* in = input.data();
    size_t inLeft = input.size();
    char* out = output.data();
    size_t outLeft = output.size();
    const size_t rc = iconv(cd, &in, &inLeft, &out, &outLeft);
    iconv_close(cd);
    if (rc == size_t(-1))
        return std::nullopt;
    return QString(reinterpret_cast<const QChar*>(output.constData()),
                   (output.size() - qsizetype(outLeft)) / 2);
}

// The single bytes Windows maps outside ASCII and the katakana, which glibc does not read.
const QByteArray kRefusedByGlibc = "\x80\xa0\xfd\xfe\xff";
const QString kWindowsSingles =
    QString(QChar(0x80)) + QChar(0xF8F0) + QChar(0xF8F1) + QChar(0xF8F2) + QChar(0xF8F3);

// Every single byte and every pair decodes as glibc decodes it, and what the codec writes for each character
// it read, glibc reads back as that character.
TEST(Cp932, EveryCodeDecodesAndEncodesBackAsGlibcDoes) {
    QList<QByteArray> codes;
    for (int b = 0; b < 256; ++b)
        if (!cp932::isLeadByte(b) && !kRefusedByGlibc.contains(char(b)))
            codes.append(QByteArray(1, char(b)));
    for (int lead = 0x81; lead <= 0xFC; ++lead)
        for (int trail = 0x40; trail <= 0xFC && cp932::isLeadByte(lead); ++trail)
            if (trail != 0x7F)
                codes.append(QByteArray{char(lead), char(trail)});
    int compared = 0;
    for (const QByteArray& bytes : codes) {
        SCOPED_TRACE(bytes.toHex().toStdString());
        const QString text = cp932::decode(bytes);
        const auto expected = glibcDecode(bytes);
        EXPECT_EQ(text, expected.value_or(QString(QChar(0xFFFD))));
        if (!expected)
            continue;
        const QByteArray encoded = cp932::encode(text);
        EXPECT_EQ(kRefusedByGlibc.contains(encoded) ? cp932::decode(encoded) : glibcDecode(encoded), text);
        ++compared;
    }
    EXPECT_GT(compared, 9000);
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
