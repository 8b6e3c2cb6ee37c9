// SPDX-License-Identifier: GPL-3.0-or-later
#include "udisks.h"

#include "device_component.h"
#include "udev_handles.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>

namespace tunedeck::udisks {
namespace {

using Properties = QMap<QString, QVariantMap>;  // interface → property → value
using ManagedObjects = QMap<QDBusObjectPath, Properties>;

const QString kService = QStringLiteral("org.freedesktop.UDisks2");
const QString kBlock = QStringLiteral("org.freedesktop.UDisks2.Block");
const QString kDrive = QStringLiteral("org.freedesktop.UDisks2.Drive");
const QString kFilesystem = QStringLiteral("org.freedesktop.UDisks2.Filesystem");
// A mount or power-off may wait for the kernel to write back what the player still holds; a listing, which
// the window asks for itself, must not keep it waiting long.
constexpr int kChangeTimeout = 120'000;
constexpr int kListTimeout = 5'000;

QDBusMessage call(const QString& object, const QString& interface, const QString& method,
                  const QVariantList& arguments, int timeout = kChangeTimeout) {
    QDBusMessage message = QDBusMessage::createMethodCall(kService, object, interface, method);
    message.setArguments(arguments);
    const QDBusMessage reply = QDBusConnection::systemBus().call(message, QDBus::Block, timeout);
    if (reply.type() == QDBusMessage::ErrorMessage)
        throw DeviceError(reply.errorMessage());
    return reply;
}

// D-Bus byte strings end in a NUL.
QString byteString(const QByteArray& bytes) {
    return QString::fromUtf8(bytes.left(bytes.indexOf('\0') < 0 ? bytes.size() : bytes.indexOf('\0')));
}

QStringList byteStrings(const QVariant& value) {
    QStringList strings;
    if (!value.canConvert<QDBusArgument>())
        return strings;
    const QDBusArgument argument = value.value<QDBusArgument>();
    argument.beginArray();
    while (!argument.atEnd()) {
        QByteArray bytes;
        argument >> bytes;
        strings << byteString(bytes);
    }
    argument.endArray();
    return strings;
}

ManagedObjects managedObjects() {
    qDBusRegisterMetaType<Properties>();
    qDBusRegisterMetaType<ManagedObjects>();
    const QDBusMessage reply =
        call(QStringLiteral("/org/freedesktop/UDisks2"), QStringLiteral("org.freedesktop.DBus.ObjectManager"),
             QStringLiteral("GetManagedObjects"), {}, kListTimeout);
    ManagedObjects objects;
    reply.arguments().value(0).value<QDBusArgument>() >> objects;
    return objects;
}

// udev's properties of a block device, by its node.
class UdevProperties {
  public:
    explicit UdevProperties(const QString& device) : context_(udev_new()) {
        const QString name = device.section(QLatin1Char('/'), -1);
        if (context_)
            device_.reset(
                udev_device_new_from_subsystem_sysname(context_.get(), "block", name.toUtf8().constData()));
    }
    QString operator[](const char* key) const {
        return udevText(device_ ? udev_device_get_property_value(device_.get(), key) : nullptr);
    }

  private:
    UdevHandle<udev> context_;
    UdevHandle<udev_device> device_;
};

UsbVolume volumeOf(const QString& block, const Properties& blockProperties,
                   const Properties& driveProperties) {
    const QVariantMap& blockValues = blockProperties[kBlock];
    const QVariantMap& drive = driveProperties[kDrive];
    UsbVolume volume{
        .block = block,
        .drive = blockValues.value(QStringLiteral("Drive")).value<QDBusObjectPath>().path(),
        .device = byteString(blockValues.value(QStringLiteral("Device")).toByteArray()),
        .fileSystem = blockValues.value(QStringLiteral("IdType")).toString(),
        .label = blockValues.value(QStringLiteral("IdLabel")).toString(),
        .mountPoints = byteStrings(blockProperties[kFilesystem].value(QStringLiteral("MountPoints"))),
        .vendor = drive.value(QStringLiteral("Vendor")).toString().trimmed(),
        .model = drive.value(QStringLiteral("Model")).toString().trimmed()};
    const UdevProperties udev(volume.device);
    volume.idPath = udev["ID_PATH"];
    volume.mediaPlayer = udev["ID_MEDIA_PLAYER"];
    if (const QString serial = udev["ID_SERIAL_SHORT"]; !serial.isEmpty())
        volume.serial =
            udev["ID_VENDOR_ID"] + QLatin1Char(':') + udev["ID_MODEL_ID"] + QLatin1Char(':') + serial;
    return volume;
}

}  // namespace

bool available() {
    const QDBusConnectionInterface* bus = QDBusConnection::systemBus().interface();
    return bus && bus->isServiceRegistered(kService);
}

std::vector<UsbVolume> usbVolumes() {
    std::vector<UsbVolume> volumes;
    if (!available())
        return volumes;
    const ManagedObjects objects = managedObjects();
    for (auto object = objects.begin(); object != objects.end(); ++object) {
        const Properties& properties = object.value();
        if (!properties.contains(kBlock) || !properties.contains(kFilesystem))
            continue;
        const QDBusObjectPath drive =
            properties[kBlock].value(QStringLiteral("Drive")).value<QDBusObjectPath>();
        const Properties driveProperties = objects.value(drive);
        if (driveProperties[kDrive].value(QStringLiteral("ConnectionBus")).toString() != QLatin1String("usb"))
            continue;
        volumes.push_back(volumeOf(object.key().path(), properties, driveProperties));
    }
    return volumes;
}

QString mount(const UsbVolume& volume) {
    if (!volume.mountPoints.isEmpty())
        return volume.mountPoints.first();
    // Names in UTF-8, and every write on its way to the player at once, so pulling it out loses little.
    QVariantMap options{{QStringLiteral("auth.no_user_interaction"), true}};
    if (volume.fileSystem == QLatin1String("vfat"))
        options[QStringLiteral("options")] = QStringLiteral("utf8,flush");
    return call(volume.block, kFilesystem, QStringLiteral("Mount"), {options})
        .arguments()
        .value(0)
        .toString();
}

void safelyRemove(const UsbPlayer& player) {
    const QVariantMap options{{QStringLiteral("auth.no_user_interaction"), true}};
    QString drive;
    for (const std::optional<UsbVolume>& memory : player.memories) {
        if (!memory)
            continue;
        if (!memory->mountPoints.isEmpty())
            call(memory->block, kFilesystem, QStringLiteral("Unmount"), {options});
        drive = memory->drive;
    }
    if (!drive.isEmpty())
        call(drive, kDrive, QStringLiteral("PowerOff"), {options});
}

}  // namespace tunedeck::udisks
