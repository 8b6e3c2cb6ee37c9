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
// takes it again the moment it let it go; polling alone would almost never find the gap. So a program that
// finds the lock held gets in line: it holds an exclusive flock on the file `linePath` (made when missing,
// readable by every user) while it tries again, and a program about to take the lock waits while someone is
// in line. Whoever is in line takes the lock at its next release; the others wait to get in line. Only
// programs without the lock stand in line, so no two wait for each other.
//
// `tryTake` tries the lock once: true when this program now holds it; what it throws ends the wait. Returns
// false when the lock was still held at the end of the wait. Someone in line for the whole wait (a program
// stopped halfway) does not keep the lock from the others: they then try it once anyway. A line file that
// cannot be made or locked leaves no turns, only the wait.
bool takeInTurn(const QString& linePath, const std::function<bool()>& tryTake, TurnWait wait = {});

// A line file for what `fd` has open, in the temporary folder: named after its device and inode, the same for
// every program and every user that opens it, and nothing written beside it.
QString sharedLineFor(int fd);

}  // namespace tunedeck
