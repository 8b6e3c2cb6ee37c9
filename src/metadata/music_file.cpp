// SPDX-License-Identifier: GPL-3.0-or-later
#include "music_file.h"

#include "local_path.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>

namespace tunedeck {
namespace {

// Non-blocking, so that a pipe or a terminal named in a listing cannot hold the reader up; regular files
// are not affected by it.
int openForReading(const QString& path) {
    return ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
}

qint64 preadFully(int fd, qint64 offset, std::span<char> buffer) {
    qint64 done = 0;
    while (done < qint64(buffer.size())) {
        const ssize_t n = ::pread(fd, buffer.data() + done, buffer.size() - done, offset + done);
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

}  // namespace

MusicFile::MusicFile(const QString& path) : fd_(openForReading(path)) {}

MusicFile::~MusicFile() {
    if (fd_ >= 0)
        ::close(fd_);
}

qint64 MusicFile::readAt(qint64 offset, std::span<char> buffer) const {
    if (fd_ < 0 || offset < 0)
        return -1;
    if (const auto held = heldAt(offset, qint64(buffer.size()))) {
        std::copy(held->begin(), held->end(), buffer.data());
        return held->size();
    }
    return preadFully(fd_, offset, buffer);
}

qint64 MusicFile::size() const {
    if (size_ == -2) {
        struct stat info {};
        size_ = fd_ >= 0 && ::fstat(fd_, &info) == 0 ? qint64(info.st_size) : -1;
    }
    return size_;
}

qint64 MusicFile::readAhead(qint64 offset, qint64 size) {
    if (fd_ < 0 || offset < 0 || heldAt(offset, size))
        return 0;
    // Cleared first, so that a larger buffer is not filled with a copy of the old bytes.
    ahead_.clear();
    ahead_.resize(size);
    ahead_.resize(std::max<qint64>(preadFully(fd_, offset, ahead_), 0));
    aheadOffset_ = offset;
    return ahead_.size();
}

std::optional<QByteArrayView> MusicFile::heldAt(qint64 offset, qint64 size) const {
    if (offset < aheadOffset_ || offset - aheadOffset_ > ahead_.size() - size)
        return std::nullopt;
    return QByteArrayView(ahead_.constData() + (offset - aheadOffset_), size);
}

}  // namespace tunedeck
