// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "player_kind.h"
#include "usb_players.h"

namespace tunedeck {

// The ProgID of players of files: USB mass-storage players and folders addressed directly.
inline const QString kMassStorageProgId = QStringLiteral("Tunedeck.MassStorage");

// Whether `id` is a folder addressed directly: a path from "/".
inline bool isFolderPlayerId(const QString& id) {
    return id.startsWith(QLatin1Char('/'));
}

// The entry the menu shows for a USB player: named after media-player-info's file for it, else its drive,
// with its volume label.
PlayerEntry usbPlayerEntry(const UsbPlayer& player);

// The entry of a player addressed by a folder: the folder's volume, memory 0 alone.
PlayerEntry folderPlayerEntry(const QString& folder);

// USB mass-storage players as UDisks2 and udev see them, and folders addressed directly.
PlayerKind massStorageKind();

}  // namespace tunedeck
