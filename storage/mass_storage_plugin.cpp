// SPDX-License-Identifier: GPL-3.0-or-later
#include "mass_storage_plugin.h"

#include "folder_locator.h"
#include "mass_storage_player.h"

namespace tunedeck {

std::unique_ptr<DeviceComponent> MassStoragePlugin::create(const QString& address) {
    return std::make_unique<MassStoragePlayer>(folderLocator(address));
}

}  // namespace tunedeck
