// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <chrono>
#include <functional>

namespace tunedeck {

// How long a program waits for a lock another one holds, and how often it tries again meanwhile.
struct TurnWait {
    std::chrono::milliseconds total{3000};
    std::chrono::milliseconds retry{20};
};

// Takes a lock that programs hold for short spells, in turns. A run holds its player one song at a time and
// takes it again the moment it let it go; polling alone would almost never find the gap. So a program tries
// the lock only from the line: holding an exclusive flock on the file `linePath` (there while someone waits,
// readable by every user), which it keeps while the lock is held by another and it tries again; one that
// finds someone in line, one that just let the lock go among them, waits to get in line. Whoever is in line
// takes the lock at its next release. Only programs without the lock stand in line, so no two wait for each
// other; and no two try the lock at once, so one cannot take a lock file over while another is making it.
//
// `tryTake` tries the lock once: true when this program now holds it; what it throws ends the wait. Returns
// false when the lock was still held at the end of the wait, or another stood in line all that time. A line
// file that cannot be made or locked leaves no turns, only the wait.
bool takeInTurn(const QString& linePath, const std::function<bool()>& tryTake, TurnWait wait = {});

// A line file for what `fd` has open, in the temporary folder: named after its device and inode, the same for
// every program and every user that opens it, and nothing written beside what it has open.
QString sharedLineFor(int fd);

}  // namespace tunedeck
