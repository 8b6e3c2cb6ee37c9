// SPDX-License-Identifier: GPL-3.0-or-later
#include "system_players.h"

#include "device_component.h"
#include "media_player_info.h"
#include "udisks.h"

#include <QDBusConnection>
#include <QFileInfo>
#include <QSocketNotifier>

namespace tunedeck {
namespace {

constexpr int kSettleMs = 300;

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

}  // namespace

PlayerEntry usbPlayerEntry(const UsbPlayer& player) {
    // UDisks2 finds vfat and exFAT volumes alone, and the kernel's exFAT keeps the entries' order too.
    PlayerEntry entry{.id = player.id,
                      .progId = kMassStorageProgId,
                      .kind = QStringLiteral("usb-disk"),
                      .removable = true,
                      .keepsEntryOrder = true};
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
        entry.kind = QStringLiteral("player");
        entry.order = info->order;
        name = joined({info->vendor, info->product});
    } else if (holdsAudioPlayerFile(entry.memories)) {
        entry.kind = QStringLiteral("audio-player");
    }
    entry.name =
        player.label.isEmpty() ? name : name + QStringLiteral(" (") + player.label + QLatin1Char(')');
    return entry;
}

PlayerEntry mtpPlayerEntry(const MtpDevice& device) {
    return {.id = device.id,
            .progId = kMtpProgId,
            .kind = QStringLiteral("mtp"),
            .name = joined({device.vendor, device.model})};
}

SystemPlayers::SystemPlayers(QObject* parent) : PlayerDirectory(parent) {
    settled_.setSingleShot(true);
    settled_.setInterval(kSettleMs);
    connect(&settled_, &QTimer::timeout, this, &PlayerDirectory::changed);
    QDBusConnection bus = QDBusConnection::systemBus();
    for (const char* signal : {"InterfacesAdded", "InterfacesRemoved"})
        bus.connect(QStringLiteral("org.freedesktop.UDisks2"), QStringLiteral("/org/freedesktop/UDisks2"),
                    QStringLiteral("org.freedesktop.DBus.ObjectManager"), QString::fromLatin1(signal), this,
                    SLOT(objectsChanged()));
    // A mount or unmount by another program changes a file system's properties, not the objects.
    bus.connect(QStringLiteral("org.freedesktop.UDisks2"), QString(),
                QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"), this,
                SLOT(objectsChanged()));
    watchUsbDevices();
}

void SystemPlayers::objectsChanged() {
    settled_.start();
}

// An MTP player shows no disk: udev tells of it as a USB device.
void SystemPlayers::watchUsbDevices() {
    udev_.reset(udev_new());
    usbMonitor_.reset(udev_ ? udev_monitor_new_from_netlink(udev_.get(), "udev") : nullptr);
    if (!usbMonitor_ ||
        udev_monitor_filter_add_match_subsystem_devtype(usbMonitor_.get(), "usb", "usb_device") < 0 ||
        udev_monitor_enable_receiving(usbMonitor_.get()) < 0) {
        usbMonitor_.reset();
        return;
    }
    auto* notifier = new QSocketNotifier(udev_monitor_get_fd(usbMonitor_.get()), QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &SystemPlayers::usbDeviceEvent);
}

void SystemPlayers::usbDeviceEvent() {
    // Taken off the monitor, or the notifier would fire again at once.
    const UdevHandle<udev_device> device(udev_monitor_receive_device(usbMonitor_.get()));
    settled_.start();
}

std::vector<PlayerEntry> SystemPlayers::players() {
    std::vector<PlayerEntry> entries;
    try {
        for (const UsbPlayer& player : usbPlayers(udisks::usbVolumes()))
            entries.push_back(usbPlayerEntry(player));
    } catch (const DeviceError&) {
        // UDisks2 not answering is no player found; the emulated one is still there.
    }
    for (const MtpDevice& device : mtpDevices())
        entries.push_back(mtpPlayerEntry(device));
    return entries;
}

void SystemPlayers::safelyRemove(const QString& id) {
    for (const UsbPlayer& player : usbPlayers(udisks::usbVolumes()))
        if (player.id == id) {
            udisks::safelyRemove(player);
            return;
        }
    throw DeviceError(QStringLiteral("プレーヤーが見つかりません。すでに取り外されています。"));
}

}  // namespace tunedeck
