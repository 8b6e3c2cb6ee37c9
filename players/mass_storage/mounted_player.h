// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "song_order.h"

#include <QString>

#include <functional>
#include <optional>

namespace tunedeck {

// One memory of a mass-storage player as it is mounted now.
struct MountedMemory {
    QString audioFolder;     // absolute: the player's folders are the folders right under it
    QString playlistFolder;  // absolute, where each folder's playlist lies; empty: in the folder itself
    QString fileSystem;      // "vfat", "exfat", … as udev names it; empty when not known
    // Nothing on the volume says where its songs are (no media-player-info file, no .is_audio_player): the
    // audio folder is its root, where the user's other files are too.
    bool audioFolderShared = false;
};

// Where a mass-storage player's memories are, found again at every Open.
struct MountedPlayer {
    std::optional<MountedMemory> internal;  // memory 0
    std::optional<MountedMemory> card;      // memory 1: the second LUN of the same USB device
    std::optional<SongOrder> order;         // when the player itself says how it orders
};

// Finds the player's memories, mounting them where needed. Throws DeviceError of kind NotConnected when the
// player is not there.
using PlayerLocator = std::function<MountedPlayer()>;

}  // namespace tunedeck
