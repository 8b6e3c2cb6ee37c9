// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer_pace.h"

#include <chrono>
#include <thread>

namespace tunedeck {
namespace {

constexpr std::chrono::nanoseconds kSlice = std::chrono::milliseconds(20);

}  // namespace

TransferPace::TransferPace(qint64 speedKbps, const TransferProgress& progress, qint64 total)
    : bytesPerSecond_(double(speedKbps) * 1024), progress_(progress), total_(total) {
    clock_.start();
}

bool TransferPace::moved(qint64 done) {
    if (!goOn(done))
        return false;
    if (bytesPerSecond_ <= 0)
        return true;
    const std::chrono::duration<double> due(double(done) / bytesPerSecond_);
    for (;;) {
        const auto left = due - std::chrono::nanoseconds(clock_.nsecsElapsed());
        if (left.count() <= 0)
            return true;
        std::this_thread::sleep_for(
            std::min(std::chrono::duration_cast<std::chrono::nanoseconds>(left), kSlice));
        if (!goOn(done))
            return false;
    }
}

bool TransferPace::goOn(qint64 done) const {
    return !progress_ || progress_(done, total_);
}

}  // namespace tunedeck
