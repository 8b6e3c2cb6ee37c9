// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

namespace tunedeck {

// The order a player of files plays a folder's songs in, and so the order its song list shows.
enum class SongOrder {
    Directory,  // the order of the folder's directory entries (FAT players that play in copy order)
    Name,       // by file name (players that sort; a swap renames the number prefixes)
    Playlist,   // the folder's playlist
};

// What a player of files may offer beside the contract: the order its songs play in, chosen by the user
// where the player does not say it. Chosen before the first Open.
class SongOrderChoice {
  public:
    virtual ~SongOrderChoice() = default;
    virtual void ChooseSongOrder(SongOrder order) = 0;
};

// The order's name in the settings file and on the command line.
QString songOrderKey(SongOrder order);
std::optional<SongOrder> songOrderFromKey(const QString& key);

}  // namespace tunedeck
