// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "mtp_connection.h"

#include <optional>
#include <vector>

namespace tunedeck {

// The folder holding a storage's player folders: the player's music folder where it is one of the storage's
// `top` objects, else a folder there named "Music" in any case; none: the storage's root.
std::optional<quint32> musicFolderOf(const std::vector<MtpObject>& top, quint32 defaultMusicFolder);

// The player's folders among `objects`, by name.
std::vector<MtpObject> folderList(const std::vector<MtpObject>& objects);

// The songs among `objects` (".mp3" and ".rmp" files) in the player's order.
std::vector<MtpObject> songsAmong(const std::vector<MtpObject>& objects);

// The songs among `objects` in the order they play: the playlist's where there is one, what it does not list
// after it in the player's order; else by name.
std::vector<MtpObject> playOrder(const std::vector<MtpObject>& objects,
                                 const std::optional<std::vector<quint32>>& playlist);

// The playlist that orders the songs of folder `name` on `storage`.
std::optional<MtpPlaylist> folderPlaylist(const std::vector<MtpPlaylist>& playlists, quint32 storage,
                                          const QString& name);

}  // namespace tunedeck
