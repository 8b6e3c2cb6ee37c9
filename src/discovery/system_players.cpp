// SPDX-License-Identifier: GPL-3.0-or-later
#include "system_players.h"

#include "device_component.h"
#include "player_texts.h"

#include <QDBusConnection>
#include <QSocketNotifier>

namespace tunedeck {
namespace {

constexpr int kSettleMs = 300;

}  // namespace

SystemPlayers::SystemPlayers(const PlayerKinds& kinds, QObject* parent)
    : PlayerDirectory(parent), kinds_(kinds) {
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
    return kinds_.found();
}

void SystemPlayers::safelyRemove(const QString& id) {
    const std::shared_ptr<const PlayerKind> kind = kinds_.byId(id);
    if (!kind || !kind->safelyRemove)
        throw DeviceError(player_texts::kAlreadyRemoved);
    kind->safelyRemove(id);
}

}  // namespace tunedeck
