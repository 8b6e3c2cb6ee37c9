// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "mtp_devices.h"
#include "player_directory.h"
#include "udev_handles.h"
#include "usb_players.h"

#include <QTimer>

namespace tunedeck {

// The entry the menu shows for a USB player: named after media-player-info's file for it, else its drive,
// with its volume label.
PlayerEntry usbPlayerEntry(const UsbPlayer& player);
// The entry of an MTP player: named as it names itself.
PlayerEntry mtpPlayerEntry(const MtpDevice& device);

// USB mass-storage players, as UDisks2 and udev see them, and MTP players, as udev marks them. Follows
// UDisks2's objects and udev's USB devices coming and going.
class SystemPlayers final : public PlayerDirectory {
    Q_OBJECT
  public:
    explicit SystemPlayers(QObject* parent = nullptr);

    std::vector<PlayerEntry> players() override;
    void safelyRemove(const QString& id) override;

  private slots:
    void objectsChanged();

  private:
    void watchUsbDevices();
    void usbDeviceEvent();

    UdevHandle<udev> udev_;
    UdevHandle<udev_monitor> usbMonitor_;
    // One plug-in brings several objects (drive, blocks, file systems) in a burst: told once.
    QTimer settled_;
};

}  // namespace tunedeck
