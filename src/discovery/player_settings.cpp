// SPDX-License-Identifier: GPL-3.0-or-later
#include "player_settings.h"

#include "mtp_devices.h"
#include "usb_players.h"

namespace tunedeck::player_settings {
namespace {

// "=" would end the key early.
QString orderKey(const QString& id) {
    return QStringLiteral("SongOrder ") + QString(id).replace(QLatin1Char('='), QLatin1Char('_'));
}

}  // namespace

SongOrder songOrderOf(const PlayerEntry& player, const SettingsFile& settings) {
    const SongOrder order = player.order.value_or(
        songOrderFromKey(settings.readString(orderKey(player.id), QString())).value_or(SongOrder::Directory));
    return order == SongOrder::Directory && !player.keepsEntryOrder ? SongOrder::Name : order;
}

bool keepSongOrder(const PlayerEntry& player, SongOrder order, const SettingsFile& settings) {
    return settings.write(orderKey(player.id), songOrderKey(order));
}

PlayerEntry absentPlayerEntry(const QString& id, const QString& name) {
    if (isFolderPlayerId(id))
        return folderPlayerEntry(id);
    if (id.isEmpty() || id == kEmulatedPlayerId)
        return emulatedPlayerEntry();
    if (isMtpPlayerId(id))
        return {.id = id, .progId = kMtpProgId, .kind = QStringLiteral("mtp"), .name = name};
    // Any other id is taken for a USB player's; one not of that form ("usb:…") names no player that can
    // be removed.
    const bool usb = isUsbPlayerId(id);
    return {.id = id,
            .progId = kMassStorageProgId,
            .kind = QStringLiteral("usb-disk"),
            .name = name,
            .removable = usb,
            .keepsEntryOrder = usb};
}

std::unique_ptr<DeviceComponent> createPlayerDevice(const DeviceFactory& factory, const PlayerEntry& player,
                                                    const SettingsFile& settings) {
    std::unique_ptr<DeviceComponent> device = factory(player.progId, player.id);
    if (auto* choice = dynamic_cast<SongOrderChoice*>(device.get()))
        choice->ChooseSongOrder(songOrderOf(player, settings));
    return device;
}

}  // namespace tunedeck::player_settings
