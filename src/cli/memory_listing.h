// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "player_memory.h"

#include <QString>
#include <QTextStream>

#include <vector>

namespace tunedeck {

// One memory as ls shows it, whatever player it was read from.
struct ListedSong {
    QString name;
    qint64 size = 0;  // bytes
};
struct ListedFolder {
    QString name;
    std::vector<ListedSong> songs;
};
struct MemoryListing {
    qint64 used = 0;  // bytes
    qint64 free = 0;
    std::vector<ListedFolder> folders;
};

// "memory 0 (internal): N bytes used, M bytes free", then each folder and its songs, numbered from 0 as the
// transfers number them; every name on one line of its own (terminalText).
void printMemory(QTextStream& out, PlayerMemory memory, const MemoryListing& listing);

// A memory that cannot be listed and why, on one line: "memory 1 (card): absent".
void printUnlistedMemory(QTextStream& out, PlayerMemory memory, const QString& why);

}  // namespace tunedeck
