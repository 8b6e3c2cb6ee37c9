// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device_component.h"

#include <QByteArray>
#include <QString>

#include <sys/types.h>

#include <functional>
#include <utility>
#include <vector>

namespace tunedeck {

// The hidden names the mass-storage player gives its own work in progress, all under one prefix; what a crash
// leaves of them is finished or removed at the next Open.
inline const QString kOwnPrefix = QStringLiteral(".tunedeck-");
inline const QString kPartPrefix = kOwnPrefix + QStringLiteral("part-");        // a file being written
inline const QString kRewritePrefix = kOwnPrefix + QStringLiteral("rewrite.");  // + folder: its rewrite
inline const QString kRewriteJournal = kOwnPrefix + QStringLiteral("order.");  // + folder: the order it wants
inline const QString kRenameJournal = kOwnPrefix + QStringLiteral("renames");  // renames under way
inline const QString kRemovingPrefix = kOwnPrefix + QStringLiteral("removing.");  // + folder: its songs go
inline const QString kSwapHidden = kOwnPrefix + QStringLiteral("swap-song");      // a song between two names
// A number swap under way, as an earlier version journaled it: its two songs.
inline const QString kSwapJournal = kOwnPrefix + QStringLiteral("swap");

// An open file or folder, closed when it goes.
class Fd {
  public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Fd& operator=(Fd&& other) noexcept;
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd();

    int get() const { return fd_; }
    // Closes it now; false when the close reports an error (a write that failed late).
    bool close();
    explicit operator bool() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

// Writes all of `data`, or returns false with errno set; reads what there is, up to `size` bytes (-1 on
// error). Both go on after a signal.
bool writeAll(int fd, const char* data, qsizetype size);
ssize_t readSome(int fd, char* data, qsizetype size);

// Every path below is reached from an open folder, and no symbolic link inside the player is followed: what a
// name on the volume says can never lead outside it.
Fd openFolder(const QString& path);
Fd openFolderAt(const Fd& parent, const QString& name);
// The folder that holds the file `path`, open (none when it cannot be opened), and the file's name.
std::pair<Fd, QString> openContainingFolder(const QString& path);

struct VolumeEntry {
    enum class Kind { File, Folder, Other };  // Other: a symbolic link, a device, …
    QString name;                             // held as a path (local_path.h)
    Kind kind = Kind::Other;
    qint64 size = 0;
    // The directory entry's inode and modification time: what tells two entries of one name and size apart.
    quint64 inode = 0;
    qint64 modified = 0;  // ns since the epoch
};

// The folder's entries but "." and "..", in the order the file system lists them.
std::vector<VolumeEntry> listEntries(const Fd& folder);
// The same, an entry that `known` describes (by name) taken as it says, not asked of the file system again.
using KnownEntry = std::function<const VolumeEntry*(const QString& name)>;
std::vector<VolumeEntry> listEntries(const Fd& folder, const KnownEntry& known);
bool entryExists(const Fd& folder, const QString& name);

// The description of a failed write on the player: a full or read-only volume, one that went away, …
DeviceError volumeError(int error, const QString& name);

// Each throws volumeError on failure.
// The folder's own entries reach the device: what a make, an unlink or a removal of a folder changed there.
void syncFolder(const Fd& folder);
// Everything written on the folder's volume reaches the device, in one batch. A rename on FAT leaves the
// moved entry's first cluster and size in the moved file's inode until that is written back: this writes the
// renamed entries whole together with the folders they left.
void syncVolume(const Fd& folder);
// `shown`, where given, is what a failure's text names instead of `name`: the song or folder a hidden name of
// ours is at work for.
void makeFolder(const Fd& parent, const QString& name, const QString& shown = {});
// Renames without waiting for the device (syncVolume does).
void renameEntry(const Fd& from, const QString& name, const Fd& to, const QString& newName,
                 const QString& shown = {});
// A file, or a folder with everything in it.
void removeEntry(const Fd& folder, const QString& name);

// The small file `name` in `folder`, empty when there is none.
QByteArray readSmallFile(const Fd& folder, const QString& name);
// Replaces `name` in `folder` by `contents` all at once, as fillThroughTemporary does.
void writeAtomically(const Fd& folder, const QString& name, const QByteArray& contents,
                     const QString& shown = {});

// A song file to send (".mp3" or ".rmp"), open, and its size; refuses anything else, and what is no readable
// regular file (a pipe or a device is refused before anything could wait on it).
std::pair<Fd, qint64> openSongSource(const QString& path);

// How a copy names its failures.
struct CopyFailures {
    std::function<DeviceError()> read;            // the source cannot be read
    std::function<DeviceError(int error)> write;  // errno of the failed write
};

// Writes `name` in `folder` through a hidden temporary file: `fill` writes the open file it is given, and
// throws when it fails; the file is then flushed to the device and takes the name, and the folder and the
// renamed entry are flushed in turn. A failure leaves `name` as it was and no temporary behind.
void fillThroughTemporary(const Fd& folder, const QString& name, const std::function<void(int file)>& fill,
                          const std::function<DeviceError(int error)>& writeFailure);

// Copies `size` bytes from the open `source` to `name` in `folder` through a hidden temporary file there,
// which is flushed to the device before it takes the name: a failure or a stop (`progress` returning false:
// kCancelled) leaves `name` as it was and no temporary behind.
void copyThroughTemporary(int source, qint64 size, const Fd& folder, const QString& name,
                          const TransferProgress& progress, const CopyFailures& failures);

}  // namespace tunedeck
