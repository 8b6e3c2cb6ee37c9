// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device_component.h"

#include <QString>
#include <QtGlobal>

#include <vector>

namespace tunedeck {

// A music file of the computer folder a player folder follows, in the order the file list shows them.
struct SyncSource {
    QString path;
    QString title;  // the display title it is sent under
    QString shown;  // the name the player's song list shows for it
    qint64 size = 0;
};

// What a sync will do, told before anything is written.
struct SyncSummary {
    int toSend = 0;
    qint64 sendBytes = 0;
    int present = 0;       // files already on the player
    int onlyOnPlayer = 0;  // songs of the player folder that no file of the computer folder is
    qint64 onlyOnPlayerBytes = 0;
    // Files that share their name and size with another file of the folder: counted against the player's
    // songs of that name and size, one for one, for nothing else tells them apart.
    int alike = 0;
    qint64 available = 0;  // free bytes in the memory
    // Whether the songs will be put into the computer folder's order afterwards, with the songs only on the
    // player kept or gone.
    bool reorderIfKept = false;
    bool reorderIfRemoved = false;

    bool reorder(bool removingOnlyOnPlayer) const {
        return removingOnlyOnPlayer ? reorderIfRemoved : reorderIfKept;
    }

    // Whether what is sent fits the free memory, the songs only on the player counted as freed when they go.
    bool fits(bool removingOnlyOnPlayer) const {
        return sendBytes <= available + (removingOnlyOnPlayer ? onlyOnPlayerBytes : 0);
    }
};

struct SyncPlan {
    std::vector<int> send;        // indexes of the sources to send, in their order
    std::vector<qint32> extra;    // song indexes of the player folder that no source is
    std::vector<qint32> matched;  // for each source, the song index it is on the player, else -1
    SyncSummary summary;
};

// Which songs of `songs` (a player folder, as listed) are which files of `sources`: a song is a file whose
// shown name it bears, or that name with the " (n)" a player adds to keep two apart, and whose size it has.
// Files and songs of one name and size pair in their orders.
SyncPlan planSync(const std::vector<SyncSource>& sources, const std::vector<DeviceSong>& songs,
                  qint64 available);

// The order of `songs` once they follow `sources`: each song index once, the songs that are sources in the
// sources' order, then the others as they stand.
std::vector<qint32> followingOrder(const std::vector<SyncSource>& sources,
                                   const std::vector<DeviceSong>& songs);

// The swaps, in turn, that put songs standing in the order 0, 1, … into `order`.
struct SongSwap {
    qint32 a = 0;
    qint32 b = 0;
    bool operator==(const SongSwap&) const = default;
};
std::vector<SongSwap> swapsInto(const std::vector<qint32>& order);

}  // namespace tunedeck
