// SPDX-License-Identifier: GPL-3.0-or-later
#include "mass_storage_plugin.h"

#include "folder_locator.h"
#include "mass_storage_player.h"
#include "usb_locator.h"

namespace tunedeck {

std::unique_ptr<DeviceComponent> MassStoragePlugin::create(const QString& address) {
    // A folder addresses a mounted volume directly; anything else is a USB player's id.
    return std::make_unique<MassStoragePlayer>(address.startsWith(QLatin1Char('/')) ? folderLocator(address)
                                                                                    : usbLocator(address));
}

}  // namespace tunedeck
