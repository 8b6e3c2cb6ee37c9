// SPDX-License-Identifier: GPL-3.0-or-later
#include "device_factory.h"

#include "device_plugin.h"

#include <QPluginLoader>

namespace tunedeck {

std::unique_ptr<DeviceComponent> createDevice(const QString& progId, const QString& componentsFolder,
                                              const QString& address) {
    const QString plugin = progId == kPlayerProgId        ? QStringLiteral("Rio500Remix")
                           : progId == kMassStorageProgId ? QStringLiteral("MassStorage")
                           : progId == kMtpProgId         ? QStringLiteral("Mtp")
                                                          : QString();
    if (plugin.isEmpty())
        throw DeviceError(progId + QStringLiteral(" は登録されていません。"));
    // Kept loaded for the life of the process: device objects made by the plugin may outlive this call.
    QPluginLoader loader(componentsFolder + QLatin1Char('/') + plugin);
    auto* loaded = qobject_cast<DevicePlugin*>(loader.instance());
    if (!loaded)
        throw DeviceError(loader.errorString());
    return loaded->create(address);
}

}  // namespace tunedeck
