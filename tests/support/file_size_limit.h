#pragma once

#include <csignal>
#include <functional>

#include <sys/resource.h>

namespace tunedeck::testing {

// Runs `work` as on a disk that takes no file beyond `bytes`: writes past it fail (EFBIG) instead of
// ending the process. The limit goes when `work` ends, also by an exception.
inline void withFileSizeLimit(rlim_t bytes, const std::function<void()>& work) {
    struct Restore {
        rlimit limit{};
        void (*handler)(int) = std::signal(SIGXFSZ, SIG_IGN);
        ~Restore() {
            ::setrlimit(RLIMIT_FSIZE, &limit);
            std::signal(SIGXFSZ, handler);
        }
    } restore;
    ::getrlimit(RLIMIT_FSIZE, &restore.limit);
    const rlimit limit{bytes, restore.limit.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    work();
}

}  // namespace tunedeck::testing
