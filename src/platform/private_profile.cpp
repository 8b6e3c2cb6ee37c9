// SPDX-License-Identifier: GPL-3.0-or-later
#include "private_profile.h"

#include "cp932.h"

#include <QList>
#include <QString>

#include <algorithm>
#include <limits>

namespace tunedeck::profile {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

QByteArrayView trimmed(QByteArrayView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

// Quotes let a value keep blanks at its ends.
QByteArrayView unquoted(QByteArrayView value) {
    const bool quoted =
        value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front();
    return quoted ? value.sliced(1, value.size() - 2) : value;
}

bool isAscii(QByteArrayView text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool sameName(QByteArrayView a, QByteArrayView b) {
    if (a.size() == b.size() && isAscii(a) && isAscii(b))
        return std::equal(a.begin(), a.end(), b.begin(),
                          [](char x, char y) { return asciiLower(x) == asciiLower(y); });
    // Otherwise compared as text: folding the case of raw bytes would also fold the second byte of a
    // Japanese character.
    return cp932::decode(a).compare(cp932::decode(b), Qt::CaseInsensitive) == 0;
}

struct Line {
    qsizetype begin;  // offset of the line in the content
    qsizetype end;    // offset just past its text, before the line break
    QByteArrayView text;
};

QList<Line> splitLines(QByteArrayView content) {
    QList<Line> lines;
    qsizetype begin = 0;
    while (begin < content.size()) {
        qsizetype next = content.indexOf('\n', begin);
        const qsizetype stop = next < 0 ? content.size() : next;
        qsizetype end = stop;
        if (end > begin && content[end - 1] == '\r')
            --end;
        lines.append({begin, end, content.sliced(begin, end - begin)});
        begin = next < 0 ? content.size() : next + 1;
    }
    return lines;
}

// The first "]" after the "[" that is a character of its own, as Windows reads the header: the second byte of
// a two-byte character, as in "ゾ" (0x83 0x5D), may be 0x5D too.
qsizetype closingBracket(QByteArrayView header) {
    for (qsizetype i = 1; i < header.size(); ++i) {
        if (cp932::isLeadByte(uchar(header[i])) && i + 1 < header.size())
            ++i;
        else if (header[i] == ']')
            return i;
    }
    return -1;
}

std::optional<QByteArrayView> sectionName(QByteArrayView line) {
    const QByteArrayView text = trimmed(line);
    if (!text.startsWith('['))
        return std::nullopt;
    const qsizetype close = closingBracket(text);
    return trimmed(text.sliced(1, (close < 0 ? text.size() : close) - 1));
}

struct Entry {
    QByteArrayView key;
    QByteArrayView value;
};

std::optional<Entry> entry(QByteArrayView line) {
    const QByteArrayView text = trimmed(line);
    if (text.isEmpty() || text.startsWith(';'))
        return std::nullopt;
    const qsizetype equals = text.indexOf('=');
    if (equals < 0)
        return std::nullopt;
    return Entry{trimmed(text.first(equals)), trimmed(text.sliced(equals + 1))};
}

// Where a section's lines lie: the header's index and one past its last line.
struct SectionSpan {
    qsizetype header = -1;
    qsizetype end = -1;
};

SectionSpan findSection(const QList<Line>& lines, QByteArrayView section) {
    SectionSpan span;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const auto name = sectionName(lines[i].text);
        if (!name)
            continue;
        if (span.header >= 0) {
            span.end = i;
            return span;
        }
        if (sameName(*name, section))
            span.header = i;
    }
    if (span.header >= 0)
        span.end = lines.size();
    return span;
}

qsizetype findKey(const QList<Line>& lines, SectionSpan span, QByteArrayView key) {
    for (qsizetype i = span.header + 1; i < span.end; ++i) {
        const auto e = entry(lines[i].text);
        if (e && sameName(e->key, key))
            return i;
    }
    return -1;
}

QByteArray lineBreakOf(QByteArrayView content) {
    const qsizetype newline = content.indexOf('\n');
    return newline > 0 && content[newline - 1] != '\r' ? QByteArray("\n") : QByteArray("\r\n");
}

}  // namespace

std::optional<QByteArray> findValue(QByteArrayView content, QByteArrayView section, QByteArrayView key) {
    const QList<Line> lines = splitLines(content);
    const SectionSpan span = findSection(lines, section);
    if (span.header < 0)
        return std::nullopt;
    const qsizetype at = findKey(lines, span, key);
    if (at < 0)
        return std::nullopt;
    return unquoted(entry(lines[at].text)->value).toByteArray();
}

QByteArray withValue(QByteArrayView content, QByteArrayView section, QByteArrayView key,
                     QByteArrayView value) {
    const QList<Line> lines = splitLines(content);
    const QByteArray lineBreak = lineBreakOf(content);
    const QByteArray keyLine = key.toByteArray() + '=' + value.toByteArray();
    const SectionSpan span = findSection(lines, section);

    QByteArray result;
    if (span.header < 0) {
        result = content.toByteArray();
        if (!result.isEmpty() && !result.endsWith('\n'))
            result += lineBreak;
        return result + '[' + section.toByteArray() + ']' + lineBreak + keyLine + lineBreak;
    }

    const qsizetype at = findKey(lines, span, key);
    if (at >= 0) {
        const QByteArrayView keyText = entry(lines[at].text)->key;
        return content.first(lines[at].begin).toByteArray() + keyText.toByteArray() + '=' +
               value.toByteArray() + content.sliced(lines[at].end).toByteArray();
    }

    // A new key goes after the section's last non-blank line, ahead of the blank lines before the next
    // section.
    qsizetype last = span.end - 1;
    while (last > span.header && trimmed(lines[last].text).isEmpty())
        --last;
    const Line& after = lines[last];
    qsizetype insertAt = after.end;
    result = content.first(insertAt).toByteArray();
    if (insertAt == content.size())
        return result + lineBreak + keyLine + lineBreak;
    return result + lineBreak + keyLine + content.sliced(insertAt).toByteArray();
}

int parseInt(QByteArrayView text) {
    qsizetype i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    qint64 magnitude = 0;
    constexpr qint64 kLimit = qint64(std::numeric_limits<int>::max()) + 1;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        magnitude = std::min(kLimit, magnitude * 10 + (text[i] - '0'));
    const qint64 value = negative ? -magnitude : std::min(magnitude, kLimit - 1);
    return int(value);
}

}  // namespace tunedeck::profile
