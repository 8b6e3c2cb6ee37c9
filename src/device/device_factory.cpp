// SPDX-License-Identifier: GPL-3.0-or-later
#include "device_factory.h"

#include "device_plugin.h"

#include <QPluginLoader>

namespace tunedeck {

std::unique_ptr<DeviceComponent> createDevice(const PlayerKind& kind, const QString& componentsFolder,
                                              const QString& address) {
    // Kept loaded for the life of the process: device objects made by the plugin may outlive this call.
    QPluginLoader loader(componentsFolder + QLatin1Char('/') + kind.plugin);
    auto* loaded = qobject_cast<DevicePlugin*>(loader.instance());
    if (!loaded)
        throw DeviceError(loader.errorString());
    return loaded->create(address);
}

}  // namespace tunedeck
