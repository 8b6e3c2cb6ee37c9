// SPDX-License-Identifier: GPL-3.0-or-later
#include "lock_turns.h"

#include "local_path.h"

#include <QDeadlineTimer>
#include <QDir>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>

namespace tunedeck {
namespace {

constexpr std::chrono::microseconds kQuickestLook{100};

// The line file, open from the first try. It is there only while someone is in line or waits to be: the one
// in line removes it as it leaves, and whoever waits makes it again.
class Line {
  public:
    explicit Line(const QString& path) : path_(path) {}
    ~Line() {
        if (inLine_)
            ::unlink(NativePath(path_).c_str());
        if (fd_ >= 0)
            ::close(fd_);
    }
    Line(const Line&) = delete;
    Line& operator=(const Line&) = delete;

    // Whether this program may try the lock now: it is in line, or there are no turns.
    bool enter() {
        if (inLine_ || !usable_ || (fd_ < 0 && !open()))
            return true;
        if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK && errno != EINTR)
                usable_ = false;  // a file system without locks
            return !usable_;
        }
        // The file the one before removed as it left is no line any more.
        if (!isLinked()) {
            ::close(fd_);
            fd_ = -1;
            return enter();
        }
        inLine_ = true;
        return true;
    }
    // Whether this program waits to get in line, which it does only where there are turns.
    bool outsideTheLine() const { return usable_ && !inLine_; }

  private:
    bool open() {
        const NativePath path(path_);
        // Another user's file in a shared folder may be a link or a fifo: a line file is a plain file, opened
        // for reading only, which is enough for flock.
        constexpr int kFlags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
        fd_ = ::open(path.c_str(), kFlags);
        if (fd_ < 0 && errno == ENOENT) {
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
        }
        usable_ = fd_ >= 0;
        return usable_;
    }
    bool isLinked() const {
        struct stat held {
        }, named{};
        return ::fstat(fd_, &held) == 0 && ::lstat(NativePath(path_).c_str(), &named) == 0 &&
               held.st_dev == named.st_dev && held.st_ino == named.st_ino;
    }

    QString path_;
    int fd_ = -1;
    bool inLine_ = false;
    bool usable_ = true;
};

}  // namespace

bool takeInTurn(const QString& linePath, const std::function<bool()>& tryTake, TurnWait wait) {
    const QDeadlineTimer deadline(wait.total);
    const auto began = std::chrono::steady_clock::now();
    Line line(linePath);
    for (;;) {
        if (line.enter() && tryTake())
            return true;
        if (deadline.hasExpired())
            return false;
        // Whoever comes to the line first when it frees gets in. Waiters that looked for it at one pace
        // would keep their order of looking from round to round, and the last of them could wait out its
        // whole wait; so a program looks the more often the longer it has waited, and the one that has
        // waited longest is most likely the next in line.
        if (!line.outsideTheLine()) {
            std::this_thread::sleep_for(wait.retry);
            continue;
        }
        const std::chrono::nanoseconds retry = wait.retry, waited = std::chrono::steady_clock::now() - began;
        std::this_thread::sleep_for(std::max<std::chrono::nanoseconds>(
            kQuickestLook, retry * retry.count() / std::max<qint64>((retry + waited).count(), 1)));
    }
}

QString sharedLineFor(int fd) {
    struct stat status {};
    ::fstat(fd, &status);
    return QDir::tempPath() + QStringLiteral("/tunedeck-line-%1-%2").arg(status.st_dev).arg(status.st_ino);
}

}  // namespace tunedeck
