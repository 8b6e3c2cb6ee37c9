#include "settings_file.h"

#include "cp932.h"
#include "private_profile.h"

#include <QFile>
#include <QHash>
#include <QSaveFile>

#include <optional>

#include <sys/stat.h>

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

// A file that is also reached by another name: a hard link, perhaps from a synced folder.
bool hasOtherNames(const QByteArray& encodedPath) {
    struct stat s {};
    return ::stat(encodedPath.constData(), &s) == 0 && s.st_nlink > 1;
}

// Rewrites the file itself, as editors do with such a file: a new file put in its place would split it off
// from its other names, which would keep the old settings and never see the program's again.
bool writeInPlace(const QString& path, const QByteArray& content) {
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && file.write(content) == content.size() &&
           file.resize(content.size()) && file.flush();
}

// What tells one state of a file from another: a write through a temporary file gives a new inode, an edit
// in place a new size or new times.
struct FileState {
    dev_t device;
    ino_t inode;
    off_t size;
    timespec modified;
    timespec changed;

    bool operator==(const FileState& o) const {
        return device == o.device && inode == o.inode && size == o.size &&
               modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec &&
               changed.tv_sec == o.changed.tv_sec && changed.tv_nsec == o.changed.tv_nsec;
    }
};

// Of the file the path leads to, through any symbolic links.
std::optional<FileState> stateOf(const QByteArray& encodedPath) {
    struct stat s {};
    if (::stat(encodedPath.constData(), &s) != 0)
        return std::nullopt;
    return FileState{s.st_dev, s.st_ino, s.st_size, s.st_mtim, s.st_ctim};
}

// Whether the file's state still tells all: a file changed within the clock's current tick can change again
// within it and keep its size and times. File systems that keep whole seconds stamp to one or, FAT, two.
bool settledBy(const FileState& state, timespec now) {
    if (state.changed.tv_nsec == 0 && state.modified.tv_nsec == 0)
        return now.tv_sec - state.changed.tv_sec >= 2;
    return state.changed.tv_sec < now.tv_sec ||
           (state.changed.tv_sec == now.tv_sec && state.changed.tv_nsec < now.tv_nsec);
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

// The title of every song of a large folder reads the display format, and the file behind it seldom
// changes: its bytes and the values found in them are kept while a look at the file, at every read, shows
// it as it was.
struct Kept {
    QByteArray encodedPath;
    FileState state;
    QByteArray content;
    QHash<QString, Value> values;  // by key; the path names the section
};
thread_local std::optional<Kept> kept;

Value valueOf(const QByteArray& encodedPath, const QString& section, const QString& key,
              SettingsFile::Clock clock) {
    // Taken before the look, so that every change after the look is stamped with this time or a later one.
    const timespec now = clock();
    const auto state = stateOf(encodedPath);
    if (!kept || !state || kept->state != *state || kept->encodedPath != encodedPath) {
        kept.reset();
        const auto content = readFile(QFile::decodeName(encodedPath));
        if (!content)
            return {};
        if (!state || !settledBy(*state, now))
            return valueIn(*content, section, key);
        kept = Kept{encodedPath, *state, *content, {}};
    }
    auto found = kept->values.constFind(key);
    if (found == kept->values.cend())
        found = kept->values.insert(key, valueIn(kept->content, section, key));
    return *found;
}

}  // namespace

timespec SettingsFile::fileClock() {
    // The coarse clock is the one the kernel stamps file changes with.
    timespec now{};
    clock_gettime(CLOCK_REALTIME_COARSE, &now);
    return now;
}

SettingsFile::SettingsFile(QString programFolder, QString exeBaseName, Clock clock)
    : programFolder_(std::move(programFolder)),
      section_(std::move(exeBaseName)),
      encodedPath_(QFile::encodeName(path())),
      clock_(clock) {}

QString SettingsFile::path() const {
    return programFolder_ + QLatin1Char('/') + section_ + QStringLiteral(".INI");
}

int SettingsFile::readInt(const QString& key, int defaultValue) const {
    const Value value = valueOf(encodedPath_, section_, key, clock_);
    return value.bytes && !value.bytes->isEmpty() ? profile::parseInt(*value.bytes) : defaultValue;
}

QString SettingsFile::readString(const QString& key, const QString& defaultValue) const {
    const Value value = valueOf(encodedPath_, section_, key, clock_);
    return value.bytes ? value.text : defaultValue;
}

bool SettingsFile::write(const QString& key, const QString& value) const {
    // The next read sees this write, also one in place within the tick of the last read.
    kept.reset();
    if (value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r')))
        return false;
    const QString target = path();
    const auto old = readFile(target);
    if (!old)
        return false;  // rewriting a file we cannot read would lose its other lines
    const QByteArray content =
        profile::withValue(*old, cp932::encode(section_), cp932::encode(key), cp932::encode(value));
    if (hasOtherNames(encodedPath_))
        return writeInPlace(target, content);
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
