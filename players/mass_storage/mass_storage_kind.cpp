// SPDX-License-Identifier: GPL-3.0-or-later
#include "mass_storage_kind.h"

#include "device_component.h"
#include "entry_order.h"
#include "media_player_info.h"
#include "player_texts.h"
#include "udisks.h"

#include <QDir>
#include <QFileInfo>

namespace tunedeck {
namespace {

QString joined(const QStringList& parts) {
    QStringList present = parts;
    present.removeAll(QString());
    return present.join(QLatin1Char(' '));
}

bool holdsAudioPlayerFile(const QStringList& mountPoints) {
    for (const QString& mountPoint : mountPoints)
        if (QFileInfo(mountPoint + QStringLiteral("/.is_audio_player")).isFile())
            return true;
    return false;
}

std::vector<PlayerEntry> usbPlayersFound() {
    std::vector<PlayerEntry> entries;
    try {
        for (const UsbPlayer& player : usbPlayers(udisks::usbVolumes()))
            entries.push_back(usbPlayerEntry(player));
    } catch (const DeviceError&) {
        // UDisks2 not answering is no player found; the other kinds are still there.
    }
    return entries;
}

void safelyRemoveUsbPlayer(const QString& id) {
    for (const UsbPlayer& player : usbPlayers(udisks::usbVolumes()))
        if (player.id == id) {
            udisks::safelyRemove(player);
            return;
        }
    throw DeviceError(player_texts::kAlreadyRemoved);
}

// Any id not a folder's is taken for a USB player's; one not of that form ("usb:…") names no player that can
// be removed.
PlayerEntry absentEntry(const QString& id, const QString& name) {
    if (isFolderPlayerId(id))
        return folderPlayerEntry(id);
    const bool usb = isUsbPlayerId(id);
    return {.id = id,
            .variety = QStringLiteral("usb-disk"),
            .name = name,
            .removable = usb,
            .keepsEntryOrder = usb};
}

}  // namespace

PlayerEntry usbPlayerEntry(const UsbPlayer& player) {
    // UDisks2 finds vfat and exFAT volumes alone, and the kernel's exFAT keeps the entries' order too.
    PlayerEntry entry{
        .id = player.id, .variety = QStringLiteral("usb-disk"), .removable = true, .keepsEntryOrder = true};
    QString name = joined({player.vendor, player.model});
    const std::optional<MediaPlayerInfo> info =
        readMediaPlayerInfo(player.mediaPlayer, mediaPlayerInfoFolders());
    // Where each memory is mounted, empty while it is not; a player without a card has one.
    const auto mountPoint = [](const std::optional<UsbVolume>& memory) {
        return memory ? memory->mountPoints.value(0) : QString();
    };
    entry.memories << mountPoint(player.memories[0]);
    if (player.memories[1])
        entry.memories << mountPoint(player.memories[1]);
    if (info && info->accessProtocols.contains(QStringLiteral("storage"))) {
        entry.variety = QStringLiteral("player");
        entry.order = info->order;
        name = joined({info->vendor, info->product});
    } else if (holdsAudioPlayerFile(entry.memories)) {
        entry.variety = QStringLiteral("audio-player");
    }
    entry.name =
        player.label.isEmpty() ? name : name + QStringLiteral(" (") + player.label + QLatin1Char(')');
    return entry;
}

PlayerEntry folderPlayerEntry(const QString& folder) {
    const QString path = QDir::cleanPath(QDir(folder).absolutePath());
    return {.id = path,
            .variety = QStringLiteral("folder"),
            .name = QDir::toNativeSeparators(path),
            .memories = {path},
            .keepsEntryOrder = folderKeepsEntryOrder(path)};
}

PlayerKind massStorageKind() {
    return {.progId = kMassStorageProgId,
            .plugin = QStringLiteral("MassStorage"),
            .idPrefix = kUsbIdPrefix,
            .takesOtherIds = true,
            .songOrders = true,
            .find = usbPlayersFound,
            .safelyRemove = safelyRemoveUsbPlayer,
            .absent = absentEntry,
            .reachable = [](const PlayerEntry& entry) {
                return isFolderPlayerId(entry.id) && QFileInfo(entry.id).isDir();
            }};
}

}  // namespace tunedeck
