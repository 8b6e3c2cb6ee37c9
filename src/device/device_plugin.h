// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device_component.h"

#include <QString>
#include <QtPlugin>

#include <memory>

namespace tunedeck {

// What a component plugin in the components/ folder exports: a maker of device objects for the player at
// `address` (the emulated player's store folder, or the id of a player the component reaches).
class DevicePlugin {
  public:
    virtual ~DevicePlugin() = default;
    virtual std::unique_ptr<DeviceComponent> create(const QString& address) = 0;
};

}  // namespace tunedeck

#define TUNEDECK_DEVICE_PLUGIN_IID "org.tunedeck.DevicePlugin/1"
Q_DECLARE_INTERFACE(tunedeck::DevicePlugin, TUNEDECK_DEVICE_PLUGIN_IID)
