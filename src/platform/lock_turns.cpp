// SPDX-License-Identifier: GPL-3.0-or-later
#include "lock_turns.h"

#include "local_path.h"

#include <QDeadlineTimer>
#include <QDir>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

namespace tunedeck {
namespace {

// Where this program stands towards the line.
enum class Place { Free, InLine, Behind };  // Free: nobody is in line, or there are no turns

// The line file, open from the first look at it; closing it leaves the line.
class Line {
  public:
    explicit Line(const QString& path) : path_(path) {}
    ~Line() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Line(const Line&) = delete;
    Line& operator=(const Line&) = delete;

    bool inLine() const { return inLine_; }

    // Gets in line when nobody is; a missing file means nobody ever waited.
    Place look() {
        if (inLine_)
            return Place::InLine;
        if (!usable_ || (fd_ < 0 && !open(false)))
            return Place::Free;
        return enter();
    }
    // Gets in line, making the file when missing.
    void join() {
        if (!inLine_ && usable_ && (fd_ >= 0 || open(true)))
            enter();
    }

  private:
    bool open(bool create) {
        const NativePath path(path_);
        // Another user's file in a shared folder may be a link or a fifo: a line file is a plain file,
        // opened for reading only, which is enough for flock.
        constexpr int kFlags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
        fd_ = ::open(path.c_str(), kFlags);
        if (fd_ < 0 && errno == ENOENT && create) {
            fd_ = ::open(path.c_str(), kFlags | O_CREAT | O_EXCL, 0644);
            if (fd_ >= 0)
                ::fchmod(fd_, 0644);  // past the umask, so that every user's programs can wait here
            else if (errno == EEXIST)
                fd_ = ::open(path.c_str(), kFlags);
        }
        struct stat status {};
        if (fd_ >= 0 && (::fstat(fd_, &status) != 0 || !S_ISREG(status.st_mode))) {
            ::close(fd_);
            fd_ = -1;
            usable_ = false;
        } else if (fd_ < 0 && errno != ENOENT) {
            usable_ = false;
        }
        return fd_ >= 0;
    }
    Place enter() {
        if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
            inLine_ = true;
            return Place::InLine;
        }
        if (errno == EWOULDBLOCK || errno == EINTR)
            return Place::Behind;
        usable_ = false;
        return Place::Free;
    }

    QString path_;
    int fd_ = -1;
    bool inLine_ = false;
    bool usable_ = true;
};

}  // namespace

bool takeInTurn(const QString& linePath, const std::function<bool()>& tryTake, TurnWait wait) {
    const QDeadlineTimer deadline(wait.total);
    Line line(linePath);
    for (;;) {
        if (line.look() != Place::Behind) {
            if (tryTake())
                return true;
            line.join();
        }
        if (deadline.hasExpired())
            return !line.inLine() && tryTake();
        std::this_thread::sleep_for(wait.retry);
    }
}

QString sharedLineFor(int fd) {
    struct stat status {};
    ::fstat(fd, &status);
    return QDir::tempPath() + QStringLiteral("/tunedeck-line-%1-%2").arg(status.st_dev).arg(status.st_ino);
}

}  // namespace tunedeck
