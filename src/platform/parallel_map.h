// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <algorithm>
#include <thread>
#include <vector>

namespace tunedeck {

// make(0) .. make(count - 1), on as many threads as there are cores: for work whose items share nothing,
// such as reading the tags of a folder's files. A few items are not worth a thread.
template <typename T, typename Make>
std::vector<T> mapInParallel(qsizetype count, const Make& make) {
    constexpr qsizetype kItemsPerThread = 64;
    const qsizetype threads =
        std::clamp<qsizetype>(count / kItemsPerThread, 1, std::max(1u, std::thread::hardware_concurrency()));
    std::vector<T> results(count);
    const auto share = [&](qsizetype first) {
        for (qsizetype i = first; i < count; i += threads)
            results[i] = make(i);
    };
    {
        std::vector<std::jthread> helpers;
        for (qsizetype first = 1; first < threads; ++first)
            helpers.emplace_back(share, first);
        share(0);
    }  // joined here, before the results are handed over
    return results;
}

}  // namespace tunedeck
