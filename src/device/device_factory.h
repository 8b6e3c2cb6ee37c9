// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device_component.h"

#include <QString>

#include <functional>
#include <memory>

namespace tunedeck {

// Creates the device object for a ProgID and a player, or throws DeviceError when the component is not
// registered. `playerId` names the player among those the component reaches (PlayerEntry::id).
using DeviceFactory =
    std::function<std::unique_ptr<DeviceComponent>(const QString& progId, const QString& playerId)>;

// The ProgID of the emulated player, the program's own.
inline const QString kPlayerProgId = QStringLiteral("Rio500Remix.Rio500");
// The ProgID of players of files: USB mass-storage players and folders addressed directly.
inline const QString kMassStorageProgId = QStringLiteral("Tunedeck.MassStorage");
// The ProgID of MTP players.
inline const QString kMtpProgId = QStringLiteral("Tunedeck.Mtp");

// Registered components: ProgID "Rio500Remix.Rio500" is the plugin Rio500Remix in `componentsFolder`,
// "Tunedeck.MassStorage" the plugin MassStorage, "Tunedeck.Mtp" the plugin Mtp. `address` says which player:
// the emulated player's store
// folder, or a player id. Throws DeviceError for an unknown ProgID and for a plugin that is missing or cannot
// be loaded.
std::unique_ptr<DeviceComponent> createDevice(const QString& progId, const QString& componentsFolder,
                                              const QString& address);

}  // namespace tunedeck
