// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device_factory.h"
#include "settings_file.h"
#include "song_order.h"

namespace tunedeck::player_settings {

// The settings keys of the chosen player.
inline const QString kPlayer = QStringLiteral("Player");
inline const QString kPlayerName = QStringLiteral("PlayerName");

// The order `player`'s songs play in: the player's own where it says, else the user's choice kept in
// `settings`, else the order of the directory entries; by name where its memory keeps no entry order.
SongOrder songOrderOf(const PlayerEntry& player, const SettingsFile& settings);
// Keeps the user's choice for `player`.
bool keepSongOrder(const PlayerEntry& player, SongOrder order, const SettingsFile& settings);

// The device for `player`, in the song order chosen for it where its kind offers a choice. Throws DeviceError
// when its component cannot be created.
std::unique_ptr<DeviceComponent> createPlayerDevice(const DeviceFactory& factory, const PlayerEntry& player,
                                                    const SettingsFile& settings);

}  // namespace tunedeck::player_settings
