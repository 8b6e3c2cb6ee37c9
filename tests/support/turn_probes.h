// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the tests of programs taking turns (lock_turns.h) watch for: the platform's, the emulated player's and
// the mass-storage player's; and a wait for what another process does.

#include <QDeadlineTimer>
#include <QFile>
#include <QString>

#include <sys/file.h>

#include <chrono>
#include <functional>
#include <thread>

namespace tunedeck::testing {

// Whether a program stands in the line `path`; the look leaves the line as it was.
inline bool someoneInLine(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && ::flock(file.handle(), LOCK_EX | LOCK_NB) != 0;
}

// Waits for `condition`, long enough for any machine: false when it never came.
inline bool eventually(const std::function<bool()>& condition) {
    for (const QDeadlineTimer deadline(10'000); !condition() && !deadline.hasExpired();)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return condition();
}

}  // namespace tunedeck::testing
