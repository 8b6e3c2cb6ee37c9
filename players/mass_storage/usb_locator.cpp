// SPDX-License-Identifier: GPL-3.0-or-later
#include "usb_locator.h"

#include "device_component.h"
#include "folder_locator.h"
#include "media_player_info.h"
#include "player_texts.h"
#include "udisks.h"

#include <QDir>

namespace tunedeck {
namespace {

// A folder media-player-info names, as a path inside the volume.
QString insideVolume(const QString& root, const QString& folder) {
    const QString cleaned = QDir::cleanPath(QStringLiteral("/") + folder);
    return cleaned == QLatin1String("/") ? root : root + cleaned;
}

MountedMemory memoryOn(const UsbVolume& volume, const std::optional<MediaPlayerInfo>& info,
                       std::optional<SongOrder>& order) {
    const QString root = udisks::mount(volume);
    if (!info || info->audioFolders.isEmpty()) {
        const MountedPlayer onVolume = folderLocator(root)();
        order = onVolume.order;
        MountedMemory memory = *onVolume.internal;
        memory.fileSystem = volume.fileSystem;
        return memory;
    }
    MountedMemory memory{.audioFolder = insideVolume(root, info->audioFolders.first()),
                         .fileSystem = volume.fileSystem};
    // A new card has no music folder yet; the player looks for its songs there.
    if (!QDir().mkpath(memory.audioFolder))
        throw DeviceError(player_texts::kStoreUnwritable + memory.audioFolder);
    if (info->playlistPath && !info->playlistPath->isEmpty())
        memory.playlistFolder = insideVolume(root, *info->playlistPath);
    order = info->order;
    return memory;
}

}  // namespace

PlayerLocator usbLocator(const QString& id) {
    return [id] {
        for (const UsbPlayer& player : usbPlayers(udisks::usbVolumes())) {
            if (player.id != id)
                continue;
            const std::optional<MediaPlayerInfo> info =
                readMediaPlayerInfo(player.mediaPlayer, mediaPlayerInfoFolders());
            MountedPlayer layout;
            if (player.memories[0])
                layout.internal = memoryOn(*player.memories[0], info, layout.order);
            if (player.memories[1]) {
                std::optional<SongOrder> cardOrder;
                layout.card = memoryOn(*player.memories[1], info, cardOrder);
            }
            return layout;
        }
        throw DeviceError(player_texts::kNotConnected, DeviceError::Kind::NotConnected);
    };
}

}  // namespace tunedeck
