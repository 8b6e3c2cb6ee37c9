// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "mounted_player.h"
#include "song_order.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace tunedeck {

// What a volume's ".is_audio_player" file (the convention Rhythmbox and Banshee read) says of the player.
struct AudioPlayerFile {
    QString audioFolder;             // relative to the volume, held as a path; empty: the volume itself
    std::optional<SongOrder> order;  // our own key "song_order"
};

// Reads the file's "key=value" lines: the first entry of "audio_folders" (";" or "," between entries, as
// Rhythmbox splits them), unless it would leave the volume, and "song_order=directory|name|playlist".
AudioPlayerFile audioPlayerFile(const QByteArray& contents);

// A mounted volume, or any folder, addressed directly: memory 0 is that folder, there is no card. Its
// ".is_audio_player" names the audio folder and the order; without one the folder itself is the audio
// folder, shared with the user's other files. A missing folder is a player that is not connected.
PlayerLocator folderLocator(const QString& folder);

}  // namespace tunedeck
