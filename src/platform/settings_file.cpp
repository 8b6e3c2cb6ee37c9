#include "settings_file.h"

#include "cp932.h"
#include "file_watch.h"
#include "private_profile.h"

#include <QFile>
#include <QHash>
#include <QSaveFile>

#include <optional>

#include <sys/stat.h>
#include <time.h>

namespace tunedeck {
namespace {

// The longest value the program reads: a 1024-byte buffer with its terminating NUL.
constexpr qsizetype kMaxValueBytes = 1023;

// The file's bytes; empty when there is no file, nullopt when there is one that cannot be read.
std::optional<QByteArray> readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.exists() ? std::nullopt : std::optional<QByteArray>(QByteArray());
    return file.readAll();
}

// What tells one state of a file from another: a write through a temporary file gives a new inode, an edit
// in place a new modification time or size.
struct FileIdentity {
    dev_t device;
    ino_t inode;
    off_t size;
    timespec modified;
    timespec changed;

    bool operator==(const FileIdentity& o) const {
        return device == o.device && inode == o.inode && size == o.size &&
               modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec &&
               changed.tv_sec == o.changed.tv_sec && changed.tv_nsec == o.changed.tv_nsec;
    }
};

std::optional<FileIdentity> identityOf(const QByteArray& encodedPath) {
    struct stat s {};
    if (::stat(encodedPath.constData(), &s) != 0)
        return std::nullopt;
    return FileIdentity{s.st_dev, s.st_ino, s.st_size, s.st_mtim, s.st_ctim};
}

// A file changed within the last moments may change again within the file system's timestamp granularity
// without its identity showing it, so only a file that has been still for a while is kept.
bool settled(const FileIdentity& identity) {
    constexpr time_t kSettledSeconds = 2;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return now.tv_sec - identity.changed.tv_sec > kSettledSeconds;
}

// A value as the readers take it: its bytes, and the text the string reader makes of them. No bytes when the
// file, the section or the key is missing, or the file cannot be read.
struct Value {
    std::optional<QByteArray> bytes;
    QString text;
};

Value valueIn(QByteArrayView content, const QString& section, const QString& key) {
    Value value{profile::findValue(content, cp932::encode(section), cp932::encode(key)), {}};
    if (value.bytes)
        value.text = cp932::decode(cp932::prefixAtCharacterBoundary(*value.bytes, kMaxValueBytes));
    return value;
}

// The file is consulted at every access, but its bytes and the values found in them are kept while it stays
// the same file: the title of every song of a large folder reads the display format, and the file behind it
// seldom changes. Whether it changed is asked of a watch, which costs less than looking the file up; where
// its folder cannot be watched, the file's identity is compared instead.
Value valueOf(const SettingsFile& settings, const QString& key) {
    // Of the file `watched` names.
    struct Snapshot {
        QByteArray encodedPath;
        FileIdentity identity;
        QByteArray content;
        QHash<QString, Value> values;  // by key; the path names the section
    };
    struct Watched {
        QString path;
        std::unique_ptr<FileWatch> watch;
    };
    thread_local std::optional<Snapshot> kept;
    thread_local Watched watched;

    const QString path = settings.path();
    if (watched.path != path || (watched.watch && watched.watch->ended())) {
        // Before the file is read, so that every change from here on is seen.
        watched = {path, FileWatch::of(QFile::encodeName(settings.programFolder()),
                                       QFile::encodeName(settings.fileName()))};
        kept.reset();
    }
    const bool unchanged = watched.watch && watched.watch->unchanged();
    if (kept && (watched.watch ? unchanged : identityOf(kept->encodedPath) == kept->identity)) {
        auto found = kept->values.constFind(key);
        if (found == kept->values.cend())
            found = kept->values.insert(key, valueIn(kept->content, settings.section(), key));
        return *found;
    }
    kept.reset();
    const QByteArray encodedPath = QFile::encodeName(path);
    const auto identity = identityOf(encodedPath);
    const auto content = readFile(path);
    if (content && identity && settled(*identity) && identityOf(encodedPath) == identity)
        kept = Snapshot{encodedPath, *identity, *content, {}};
    if (!content)
        return {};
    return valueIn(*content, settings.section(), key);
}

}  // namespace

SettingsFile::SettingsFile(QString programFolder, QString exeBaseName)
    : programFolder_(std::move(programFolder)), section_(std::move(exeBaseName)) {}

QString SettingsFile::path() const {
    return programFolder_ + '/' + fileName();
}

QString SettingsFile::fileName() const {
    return section_ + QStringLiteral(".INI");
}

int SettingsFile::readInt(const QString& key, int defaultValue) const {
    const Value value = valueOf(*this, key);
    return value.bytes && !value.bytes->isEmpty() ? profile::parseInt(*value.bytes) : defaultValue;
}

QString SettingsFile::readString(const QString& key, const QString& defaultValue) const {
    const Value value = valueOf(*this, key);
    return value.bytes ? value.text : defaultValue;
}

bool SettingsFile::write(const QString& key, const QString& value) const {
    if (value.contains('\n') || value.contains('\r'))
        return false;
    const QString target = path();
    const auto old = readFile(target);
    if (!old)
        return false;  // rewriting a file we cannot read would lose its other lines
    const QByteArray content =
        profile::withValue(*old, cp932::encode(section_), cp932::encode(key), cp932::encode(value));
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(content) != content.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace tunedeck
