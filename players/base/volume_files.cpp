// SPDX-License-Identifier: GPL-3.0-or-later
#include "volume_files.h"

#include "fat_names.h"
#include "file_player_texts.h"
#include "local_path.h"
#include "player_texts.h"

#include <QRandomGenerator>
#include <QScopeGuard>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

namespace tunedeck {
namespace {

// Small enough that a stop asked for during a transfer is seen at once.
constexpr qsizetype kChunk = 64 * 1024;

[[noreturn]] void fail(const QString& name) {
    throw volumeError(errno, name);
}

// A new hidden file in `folder` of a name no one else uses.
std::pair<Fd, QString> createTemporary(const Fd& folder) {
    for (;;) {
        const QString name = kPartPrefix + QString::number(QRandomGenerator::global()->generate(), 16);
        const int fd = ::openat(folder.get(), NativePath(name).c_str(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd >= 0)
            return {Fd(fd), name};
        if (errno != EEXIST)
            fail(name);
    }
}

}  // namespace

bool writeAll(int fd, const char* data, qsizetype size) {
    while (size > 0) {
        const ssize_t wrote = ::write(fd, data, size);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return false;
        data += wrote;
        size -= wrote;
    }
    return true;
}

ssize_t readSome(int fd, char* data, qsizetype size) {
    ssize_t got;
    do
        got = ::read(fd, data, size);
    while (got < 0 && errno == EINTR);
    return got;
}

Fd& Fd::operator=(Fd&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

bool Fd::close() {
    return ::close(std::exchange(fd_, -1)) == 0;
}

Fd::~Fd() {
    if (fd_ >= 0)
        ::close(fd_);
}

Fd openFolder(const QString& path) {
    return Fd(::open(NativePath(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

Fd openFolderAt(const Fd& parent, const QString& name) {
    return Fd(
        ::openat(parent.get(), NativePath(name).c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

std::pair<Fd, QString> openContainingFolder(const QString& path) {
    const qsizetype slash = path.lastIndexOf(u'/');
    return {openFolder(slash < 0    ? QStringLiteral(".")
                       : slash == 0 ? QStringLiteral("/")
                                    : path.first(slash)),
            path.sliced(slash + 1)};
}

namespace {

// The entry of `native` (the name's own bytes) in the folder, as lstat tells it; Other when it cannot.
VolumeEntry describedEntry(const Fd& folder, const char* native, QString name) {
    VolumeEntry entry{.name = std::move(name)};
    struct stat status {};
    if (::fstatat(folder.get(), native, &status, AT_SYMLINK_NOFOLLOW) == 0) {
        entry.kind = S_ISREG(status.st_mode)   ? VolumeEntry::Kind::File
                     : S_ISDIR(status.st_mode) ? VolumeEntry::Kind::Folder
                                               : VolumeEntry::Kind::Other;
        entry.size = status.st_size;
        entry.inode = status.st_ino;
        entry.modified = qint64(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec;
    }
    return entry;
}

}  // namespace

std::vector<VolumeEntry> listEntries(const Fd& folder) {
    return listEntries(folder, [](const QString&) { return nullptr; });
}

std::vector<VolumeEntry> listEntries(const Fd& folder, const KnownEntry& known) {
    std::vector<VolumeEntry> entries;
    // A listing of its own, so that reading does not move the folder's offset.
    const int fd = ::openat(folder.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const std::unique_ptr<DIR, int (*)(DIR*)> listing(fd >= 0 ? ::fdopendir(fd) : nullptr, &::closedir);
    if (!listing) {
        if (fd >= 0)
            ::close(fd);
        return entries;
    }
    while (const dirent* entry = ::readdir(listing.get())) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        QString path = pathFromBytes(QByteArrayView(name.data(), qsizetype(name.size())));
        const VolumeEntry* const described = known(path);
        entries.push_back(described ? *described : describedEntry(folder, entry->d_name, std::move(path)));
    }
    return entries;
}

bool entryExists(const Fd& folder, const QString& name) {
    struct stat status {};
    return ::fstatat(folder.get(), NativePath(name).c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0;
}

DeviceError volumeError(int error, const QString& name) {
    switch (error) {
        case ENOSPC:
        case EDQUOT:
            return DeviceError(player_texts::kMemoryFull);
        case EROFS:
            return DeviceError(file_player_texts::kReadOnly);
        case EACCES:
        case EPERM:
            return DeviceError(file_player_texts::kWriteRefused + nameText(name));
        case EIO:
        case ENODEV:
        case ENXIO:
        case ENOTCONN:
        case ESTALE:
        case ENOENT:
            return DeviceError(file_player_texts::kDeviceGone + nameText(name));
        default:
            return DeviceError(player_texts::kStoreUnwritable + nameText(name));
    }
}

void syncFolder(const Fd& folder) {
    // Some FUSE file systems do not sync folders; what they hold is then as safe as they make it.
    if (::fsync(folder.get()) != 0 && errno != EINVAL && errno != ENOSYS)
        fail(QString());
}

void syncVolume(const Fd& folder) {
    if (::syncfs(folder.get()) != 0)
        fail(QString());
    // FAT has no syncfs of its own to flush the device's cache; an fsync there does.
    syncFolder(folder);
}

void makeFolder(const Fd& parent, const QString& name, const QString& shown) {
    if (::mkdirat(parent.get(), NativePath(name).c_str(), 0755) != 0)
        fail(shown.isEmpty() ? name : shown);
}

void renameEntry(const Fd& from, const QString& name, const Fd& to, const QString& newName,
                 const QString& shown) {
    if (::renameat(from.get(), NativePath(name).c_str(), to.get(), NativePath(newName).c_str()) != 0)
        fail(shown.isEmpty() ? name : shown);
}

void removeEntry(const Fd& folder, const QString& name) {
    struct stat status {};
    const NativePath native(name);
    if (::fstatat(folder.get(), native.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        fail(name);
    if (S_ISDIR(status.st_mode)) {
        const Fd inside = openFolderAt(folder, name);
        if (!inside)
            fail(name);
        for (const VolumeEntry& entry : listEntries(inside))
            removeEntry(inside, entry.name);
    }
    if (::unlinkat(folder.get(), native.c_str(), S_ISDIR(status.st_mode) ? AT_REMOVEDIR : 0) != 0)
        fail(name);
}

QByteArray readSmallFile(const Fd& folder, const QString& name) {
    const Fd file(::openat(folder.get(), NativePath(name).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    QByteArray contents;
    char buffer[4096];
    ssize_t got = 0;
    while (file && (got = readSome(file.get(), buffer, sizeof buffer)) > 0)
        contents.append(buffer, got);
    return contents;
}

void writeAtomically(const Fd& folder, const QString& name, const QByteArray& contents,
                     const QString& shown) {
    const QString& named = shown.isEmpty() ? name : shown;
    fillThroughTemporary(
        folder, name,
        [&](int file) {
            if (!writeAll(file, contents.constData(), contents.size()))
                fail(named);
        },
        [&](int error) { return volumeError(error, named); });
}

std::pair<Fd, qint64> openSongSource(const QString& path) {
    if (!isSongName(path.section(u'/', -1)))
        throw DeviceError(file_player_texts::kNotASong + pathText(path));
    const DeviceError unreadable(player_texts::kUnreadableSource + pathText(path));
    Fd source(openRegularFile(path));
    struct stat status {};
    if (!source || ::fstat(source.get(), &status) != 0)
        throw unreadable;
    return {std::move(source), status.st_size};
}

void fillThroughTemporary(const Fd& folder, const QString& name, const std::function<void(int file)>& fill,
                          const std::function<DeviceError(int error)>& writeFailure) {
    auto [file, temporary] = createTemporary(folder);
    // Also when `fill` throws.
    auto removeTemporary = qScopeGuard([&] { ::unlinkat(folder.get(), NativePath(temporary).c_str(), 0); });
    fill(file.get());
    if (::fsync(file.get()) != 0)
        throw writeFailure(errno);
    if (::renameat(folder.get(), NativePath(temporary).c_str(), folder.get(), NativePath(name).c_str()) != 0)
        throw writeFailure(errno);
    removeTemporary.dismiss();
    // The folder first: until the file's own fsync the entry has no data, but no two entries ever share it.
    syncFolder(folder);
    if (::fsync(file.get()) != 0 || !file.close())
        throw writeFailure(errno);
}

void copyThroughTemporary(int source, qint64 size, const Fd& folder, const QString& name,
                          const TransferProgress& progress, const CopyFailures& failures) {
    const auto copy = [&](int file) {
        std::vector<char> buffer(kChunk);
        qint64 done = 0;
        for (;;) {
            const ssize_t got = readSome(source, buffer.data(), kChunk);
            if (got < 0)
                throw failures.read();
            if (got == 0)
                break;
            if (!writeAll(file, buffer.data(), got))
                throw failures.write(errno);
            done += got;
            if (progress && !progress(done, size))
                throw DeviceError(player_texts::kCancelled);
        }
    };
    fillThroughTemporary(folder, name, copy, failures.write);
}

}  // namespace tunedeck
