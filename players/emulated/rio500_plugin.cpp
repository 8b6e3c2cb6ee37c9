// SPDX-License-Identifier: GPL-3.0-or-later
#include "rio500_plugin.h"

#include "emulated_player.h"

namespace tunedeck {

std::unique_ptr<DeviceComponent> Rio500Plugin::create(const QString& storeFolder) {
    return std::make_unique<EmulatedPlayer>(storeFolder);
}

}  // namespace tunedeck
