// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device_factory.h"
#include "song_order.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace tunedeck {

// A player the program can manage, as the player menu and `tunedeck-player players` show it.
struct PlayerEntry {
    QString id;      // kept in the settings; names the player on the command line
    QString progId;  // the component that reaches it
    // "emulated", "player" (known to media-player-info), "audio-player", "usb-disk", "folder", "mtp"
    QString kind;
    QString name;
    QStringList memories;            // where each memory is mounted, the internal one first
    std::optional<SongOrder> order;  // when the player itself says how it orders its songs
    bool removable = false;          // can be unmounted and powered off
    // Its memories keep a folder's directory entries in the order written (FAT), so they can play in it.
    bool keepsEntryOrder = false;
};

// The id of the emulated player; any other id starting with "/" is a folder addressed directly.
inline const QString kEmulatedPlayerId = QStringLiteral("emulated");

inline bool isFolderPlayerId(const QString& id) {
    return id.startsWith(QLatin1Char('/'));
}

// The players on this computer, and word when that changes.
class PlayerDirectory : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;

    // The players found now, without the emulated one.
    virtual std::vector<PlayerEntry> players() = 0;
    // Unmounts the player and powers it off. Waits for it; throws DeviceError.
    virtual void safelyRemove(const QString& id) = 0;

  signals:
    void changed();  // a player was plugged in or pulled out
};

// The emulated player's entry.
PlayerEntry emulatedPlayerEntry();

// The entry of a player addressed by a folder: the folder's volume, memory 0 alone.
PlayerEntry folderPlayerEntry(const QString& folder);

}  // namespace tunedeck
