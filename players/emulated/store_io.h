// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace tunedeck {

// Replaces the file at `path` by `bytes` all at once (QSaveFile): a crash leaves the old file or the new.
// Throws DeviceError kStoreUnwritable.
void writeSafely(const QString& path, const QByteArray& bytes);

// The whole file at `path`; throws DeviceError kStoreDamaged naming `name` when it cannot be read.
QByteArray readWhole(const QString& path, const QString& name);

}  // namespace tunedeck
