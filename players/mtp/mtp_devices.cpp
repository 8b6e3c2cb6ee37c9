// SPDX-License-Identifier: GPL-3.0-or-later
#include "mtp_devices.h"

#include "udev_handles.h"

namespace tunedeck {
namespace {

QString property(udev_device* device, const char* key) {
    return udevText(udev_device_get_property_value(device, key));
}

// The device's own name for itself, else the USB database's.
QString describedAs(udev_device* device, const char* attribute, const char* fromDatabase) {
    const QString own = udevText(udev_device_get_sysattr_value(device, attribute)).trimmed();
    return own.isEmpty() ? property(device, fromDatabase) : own;
}

}  // namespace

QString mtpPlayerId(const QString& vendorId, const QString& productId, const QString& serial,
                    const QString& usbPort) {
    if (serial.isEmpty())
        return kMtpIdPrefix + usbPort;
    return kMtpIdPrefix + vendorId + QLatin1Char(':') + productId + QLatin1Char(':') + serial;
}

std::vector<MtpDevice> mtpDevices() {
    std::vector<MtpDevice> devices;
    const UdevHandle<udev> context(udev_new());
    const UdevHandle<udev_enumerate> enumeration(context ? udev_enumerate_new(context.get()) : nullptr);
    if (!enumeration)
        return devices;
    // libmtp's rules mark the USB device itself, never its interfaces.
    udev_enumerate_add_match_subsystem(enumeration.get(), "usb");
    udev_enumerate_add_match_property(enumeration.get(), "ID_MTP_DEVICE", "1");
    udev_enumerate_scan_devices(enumeration.get());
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumeration.get())) {
        const UdevHandle<udev_device> device(
            udev_device_new_from_syspath(context.get(), udev_list_entry_get_name(entry)));
        if (!device)
            continue;
        devices.push_back({
            .id = mtpPlayerId(property(device.get(), "ID_VENDOR_ID"), property(device.get(), "ID_MODEL_ID"),
                              property(device.get(), "ID_SERIAL_SHORT"), property(device.get(), "ID_PATH")),
            .vendor = describedAs(device.get(), "manufacturer", "ID_VENDOR_FROM_DATABASE"),
            .model = describedAs(device.get(), "product", "ID_MODEL_FROM_DATABASE"),
            .vendorId = property(device.get(), "ID_VENDOR_ID").toUShort(nullptr, 16),
            .productId = property(device.get(), "ID_MODEL_ID").toUShort(nullptr, 16),
            .bus = property(device.get(), "BUSNUM").toInt(),
            .address = property(device.get(), "DEVNUM").toInt(),
        });
    }
    return devices;
}

std::optional<MtpDevice> mtpDevice(const QString& id) {
    for (MtpDevice& device : mtpDevices())
        if (device.id == id)
            return std::move(device);
    return std::nullopt;
}

}  // namespace tunedeck
