#include "file_watch.h"

#include <cerrno>
#include <climits>
#include <cstring>

#include <sys/inotify.h>
#include <unistd.h>

namespace tunedeck {

std::unique_ptr<FileWatch> FileWatch::of(const QByteArray& folder, const QByteArray& fileName) {
    const int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0)
        return nullptr;
    constexpr uint32_t kChanges = IN_CREATE | IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_MOVED_FROM |
                                  IN_MOVED_TO | IN_DELETE | IN_DELETE_SELF | IN_MOVE_SELF;
    if (::inotify_add_watch(fd, folder.constData(), kChanges) < 0) {
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<FileWatch>(new FileWatch(fd, fileName));
}

FileWatch::~FileWatch() {
    ::close(fd_);
}

bool FileWatch::unchanged() {
    bool changed = false;
    alignas(inotify_event) char buffer[4096 + sizeof(inotify_event) + NAME_MAX + 1];
    for (;;) {
        const ssize_t got = ::read(fd_, buffer, sizeof buffer);
        if (got < 0 && errno == EAGAIN)
            break;
        if (got <= 0)
            return false;  // the queue cannot be read: assume the worst
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->mask & (IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT))
                ended_ = true;
            // An overflowing queue has lost events, which may have been this file's.
            if ((event->mask & IN_Q_OVERFLOW) ||
                (event->len > 0 && std::strcmp(event->name, fileName_.constData()) == 0))
                changed = true;
            at += sizeof(inotify_event) + event->len;
        }
    }
    return !changed && !ended_;
}

}  // namespace tunedeck
