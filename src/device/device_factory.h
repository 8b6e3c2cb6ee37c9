// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device_component.h"
#include "player_kind.h"

#include <QString>

#include <functional>
#include <memory>

namespace tunedeck {

// Creates the device object for a player, or throws DeviceError when its component cannot be created.
using DeviceFactory = std::function<std::unique_ptr<DeviceComponent>(const PlayerEntry& player)>;

// The device of `kind`'s plugin in `componentsFolder`. `address` says which player: the emulated player's
// store folder, or a player id. Throws DeviceError for a plugin that is missing or cannot be loaded.
std::unique_ptr<DeviceComponent> createDevice(const PlayerKind& kind, const QString& componentsFolder,
                                              const QString& address);

}  // namespace tunedeck
