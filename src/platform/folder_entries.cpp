// SPDX-License-Identifier: GPL-3.0-or-later
#include "folder_entries.h"

#include "local_path.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>

namespace tunedeck {
namespace {

EntryKind kindOf(int folder, const dirent& entry) {
    const auto fromMode = [](mode_t mode) {
        return S_ISREG(mode) ? EntryKind::File : S_ISDIR(mode) ? EntryKind::Folder : EntryKind::Other;
    };
    // Most file systems say what an entry is; a link or an unknown kind needs a look at its target.
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN)
        return fromMode(DTTOIF(entry.d_type));
    struct stat target {};
    return ::fstatat(folder, entry.d_name, &target, 0) == 0 ? fromMode(target.st_mode) : EntryKind::Other;
}

// ASCII without a table look-up: most names are.
char16_t upperCase(char16_t unit) {
    if (unit < 0x80)
        return unit >= u'a' && unit <= u'z' ? char16_t(unit - (u'a' - u'A')) : unit;
    return QChar::toUpper(unit);
}

}  // namespace

void readFolder(QStringView folder, const std::function<void(QString name, EntryKind kind)>& take) {
    const std::unique_ptr<DIR, int (*)(DIR*)> listing(::opendir(NativePath(folder).c_str()), &::closedir);
    if (!listing)
        return;
    while (const dirent* entry = ::readdir(listing.get())) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..")
            take(pathFromBytes(QByteArrayView(name.data(), qsizetype(name.size()))),
                 kindOf(::dirfd(listing.get()), *entry));
    }
}

// Each key made once: its first eight units as two numbers in a small entry, which settle most comparisons,
// the rest in one buffer for all.
void sortByName(QStringList& names) {
    static constexpr qsizetype kHeld = 8;
    struct Entry {
        quint64 first, second;  // units 0-3 and 4-7 of the key, zero beyond its end
        quint32 at, size;       // the units after these in the buffer
        qsizetype index;
    };
    std::vector<Entry> order;
    order.reserve(names.size());
    std::u16string rest;
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString text = nameText(names[i]);
        Entry entry{0, 0, quint32(rest.size()), quint32(std::max<qsizetype>(text.size() - kHeld, 0)), i};
        for (qsizetype unit = 0; unit < text.size(); ++unit) {
            const char16_t upper = upperCase(text[unit].unicode());
            if (unit >= kHeld)
                rest.push_back(upper);
            else
                (unit < 4 ? entry.first : entry.second) |= quint64(upper) << (48 - 16 * (unit % 4));
        }
        order.push_back(entry);
    }
    const auto restOf = [&rest](const Entry& e) { return std::u16string_view(rest).substr(e.at, e.size); };
    std::sort(order.begin(), order.end(), [&](const Entry& a, const Entry& b) {
        if (a.first != b.first)
            return a.first < b.first;
        if (a.second != b.second)
            return a.second < b.second;
        const int byKey = restOf(a).compare(restOf(b));
        return byKey != 0 ? byKey < 0 : pathBytes(names[a.index]) < pathBytes(names[b.index]);
    });
    rest = {};
    QStringList sorted;
    sorted.reserve(names.size());
    for (const Entry& e : order)
        sorted.append(std::move(names[e.index]));
    names = std::move(sorted);
}

}  // namespace tunedeck
