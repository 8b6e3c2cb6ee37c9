// SPDX-License-Identifier: GPL-3.0-or-later
#include "device_factory.h"

#include "device_plugin.h"

#include <QPluginLoader>

namespace tunedeck {

std::unique_ptr<DeviceComponent> createDevice(const QString& progId, const QString& componentsFolder,
                                              const QString& storeFolder) {
    if (progId != kPlayerProgId)
        throw DeviceError(progId + QStringLiteral(" は登録されていません。"));
    // Kept loaded for the life of the process: device objects made by the plugin may outlive this call.
    QPluginLoader loader(componentsFolder + QStringLiteral("/Rio500Remix"));
    auto* plugin = qobject_cast<DevicePlugin*>(loader.instance());
    if (!plugin)
        throw DeviceError(loader.errorString());
    return plugin->create(storeFolder);
}

}  // namespace tunedeck
