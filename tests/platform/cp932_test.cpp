#include "cp932.h"

#include <QList>

#include <gtest/gtest.h>

#include <iconv.h>

#include <optional>

using namespace Qt::StringLiterals;

namespace tunedeck {
namespace {

// glibc's own code page 932 tables: an independent oracle for the codec's ICU-built ones.
std::optional<QByteArray> iconvConvert(const char* to, const char* from, QByteArray input) {
    iconv_t cd = iconv_open(to, from);
    if (cd == iconv_t(-1))
        return std::nullopt;
    QByteArray output(input.size() * 4 + 4, '\0');
    char* in = input.data();
    size_t inLeft = input.size();
    char* out = output.data();
    size_t outLeft = output.size();
    const size_t rc = iconv(cd, &in, &inLeft, &out, &outLeft);
    iconv_close(cd);
    if (rc == size_t(-1))
        return std::nullopt;
    output.truncate(output.size() - qsizetype(outLeft));
    return output;
}

QString fromUtf16(const QByteArray& utf16) {
    return QString(reinterpret_cast<const QChar*>(utf16.constData()), utf16.size() / 2);
}

// The single bytes Windows maps outside ASCII and the katakana, which glibc does not read.
const QList<QByteArray> kRefusedByGlibc{"\x80", "\xa0", "\xfd", "\xfe", "\xff"};

QString utf(const char* text) {
    return QString::fromUtf8(text);
}

TEST(Cp932, DecodesKnownBytes) {
    struct Case {
        QByteArray bytes;
        QString text;
    };
    const Case cases[] = {
        {"abc", u"abc"_s},
        {"\x5c", u"\\"_s},                    // backslash, not a yen sign
        {"\x7e", u"~"_s},                     // tilde, not an overline
        {"\x1a\x1c\x7f", u"\x1a\x1c\x7f"_s},  // control codes as themselves
        {"\x80\xa0\xfd\xff",
         QString(QChar(0x80)) + QChar(0xF8F0) + QChar(0xF8F1) + QChar(0xF8F3)},  // as Windows maps them
        {"\x83\x65\x83\x58\x83\x67", utf("テスト")},
        {"\x87\x40", utf("①")},   // NEC row 13
        {"\xfa\x5c", utf("纊")},  // IBM extension
        {"\xed\x40", utf("纊")},  // NEC-selected IBM extension
        {"\x81\x60", utf("～")},  // FULLWIDTH TILDE, as Windows
        {"\x81\x7c", utf("－")},  // FULLWIDTH HYPHEN-MINUS
        {"\xb1\xdd", utf("ｱﾝ")},  // half-width katakana
        {QByteArray("\x82\xa0\x00\x82\xa2", 5), utf("あ") + QChar(0) + utf("い")},
        {"\x81", QString(QChar(0xFFFD))},  // lead byte at the end
        {"\x81\x20", QString(QChar(0xFFFD)) +
                         QLatin1Char(' ')},    // lead byte without a trail byte: the next byte stands alone
        {"\x85\x40", QString(QChar(0xFFFD))},  // a pair that names no character
    };
    for (const Case& c : cases)
        EXPECT_EQ(cp932::decode(c.bytes), c.text) << c.bytes.toHex().toStdString();
}

TEST(Cp932, DecodingKeepsNoStateBetweenCalls) {
    // A lead byte at the end of one call must not swallow the first byte of the next.
    EXPECT_EQ(cp932::decode("\x83"), QString(QChar(0xFFFD)));
    EXPECT_EQ(cp932::decode("\x65"), u"e"_s);
}

TEST(Cp932, EveryPairDecodesAsGlibcDoes) {
    int compared = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!cp932::isLeadByte(lead))
            continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F)
                continue;
            const QByteArray bytes{char(lead), char(trail)};
            const auto expected = iconvConvert("UTF-16LE", "CP932", bytes);
            const QString decoded = cp932::decode(bytes);
            if (!expected) {
                EXPECT_EQ(decoded, QString(QChar(0xFFFD))) << bytes.toHex().toStdString();
                continue;
            }
            // glibc maps the user-defined rows (0xF0-0xF9) to the private use area, as Windows does.
            EXPECT_EQ(decoded, fromUtf16(*expected)) << bytes.toHex().toStdString();
            ++compared;
        }
    }
    EXPECT_GT(compared, 9000);
}

TEST(Cp932, EverySingleByteDecodesAsGlibcDoes) {
    for (int b = 0; b < 256; ++b) {
        if (cp932::isLeadByte(b))
            continue;
        const QByteArray byte(1, char(b));
        if (kRefusedByGlibc.contains(byte))
            continue;  // checked with the known bytes above
        const auto expected = iconvConvert("UTF-16LE", "CP932", byte);
        ASSERT_TRUE(expected) << b;
        EXPECT_EQ(cp932::decode(byte), fromUtf16(*expected)) << b;
    }
}

TEST(Cp932, EncodesAsWindowsDoes) {
    struct Case {
        QString text;
        QByteArray bytes;
    };
    const Case cases[] = {
        {u"Tunedeck"_s, "Tunedeck"},
        {u"\\"_s, "\x5c"},
        {utf("ＭＳ ゴシック"), "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e"},
        {utf("〜"), "\x81\x60"},  // WAVE DASH, which ICU refuses
        {utf("−"), "\x81\x7c"},   // MINUS SIGN
        {utf("‖"), "\x81\x61"},   // DOUBLE VERTICAL LINE
        {utf("—"), "\x81\x5c"},   // EM DASH
        {utf("¢£¬"), "\x81\x91\x81\x92\x81\xca"},
        {utf("①"), "\x87\x40"},
        {utf("纊"), "\xfa\x5c"},  // the IBM form, never the NEC-selected one
        {utf("Ⅰ"), "\x87\x54"},   // NEC row 13 before the IBM extension
        {utf("ⅰ"), "\xfa\x40"},
        {utf("∵"), "\x81\xe6"},   // JIS X 0208 before both extensions
        {utf("¥‾"), "\x5c\x7e"},  // best fits, as Windows writes them
        {QString(QChar(0x80)) + QChar(0xF8F0) + QChar(0xF8F3), "\x80\xa0\xff"},
        {utf("€"), "?"},
        {QString(QChar(0)), QByteArray(1, '\0')},
    };
    for (const Case& c : cases)
        EXPECT_EQ(cp932::encode(c.text).toHex(), c.bytes.toHex()) << c.text.toStdString();
}

// What the codec writes, glibc reads back as the same text, for every character the codec can read (but for
// the five single bytes glibc refuses, which the codec must read back itself).
TEST(Cp932, EveryDecodedCharacterEncodesBackToAFormGlibcAccepts) {
    QList<QByteArray> codes;
    for (int b = 1; b < 256; ++b)
        if (!cp932::isLeadByte(b))
            codes.append(QByteArray(1, char(b)));
    for (int lead = 0x81; lead <= 0xFC; ++lead)
        for (int trail = 0x40; trail <= 0xFC && cp932::isLeadByte(lead); ++trail)
            if (trail != 0x7F)
                codes.append(QByteArray{char(lead), char(trail)});
    for (const QByteArray& bytes : codes) {
        const QString text = cp932::decode(bytes);
        if (text == QString(QChar(0xFFFD)))
            continue;
        const QByteArray encoded = cp932::encode(text);
        if (kRefusedByGlibc.contains(encoded)) {
            EXPECT_EQ(cp932::decode(encoded), text) << bytes.toHex().toStdString();
            continue;
        }
        const auto readBack = iconvConvert("UTF-16LE", "CP932", encoded);
        ASSERT_TRUE(readBack) << bytes.toHex().toStdString();
        EXPECT_EQ(fromUtf16(*readBack), text) << bytes.toHex().toStdString();
    }
}

TEST(Cp932, PrefixNeverSplitsACharacter) {
    struct Case {
        QByteArray bytes;
        qsizetype limit;
        QByteArray prefix;
    };
    const Case cases[] = {
        {"abcdef", 3, "abc"},
        {"ab", 3, "ab"},
        {"a\x82\xa0", 2, "a"},  // the limit falls inside あ
        {"a\x82\xa0", 3, "a\x82\xa0"},
        {"\x82\xa0\x82\xa2", 3, "\x82\xa0"},
        {"\x82\x88\x82\x88", 3, "\x82\x88"},  // a trail byte in the lead byte range is still a trail byte
        {"", 5, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(cp932::prefixAtCharacterBoundary(c.bytes, c.limit).toByteArray(), c.prefix);
}

}  // namespace
}  // namespace tunedeck
