// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

namespace tunedeck {

// A file system on a USB drive, as UDisks2 and udev describe it.
struct UsbVolume {
    QString block;  // UDisks2 object paths
    QString drive;
    QString device;      // /dev/sdb1
    QString fileSystem;  // "vfat", "exfat"
    QString label;
    QStringList mountPoints;
    QString vendor;  // the drive's
    QString model;
    QString idPath;       // udev ID_PATH: the USB port, interface and SCSI unit
    QString serial;       // udev ID_VENDOR_ID:ID_MODEL_ID:ID_SERIAL_SHORT; empty without a serial number
    QString mediaPlayer;  // udev ID_MEDIA_PLAYER, set for players media-player-info knows
};

// A USB device with one or two memories: LUN 0 is the internal memory, LUN 1 the card.
struct UsbPlayer {
    QString id;  // "usb:" and the serial, or the USB port without one
    QString vendor;
    QString model;
    QString label;  // of the first memory
    QString mediaPlayer;
    std::array<std::optional<UsbVolume>, 2> memories;
};

// The ids of USB mass-storage players start with it.
inline const QString kUsbIdPrefix = QStringLiteral("usb:");

// Whether `id` names a USB mass-storage player.
bool isUsbPlayerId(const QString& id);

// The SCSI logical unit in an ID_PATH ("…-usb-0:1:1.0-scsi-0:0:0:1" → 1). The kernel's sdX names do not
// follow it: it may name LUN 1 sda and LUN 0 sdb.
std::optional<int> logicalUnitOf(const QString& idPath);

// The players among the volumes: the vfat and exFAT volumes of each USB device, by logical unit, the first
// file system of a unit where it has several. Units beyond the card's are not memories of ours.
std::vector<UsbPlayer> usbPlayers(const std::vector<UsbVolume>& volumes);

}  // namespace tunedeck
