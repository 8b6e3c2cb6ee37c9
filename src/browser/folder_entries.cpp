#include "folder_entries.h"

#include "local_path.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>

namespace tunedeck {
namespace {

FolderEntry::Kind kindOf(int folder, const dirent& entry) {
    const auto fromMode = [](mode_t mode) {
        return S_ISREG(mode)   ? FolderEntry::Kind::File
               : S_ISDIR(mode) ? FolderEntry::Kind::Folder
                               : FolderEntry::Kind::Other;
    };
    // Most file systems say what an entry is; a link or an unknown kind needs a look at its target.
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN)
        return fromMode(DTTOIF(entry.d_type));
    struct stat target {};
    return ::fstatat(folder, entry.d_name, &target, 0) == 0 ? fromMode(target.st_mode)
                                                            : FolderEntry::Kind::Other;
}

QString upperCaseKey(const QString& text) {
    QString key(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        key[i] = QChar(QChar::toUpper(text[i].unicode()));
    return key;
}

}  // namespace

std::vector<FolderEntry> folderEntries(QStringView folder) {
    std::vector<FolderEntry> entries;
    const std::unique_ptr<DIR, int (*)(DIR*)> listing(::opendir(NativePath(folder).c_str()), &::closedir);
    if (!listing)
        return entries;
    while (const dirent* entry = ::readdir(listing.get())) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..")
            entries.push_back({pathFromBytes(QByteArrayView(name.data(), qsizetype(name.size()))),
                               kindOf(::dirfd(listing.get()), *entry)});
    }
    return entries;
}

std::vector<ShownName> inNameOrder(const QStringList& names) {
    struct Keyed {
        ShownName shown;
        QString key;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(names.size());
    for (const QString& name : names) {
        QString text = nameText(name);
        QString key = upperCaseKey(text);
        keyed.push_back({{name, std::move(text)}, std::move(key)});
    }
    std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        const int byKey = QStringView(a.key).compare(QStringView(b.key));
        return byKey != 0 ? byKey < 0 : pathBytes(a.shown.name) < pathBytes(b.shown.name);
    });
    std::vector<ShownName> ordered;
    ordered.reserve(keyed.size());
    for (Keyed& k : keyed)
        ordered.push_back(std::move(k.shown));
    return ordered;
}

}  // namespace tunedeck
