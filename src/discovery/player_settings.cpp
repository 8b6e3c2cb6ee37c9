// SPDX-License-Identifier: GPL-3.0-or-later
#include "player_settings.h"

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

std::unique_ptr<DeviceComponent> createPlayerDevice(const DeviceFactory& factory, const PlayerEntry& player,
                                                    const SettingsFile& settings) {
    if (!player.kind)
        throw DeviceError(player.id + QStringLiteral(" は登録されていません。"));
    std::unique_ptr<DeviceComponent> device = factory(player);
    if (auto* choice = dynamic_cast<SongOrderChoice*>(device.get()))
        choice->ChooseSongOrder(songOrderOf(player, settings));
    return device;
}

}  // namespace tunedeck::player_settings
