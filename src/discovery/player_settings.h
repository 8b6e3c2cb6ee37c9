// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "player_directory.h"
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

// The entry for `id` when it is not among the players found now: a folder addressed directly, the emulated
// player, or a USB player that is not plugged in, known by `name`.
PlayerEntry absentPlayerEntry(const QString& id, const QString& name);

// The device for `player`: the emulated player's component on `store`, or the mass-storage component in its
// song order. Throws DeviceError when the component is not registered.
std::unique_ptr<DeviceComponent> createPlayerDevice(const DeviceFactory& factory, const PlayerEntry& player,
                                                    const SettingsFile& settings);

}  // namespace tunedeck::player_settings
