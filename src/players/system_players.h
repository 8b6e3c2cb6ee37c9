// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "player_directory.h"
#include "usb_players.h"

#include <QTimer>

namespace tunedeck {

// The entry the menu shows for a USB player: named after media-player-info's file for it, else its drive,
// with its volume label.
PlayerEntry usbPlayerEntry(const UsbPlayer& player);

// USB mass-storage players, as UDisks2 and udev see them. Follows UDisks2's objects coming and going.
class SystemPlayers final : public PlayerDirectory {
    Q_OBJECT
  public:
    explicit SystemPlayers(QObject* parent = nullptr);

    std::vector<PlayerEntry> players() override;
    void safelyRemove(const QString& id) override;

  private slots:
    void objectsChanged();

  private:
    // One plug-in brings several objects (drive, blocks, file systems) in a burst: told once.
    QTimer settled_;
};

}  // namespace tunedeck
