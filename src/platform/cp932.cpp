// SPDX-License-Identifier: GPL-3.0-or-later
#include "cp932.h"

#include <QStringDecoder>

#include <array>
#include <memory>

namespace tunedeck::cp932 {
namespace {

constexpr char16_t kUnmapped = 0xFFFD;

constexpr bool isTrailByte(unsigned char byte) {
    return byte >= 0x40 && byte <= 0xFC && byte != 0x7F;
}

// Both directions as flat tables, the two-byte codes built once from ICU's code page 932 converter. A table
// lookup keeps decoding free of converter state and fast enough for every tag field of a large folder.
struct Tables {
    std::array<char16_t, 256> single{};
    std::array<char16_t, 0x10000> pair{};    // index: lead << 8 | trail
    std::array<quint16, 0x10000> reverse{};  // index: UTF-16 unit; 0 where unmapped (NUL is handled apart)
};

char16_t decodeWithIcu(QByteArrayView bytes) {
    QStringDecoder decoder("windows-31j");
    const QString text = decoder.decode(bytes);
    // ICU substitutes U+001A or U+FFFD for bytes it cannot map.
    if (decoder.hasError() || text.size() != 1 || text[0] == QChar(0x1A) || text[0] == QChar(0xFFFD))
        return kUnmapped;
    return text[0].unicode();
}

void addReverse(Tables& t, char16_t unit, quint16 code) {
    // The first code page form of a character wins; the callers go through the ranges in Windows' order
    // of preference.
    if (unit != kUnmapped && t.reverse[unit] == 0)
        t.reverse[unit] = code;
}

// A byte that stands alone, as Windows reads it: ASCII as itself (ICU's table swaps some control codes), the
// half-width katakana, and 0x80, 0xA0 and 0xFD to 0xFF as Windows maps them.
char16_t singleByte(int b) {
    if (b <= 0x80)
        return char16_t(b);
    if (b == 0xA0)
        return 0xF8F0;
    if (b >= 0xA1 && b <= 0xDF)
        return char16_t(0xFF61 + (b - 0xA1));
    if (b >= 0xFD)
        return char16_t(0xF8F1 + (b - 0xFD));
    return kUnmapped;  // a lead byte
}

std::unique_ptr<Tables> buildTables() {
    auto t = std::make_unique<Tables>();
    for (int b = 0; b < 256; ++b) {
        t->single[b] = singleByte(b);
        if (b != 0)
            addReverse(*t, t->single[b], quint16(b));
    }
    t->pair.fill(kUnmapped);
    // JIS X 0208, NEC row 13 and the user-defined area first, then the IBM extensions, and the NEC-selected
    // IBM extensions (0xED, 0xEE) last, so that a character with several forms encodes as Windows does.
    const auto addPairs = [&](int firstLead, int lastLead, bool reverse) {
        for (int lead = firstLead; lead <= lastLead; ++lead) {
            if (!isLeadByte(lead))
                continue;
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                if (!isTrailByte(trail))
                    continue;
                const char bytes[2] = {char(lead), char(trail)};
                const quint16 code = quint16(lead << 8 | trail);
                t->pair[code] = decodeWithIcu(QByteArrayView(bytes, 2));
                if (reverse)
                    addReverse(*t, t->pair[code], code);
            }
        }
    };
    addPairs(0x81, 0xEC, true);
    addPairs(0xEF, 0xFC, true);
    addPairs(0xED, 0xEE, true);
    return t;
}

const Tables& tables() {
    static const std::unique_ptr<Tables> instance = buildTables();
    return *instance;
}

// Characters that have a code page 932 look-alike that Windows maps them to but ICU's table lacks.
char16_t windowsEquivalent(char16_t unit) {
    switch (unit) {
        case 0x301C:
            return 0xFF5E;  // WAVE DASH -> FULLWIDTH TILDE
        case 0x2016:
            return 0x2225;  // DOUBLE VERTICAL LINE -> PARALLEL TO
        case 0x2212:
            return 0xFF0D;  // MINUS SIGN -> FULLWIDTH HYPHEN-MINUS
        case 0x2014:
            return 0x2015;  // EM DASH -> HORIZONTAL BAR
        case 0x00A2:
            return 0xFFE0;  // CENT SIGN
        case 0x00A3:
            return 0xFFE1;  // POUND SIGN
        case 0x00AC:
            return 0xFFE2;  // NOT SIGN
        case 0x00A6:
            return 0xFFE4;  // BROKEN BAR
        case 0x00A5:
            return 0x005C;  // YEN SIGN -> the backslash byte, which Japanese fonts draw as a yen sign
        case 0x203E:
            return 0x007E;  // OVERLINE -> the tilde byte, drawn as an overline
        default:
            return unit;
    }
}

}  // namespace

QString decode(QByteArrayView bytes) {
    // Every byte gives at most one character: fill a string of that size and cut it to what was written.
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype size = bytes.size();
    // ASCII, as most tags and settings are, reads as itself: the tables are needed from the first other byte.
    qsizetype i = 0;
    for (; i < size && in[i] < 0x80; ++i)
        out[i] = QChar(char16_t(in[i]));
    if (i == size)
        return text;
    const Tables& t = tables();
    qsizetype written = i;
    for (; i < size; ++i) {
        const unsigned char byte = in[i];
        if (isLeadByte(byte) && i + 1 < size && isTrailByte(in[i + 1])) {
            out[written++] = QChar(t.pair[byte << 8 | in[i + 1]]);
            ++i;
        } else {
            out[written++] = QChar(t.single[byte]);
        }
    }
    text.truncate(written);
    return text;
}

QByteArray encode(QStringView text) {
    const Tables& t = tables();
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    for (const QChar c : text) {
        const char16_t unit = windowsEquivalent(c.unicode());
        const quint16 code = unit == 0 ? 0 : t.reverse[unit];
        if (unit != 0 && code == 0)
            bytes.append('?');
        else if (code > 0xFF)
            bytes.append(char(code >> 8)).append(char(code & 0xFF));
        else
            bytes.append(char(code));
    }
    return bytes;
}

QByteArrayView prefixAtCharacterBoundary(QByteArrayView bytes, qsizetype limit) {
    if (bytes.size() <= limit)
        return bytes;
    qsizetype end = 0;
    while (end < limit) {
        const qsizetype width = isLeadByte(static_cast<unsigned char>(bytes[end])) ? 2 : 1;
        if (end + width > limit)
            break;
        end += width;
    }
    return bytes.first(end);
}

}  // namespace tunedeck::cp932
