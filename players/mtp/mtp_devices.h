// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>
#include <vector>

namespace tunedeck {

// A USB device that speaks MTP, as udev marks it (libmtp's rules: its list of devices, or its probe).
struct MtpDevice {
    QString id;  // mtpPlayerId
    QString vendor;
    QString model;
    quint16 vendorId = 0;
    quint16 productId = 0;
    int bus = 0;  // where it is plugged in now
    int address = 0;
};

// The ids of MTP players start with it.
inline const QString kMtpIdPrefix = QStringLiteral("mtp:");

// The player id of an MTP device: "mtp:" and its vendor, product and serial number, or its USB port when it
// has no serial number, which then names it as long as it stays in that port.
QString mtpPlayerId(const QString& vendorId, const QString& productId, const QString& serial,
                    const QString& usbPort);

// The MTP devices plugged in now.
std::vector<MtpDevice> mtpDevices();
std::optional<MtpDevice> mtpDevice(const QString& id);

}  // namespace tunedeck
