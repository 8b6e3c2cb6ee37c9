// SPDX-License-Identifier: GPL-3.0-or-later
#include "fat_names.h"

#include <QSet>

#include <algorithm>

namespace tunedeck {
namespace {

bool refusedByFat(char16_t unit) {
    return unit < 0x20 || unit == 0x7F || QStringView(u"\\/:*?\"<>|").contains(QChar(unit));
}

bool isAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

qsizetype digitRunEnd(const QString& text, qsizetype at) {
    while (at < text.size() && isAsciiDigit(text[at]))
        ++at;
    return at;
}

// Negative, zero or positive as the number `a` spells is below, equal to or above `b`'s.
int compareNumbers(QStringView a, QStringView b) {
    const auto significant = [](QStringView digits) {
        while (digits.size() > 1 && digits.front() == u'0')
            digits = digits.sliced(1);
        return digits;
    };
    a = significant(a);
    b = significant(b);
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

qsizetype lengthIn(const NameLimit& limit, const QString& name) {
    return limit.inBytes ? name.toUtf8().size() : name.size();
}

}  // namespace

QString fatSafeName(const QString& stem, const QString& suffix, const NameLimit& limit) {
    QString name;
    name.reserve(stem.size());
    for (qsizetype i = 0; i < stem.size(); ++i) {
        const char16_t unit = stem[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < stem.size() &&
            QChar::isLowSurrogate(stem[i + 1].unicode())) {
            name += stem.sliced(i++, 2);
            continue;
        }
        // A lone surrogate is no character, and a held byte (local_path.h) no text FAT could store.
        const bool refused =
            refusedByFat(unit) || QChar::isSurrogate(unit) || (name.isEmpty() && unit == u'.');
        name += refused ? QChar(u'_') : QChar(unit);
    }
    // No character is shorter than one unit or one byte.
    const auto chopped = [&](qsizetype size) {
        name.truncate(size > 0 && QChar::isHighSurrogate(name[size - 1].unicode()) ? size - 1 : size);
    };
    if (name.size() > limit.most)
        chopped(limit.most);
    while (!name.isEmpty() && lengthIn(limit, name + suffix) > limit.most)
        chopped(name.size() - 1);
    while (!name.isEmpty() && (name.endsWith(u'.') || name.endsWith(u' ')))
        name.chop(1);
    return (name.isEmpty() ? QStringLiteral("_") : name) + suffix;
}

bool containsIgnoringCase(const QStringList& names, const QString& name) {
    return names.contains(name, Qt::CaseInsensitive);
}

QString freeFatName(const QString& stem, const QString& extension, const QStringList& taken,
                    const NameLimit& limit) {
    return freeFatName(
        stem, extension, [&](const QString& name) { return containsIgnoringCase(taken, name); }, limit);
}

QString freeFatName(const QString& stem, const QString& extension,
                    const std::function<bool(const QString& name)>& isTaken, const NameLimit& limit) {
    QString name = fatSafeName(stem, extension, limit);
    for (int copy = 2; isTaken(name); ++copy)
        name = fatSafeName(stem, QStringLiteral(" (%1)").arg(copy) + extension, limit);
    return name;
}

QString extensionOf(const QString& name) {
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot > 0 ? name.sliced(dot) : QString();
}

QString stemOf(const QString& name) {
    return name.first(name.size() - extensionOf(name).size());
}

QString songStem(const QString& displayTitle, const QString& extension) {
    return !extension.isEmpty() && displayTitle.endsWith(extension, Qt::CaseInsensitive)
               ? displayTitle.chopped(extension.size())
               : displayTitle;
}

QString listedTitle(const QString& fileName, bool numbered) {
    const QString stem = stemOf(fileName);
    const auto number = numbered ? numberPrefixOf(stem) : std::nullopt;
    return number ? number->rest : stem;
}

QString shownSongName(const QString& displayTitle, const QString& sourceName, const NameLimit& limit,
                      bool numbered) {
    const QString extension = extensionOf(sourceName);
    const QString number = numbered ? numberPrefix(1) : QString();
    return listedTitle(fatSafeName(number + songStem(displayTitle, extension), extension, limit), numbered);
}

bool isSongName(const QString& name) {
    const QString extension = extensionOf(name);
    return extension.compare(u".mp3", Qt::CaseInsensitive) == 0 ||
           extension.compare(u".rmp", Qt::CaseInsensitive) == 0;
}

bool naturalLess(const QString& a, const QString& b) {
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (isAsciiDigit(a[i]) && isAsciiDigit(b[j])) {
            const qsizetype endA = digitRunEnd(a, i), endB = digitRunEnd(b, j);
            if (const int order =
                    compareNumbers(QStringView(a).sliced(i, endA - i), QStringView(b).sliced(j, endB - j)))
                return order < 0;
            i = endA;
            j = endB;
            continue;
        }
        const QChar x = a[i++].toCaseFolded(), y = b[j++].toCaseFolded();
        if (x != y)
            return x < y;
    }
    if ((i < a.size()) != (j < b.size()))
        return j < b.size();
    return a < b;
}

std::optional<NumberPrefix> numberPrefixOf(const QString& name) {
    const qsizetype digits = digitRunEnd(name, 0);
    if (digits == 0 || digits >= name.size() || name[digits] != u' ')
        return std::nullopt;
    return NumberPrefix{name.first(digits), name.sliced(digits + 1)};
}

QString numberPrefix(int number) {
    return QStringLiteral("%1 ").arg(number, 2, 10, QChar(u'0'));
}

bool numberedApart(const QStringList& names) {
    // Asked before every song sent, of folders of a thousand songs.
    QSet<qulonglong> numbers;
    numbers.reserve(names.size());
    for (const QString& name : names) {
        const auto prefix = numberPrefixOf(name);
        if (!prefix || numbers.contains(prefix->digits.toULongLong()))
            return false;
        numbers.insert(prefix->digits.toULongLong());
    }
    return true;
}

int nextNumber(const QStringList& names) {
    int highest = 0;
    for (const QString& name : names)
        if (const auto prefix = numberPrefixOf(name))
            highest = std::max(highest, prefix->digits.toInt());
    return highest + 1;
}

std::vector<Rename> numberingRenames(const QStringList& inOrder, QStringList taken, const NameLimit& limit) {
    std::vector<Rename> renames;
    for (qsizetype i = 0; i < inOrder.size(); ++i) {
        const QString& name = inOrder[i];
        const auto prefix = numberPrefixOf(name);
        const QString wanted = numberPrefix(int(i + 1)) + (prefix ? prefix->rest : name);
        if (wanted == name)
            continue;
        taken.removeOne(name);
        const QString free = freeFatName(stemOf(wanted), extensionOf(wanted), taken, limit);
        renames.push_back({name, free});
        taken << free;
    }
    return renames;
}

}  // namespace tunedeck
