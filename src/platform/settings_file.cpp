#include "settings_file.h"

#include "cp932.h"
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

std::optional<FileIdentity> identityOf(const QString& path) {
    struct stat s {};
    if (::stat(QFile::encodeName(path).constData(), &s) != 0)
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

std::optional<QByteArray> lookUp(QByteArrayView content, const QString& section, const QString& key) {
    return profile::findValue(content, cp932::encode(section), cp932::encode(key));
}

// The file is consulted at every access, but its bytes and the values found in them are kept while it stays
// the same file: the title of every song of a large folder reads the display format, and the file behind it
// seldom changes.
std::optional<QByteArray> rawValue(const SettingsFile& settings, const QString& key) {
    struct Snapshot {
        QString path;
        FileIdentity identity;
        QByteArray content;
        QHash<QString, std::optional<QByteArray>> values;  // by section and key
    };
    thread_local std::optional<Snapshot> kept;

    const QString path = settings.path();
    const auto identity = identityOf(path);
    if (identity && kept && kept->path == path && kept->identity == *identity) {
        const QString name = settings.section() + u'\n' + key;
        auto found = kept->values.constFind(name);
        if (found == kept->values.cend())
            found = kept->values.insert(name, lookUp(kept->content, settings.section(), key));
        return *found;
    }
    const auto content = readFile(path);
    if (content && identity && settled(*identity) && identityOf(path) == identity)
        kept = Snapshot{path, *identity, *content, {}};
    else
        kept.reset();
    if (!content)
        return std::nullopt;
    return lookUp(*content, settings.section(), key);
}

}  // namespace

SettingsFile::SettingsFile(QString programFolder, QString exeBaseName)
    : programFolder_(std::move(programFolder)), section_(std::move(exeBaseName)) {}

QString SettingsFile::path() const {
    return programFolder_ + '/' + section_ + ".INI";
}

int SettingsFile::readInt(const QString& key, int defaultValue) const {
    const auto value = rawValue(*this, key);
    return value && !value->isEmpty() ? profile::parseInt(*value) : defaultValue;
}

QString SettingsFile::readString(const QString& key, const QString& defaultValue) const {
    const auto value = rawValue(*this, key);
    if (!value)
        return defaultValue;
    return cp932::decode(cp932::prefixAtCharacterBoundary(*value, kMaxValueBytes));
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
