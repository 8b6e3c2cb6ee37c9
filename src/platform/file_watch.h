#pragma once

#include <QByteArray>

#include <memory>

namespace tunedeck {

// Tells whether a file may have changed since it was last asked, at the cost of one system call that looks
// up no path: an inotify watch on the file's folder, which also sees the file created, replaced by a rename
// or removed. The system queues a change as it is made, so a change that ended before the question is seen.
class FileWatch {
  public:
    // Null when the system cannot watch the folder (it is missing, or the watches have run out).
    static std::unique_ptr<FileWatch> of(const QByteArray& folder, const QByteArray& fileName);
    ~FileWatch();
    FileWatch(const FileWatch&) = delete;
    FileWatch& operator=(const FileWatch&) = delete;

    // True when nothing has happened to the file since the last call: not written, given other attributes,
    // created, renamed or removed. Changes to other files of the folder do not count.
    bool unchanged();

    // True once the folder itself has been removed or moved away; the watch then sees nothing more.
    bool ended() const { return ended_; }

  private:
    FileWatch(int fd, QByteArray fileName) : fd_(fd), fileName_(std::move(fileName)) {}

    int fd_;
    QByteArray fileName_;
    bool ended_ = false;
};

}  // namespace tunedeck
