// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device_plugin.h"

#include <QObject>

namespace tunedeck {

// The component plugin "Rio500Remix": the emulated player as the program creates it by ProgID.
class Rio500Plugin : public QObject, public DevicePlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TUNEDECK_DEVICE_PLUGIN_IID)
    Q_INTERFACES(tunedeck::DevicePlugin)

  public:
    std::unique_ptr<DeviceComponent> create(const QString& storeFolder) override;
};

}  // namespace tunedeck
