// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device_component.h"

#include <QString>
#include <QtGlobal>

namespace tunedeck {

// Both copy at most `speedKbps` KB/s (0: no limit), report to `progress` after each chunk and stop when it
// says so, with DeviceError kCancelled.

// Copies the regular file `source` to the new file `target` and returns the bytes copied. Refuses a source
// that is not a readable regular file, and one larger than `limit` bytes (checked before anything is written
// and again while copying, in case it grows). On any failure `target` is removed. Throws DeviceError.
qint64 copyIntoStore(const QString& source, const QString& target, qint64 limit, qint64 speedKbps,
                     const TransferProgress& progress);

// Writes the stored `source` to `target` byte for byte through a temporary file beside it and a rename, so a
// failure leaves `target` as it was. A stored file whose length is not `expectedSize` is reported as damage.
// Throws DeviceError.
void copyOutOfStore(const QString& source, qint64 expectedSize, const QString& target, qint64 speedKbps,
                    const TransferProgress& progress);

}  // namespace tunedeck
