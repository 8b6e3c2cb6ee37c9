// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace tunedeck {

// The device node of the USB device at `address` on `bus`.
QString usbNode(int bus, int address);

// The other programs that have `node` open, each as "name (PID n)": one of them holds the device.
QStringList programsHolding(const QString& node);

}  // namespace tunedeck
