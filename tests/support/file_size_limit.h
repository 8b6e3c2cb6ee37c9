// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QScopeGuard>

#include <csignal>

#include <sys/resource.h>

namespace tunedeck::testing {

// Runs `work` as on a disk that takes no file beyond `bytes`: writes past it fail (EFBIG) instead of
// ending the process, and returns what `work` returns. The limit goes when `work` ends, also by an exception.
template <class Work>
auto withFileSizeLimit(rlim_t bytes, const Work& work) {
    rlimit previous{};
    ::getrlimit(RLIMIT_FSIZE, &previous);
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    const auto restore = qScopeGuard([&] {
        ::setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, handler);
    });
    const rlimit limit{bytes, previous.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    return work();
}

}  // namespace tunedeck::testing
