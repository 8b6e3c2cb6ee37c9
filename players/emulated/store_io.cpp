// SPDX-License-Identifier: GPL-3.0-or-later
#include "store_io.h"

#include "device_component.h"
#include "player_texts.h"

#include <QFile>
#include <QSaveFile>

namespace tunedeck {

void writeSafely(const QString& path, const QByteArray& bytes) {
    // Unbuffered: a buffered write that the disk cuts short fails only inside commit(), which ignores it and
    // puts the short file in place.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(bytes) != bytes.size() ||
        !file.commit())
        throw DeviceError(player_texts::kStoreUnwritable + file.errorString());
}

QByteArray readWhole(const QString& path, const QString& name) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw DeviceError(player_texts::kStoreDamaged + name);
    return file.readAll();
}

}  // namespace tunedeck
