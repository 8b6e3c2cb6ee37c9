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

// The hidden names the mass-storage player gives its own work in progress; what a crash leaves of them is
// finished or removed at the next Open.
inline const QString kPartPrefix = QStringLiteral(".tunedeck-part-");        // a file being written
inline const QString kRewritePrefix = QStringLiteral(".tunedeck-rewrite.");  // + folder: its rewrite
inline const QString kRewriteJournal =
    QStringLiteral(".tunedeck-order.");  // + folder: the order its rewrite wants
inline const QString kSwapJournal = QStringLiteral(".tunedeck-swap");      // a name swap under way: its songs
inline const QString kSwapHidden = QStringLiteral(".tunedeck-swap-song");  // its first song meanwhile

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
};

// The folder's entries but "." and "..", in the order the file system lists them.
std::vector<VolumeEntry> listEntries(const Fd& folder);
bool entryExists(const Fd& folder, const QString& name);

// The description of a failed write on the player: a full or read-only volume, one that went away, …
DeviceError volumeError(int error, const QString& name);

// Each throws volumeError on failure.
void syncFolder(const Fd& folder);
void makeFolder(const Fd& parent, const QString& name);
void renameEntry(const Fd& from, const QString& name, const Fd& to, const QString& newName);
// A file, or a folder with everything in it.
void removeEntry(const Fd& folder, const QString& name);

// The small file `name` in `folder`, empty when there is none.
QByteArray readSmallFile(const Fd& folder, const QString& name);
// Replaces `name` in `folder` by `contents` all at once: a temporary file, fsync, rename, fsync of the
// folder.
void writeAtomically(const Fd& folder, const QString& name, const QByteArray& contents);

// A song file to send (".mp3" or ".rmp"), open, and its size; refuses anything else, and what is no readable
// regular file.
std::pair<Fd, qint64> openSongSource(const QString& path);

// How a copy names its failures.
struct CopyFailures {
    std::function<DeviceError()> read;            // the source cannot be read
    std::function<DeviceError(int error)> write;  // errno of the failed write
};

// Writes `name` in `folder` through a hidden temporary file: `fill` writes the open file it is given, and
// throws when it fails; the file is then flushed to the device and takes the name. A failure leaves `name` as
// it was and no temporary behind.
void fillThroughTemporary(const Fd& folder, const QString& name, const std::function<void(int file)>& fill,
                          const std::function<DeviceError(int error)>& writeFailure);

// Copies `size` bytes from the open `source` to `name` in `folder` through a hidden temporary file there,
// which is flushed to the device before it takes the name: a failure or a stop (`progress` returning false:
// kCancelled) leaves `name` as it was and no temporary behind.
void copyThroughTemporary(int source, qint64 size, const Fd& folder, const QString& name,
                          const TransferProgress& progress, const CopyFailures& failures);

}  // namespace tunedeck
