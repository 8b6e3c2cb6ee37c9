// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device_component.h"

#include <QString>

#include <functional>
#include <memory>

namespace tunedeck {

// Creates the device object for a ProgID, or throws DeviceError when the component is not registered.
using DeviceFactory = std::function<std::unique_ptr<DeviceComponent>(const QString& progId)>;

// The ProgID the program creates its device object from.
inline const QString kPlayerProgId = QStringLiteral("Rio500Remix.Rio500");

// Registered components: ProgID "Rio500Remix.Rio500" is the plugin Rio500Remix in `componentsFolder`.
// Throws DeviceError for an unknown ProgID and for a plugin that is missing or cannot be loaded.
std::unique_ptr<DeviceComponent> createDevice(const QString& progId, const QString& componentsFolder,
                                              const QString& storeFolder);

}  // namespace tunedeck
