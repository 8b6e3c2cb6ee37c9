// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "player_directory.h"
#include "udev_handles.h"

#include <QTimer>

namespace tunedeck {

// The players each kind finds. Follows UDisks2's objects and udev's USB devices coming and going, as USB
// mass-storage players show as disks and MTP players as USB devices alone.
class SystemPlayers final : public PlayerDirectory {
    Q_OBJECT
  public:
    explicit SystemPlayers(const PlayerKinds& kinds, QObject* parent = nullptr);

    std::vector<PlayerEntry> players() override;
    void safelyRemove(const QString& id) override;

  private slots:
    void objectsChanged();

  private:
    void watchUsbDevices();
    void usbDeviceEvent();

    const PlayerKinds& kinds_;
    UdevHandle<udev> udev_;
    UdevHandle<udev_monitor> usbMonitor_;
    // One plug-in brings several objects (drive, blocks, file systems) in a burst: told once.
    QTimer settled_;
};

}  // namespace tunedeck
