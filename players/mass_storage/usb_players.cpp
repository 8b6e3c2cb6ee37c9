// SPDX-License-Identifier: GPL-3.0-or-later
#include "usb_players.h"

#include <QRegularExpression>

#include <algorithm>
#include <map>

namespace tunedeck {
namespace {

const QString kScsi = QStringLiteral("-scsi-");

// The USB interface the units hang off: the ID_PATH before its SCSI part.
QString usbInterfaceOf(const QString& idPath) {
    const qsizetype scsi = idPath.lastIndexOf(kScsi);
    return scsi < 0 ? idPath : idPath.left(scsi);
}

bool isPlayerFileSystem(const QString& type) {
    return type == QLatin1String("vfat") || type == QLatin1String("exfat");
}

}  // namespace

bool isUsbPlayerId(const QString& id) {
    return id.startsWith(kUsbIdPrefix);
}

std::optional<int> logicalUnitOf(const QString& idPath) {
    static const QRegularExpression unit(QStringLiteral("-scsi-\\d+:\\d+:\\d+:(\\d+)$"));
    const QRegularExpressionMatch match = unit.match(idPath);
    if (!match.hasMatch())
        return std::nullopt;
    bool ok = false;
    const int lun = match.captured(1).toInt(&ok);
    return ok ? std::optional(lun) : std::nullopt;
}

std::vector<UsbPlayer> usbPlayers(const std::vector<UsbVolume>& volumes) {
    std::vector<UsbVolume> sorted;
    for (const UsbVolume& volume : volumes)
        if (isPlayerFileSystem(volume.fileSystem) && volume.idPath.contains(QStringLiteral("-usb-")))
            sorted.push_back(volume);
    // The first file system of a unit is its lowest-numbered partition, whatever order the bus listed them
    // in.
    std::sort(sorted.begin(), sorted.end(),
              [](const UsbVolume& a, const UsbVolume& b) { return a.device < b.device; });
    std::map<QString, UsbPlayer> byInterface;
    for (const UsbVolume& volume : sorted) {
        const int lun = logicalUnitOf(volume.idPath).value_or(0);
        if (lun > 1)
            continue;
        UsbPlayer& player = byInterface[usbInterfaceOf(volume.idPath)];
        if (!player.memories[lun])
            player.memories[lun] = volume;
    }
    std::vector<UsbPlayer> players;
    for (auto& [usbInterface, player] : byInterface) {
        const UsbVolume& first = player.memories[0] ? *player.memories[0] : *player.memories[1];
        player.id = kUsbIdPrefix + (first.serial.isEmpty() ? usbInterface : first.serial);
        player.vendor = first.vendor;
        player.model = first.model;
        player.label = first.label;
        player.mediaPlayer = first.mediaPlayer;
        players.push_back(std::move(player));
    }
    return players;
}

}  // namespace tunedeck
