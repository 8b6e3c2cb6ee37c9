// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace tunedeck {

// The device node of the USB device at `address` on `bus`.
QString usbNode(int bus, int address);

// The other programs that have `node` open, each as "name (PID n)": one of them holds the device.
QStringList programsHolding(const QString& node);

// Whether GNOME's MTP file system, which can be asked to let go, is among `holders` (as programsHolding names
// them).
bool gnomeMtpHolds(const QStringList& holders);

}  // namespace tunedeck
