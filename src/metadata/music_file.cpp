#include "music_file.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>

namespace tunedeck {

// Non-blocking, so that a pipe or a terminal named in a listing cannot hold the reader up; regular files
// are not affected by it.
MusicFile::MusicFile(const QString& path)
    : fd_(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)) {}

MusicFile::~MusicFile() {
    if (fd_ >= 0)
        ::close(fd_);
}

qint64 MusicFile::readAt(qint64 offset, std::span<char> buffer) const {
    if (fd_ < 0 || offset < 0)
        return -1;
    const qint64 wanted = qint64(buffer.size());
    if (offset >= aheadOffset_ && offset - aheadOffset_ <= ahead_.size() - wanted) {
        std::copy_n(ahead_.constData() + (offset - aheadOffset_), wanted, buffer.data());
        return wanted;
    }
    qint64 done = 0;
    while (done < qint64(buffer.size())) {
        const ssize_t n = ::pread(fd_, buffer.data() + done, buffer.size() - done, offset + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

qint64 MusicFile::size() const {
    if (size_ == -2) {
        struct stat info {};
        size_ = fd_ >= 0 && ::fstat(fd_, &info) == 0 ? qint64(info.st_size) : -1;
    }
    return size_;
}

void MusicFile::readAhead(qint64 offset, qint64 size) {
    ahead_.resize(size);
    const qint64 read = readAt(offset, ahead_);
    ahead_.resize(std::max<qint64>(read, 0));
    aheadOffset_ = offset;
}

}  // namespace tunedeck
