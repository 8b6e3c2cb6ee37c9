// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "usb_players.h"

#include <QString>

#include <vector>

namespace tunedeck::udisks {

// Calls to UDisks2 on the system bus, each waiting for its answer. Failures throw DeviceError with UDisks2's
// own message.

// Every file system on a USB drive, with udev's properties of its device.
std::vector<UsbVolume> usbVolumes();

// Mounts the file system (as UDisks2 mounts it for the user, under /media) and returns where; a mounted one
// answers with its mount point.
QString mount(const UsbVolume& volume);

// Unmounts the player's file systems, then powers the drive off so it may be pulled out.
void safelyRemove(const UsbPlayer& player);

// True when UDisks2 answers on the system bus.
bool available();

}  // namespace tunedeck::udisks
