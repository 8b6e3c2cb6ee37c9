// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device_plugin.h"

#include <QObject>

namespace tunedeck {

// The component plugin "Mtp": an MTP player, addressed by its player id.
class MtpPlugin : public QObject, public DevicePlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TUNEDECK_DEVICE_PLUGIN_IID)
    Q_INTERFACES(tunedeck::DevicePlugin)

  public:
    std::unique_ptr<DeviceComponent> create(const QString& address) override;
};

}  // namespace tunedeck
