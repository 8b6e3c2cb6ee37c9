// SPDX-License-Identifier: GPL-3.0-or-later
#include "song_files.h"

#include "device_component.h"
#include "local_path.h"
#include "player_texts.h"
#include "transfer_pace.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <fcntl.h>
#include <unistd.h>

#include <vector>

namespace tunedeck {
namespace {

// Small enough that a stop asked for during a transfer is seen at once.
constexpr qint64 kChunk = 64 * 1024;

enum class Pumped { Done, ReadFailed, WriteFailed, OverLimit, Cancelled };

struct PumpResult {
    Pumped outcome;
    qint64 bytes;
};

PumpResult pump(QFile& from, QFileDevice& to, qint64 limit, TransferPace& pace) {
    std::vector<char> buffer(kChunk);
    qint64 total = 0;
    for (;;) {
        const qint64 got = from.read(buffer.data(), kChunk);
        if (got < 0)
            return {Pumped::ReadFailed, total};
        if (got == 0)
            return {Pumped::Done, total};
        total += got;
        if (total > limit)
            return {Pumped::OverLimit, total};
        if (to.write(buffer.data(), got) != got)
            return {Pumped::WriteFailed, total};
        if (!pace.moved(total))
            return {Pumped::Cancelled, total};
    }
}

// Opened by its bytes: the name of a file to send need not be UTF-8. Only a regular file: a folder, a device
// or a pipe would fail or never end.
bool openSource(QFile& file, const QString& source) {
    const int fd = openRegularFile(source);
    if (fd < 0)
        return false;
    if (file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return true;
    ::close(fd);
    return false;
}

}  // namespace

qint64 copyIntoStore(const QString& source, const QString& target, qint64 limit, qint64 speedKbps,
                     const TransferProgress& progress) {
    QFile from;
    if (!openSource(from, source))
        throw DeviceError(player_texts::kUnreadableSource + pathText(source));
    if (from.size() > limit)
        throw DeviceError(player_texts::kMemoryFull);
    QFile to(target);
    if (!to.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw DeviceError(player_texts::kStoreUnwritable + to.errorString());
    TransferPace pace(speedKbps, progress, from.size());
    PumpResult result{Pumped::WriteFailed, 0};
    try {
        result = pump(from, to, limit, pace);
    } catch (...) {  // from `progress`
        to.remove();
        throw;
    }
    // The catalogue that names this file is committed next; its bytes must be on disk before that.
    const bool synced = result.outcome == Pumped::Done && to.flush() && ::fdatasync(to.handle()) == 0;
    to.close();
    if (synced)
        return result.bytes;
    to.remove();
    switch (result.outcome) {
        case Pumped::OverLimit:
            throw DeviceError(player_texts::kMemoryFull);
        case Pumped::Cancelled:
            throw DeviceError(player_texts::kCancelled);
        case Pumped::ReadFailed:
            throw DeviceError(player_texts::kUnreadableSource + pathText(source));
        default:
            throw DeviceError(player_texts::kStoreUnwritable + target);
    }
}

void copyOutOfStore(const QString& source, qint64 expectedSize, const QString& target, qint64 speedKbps,
                    const TransferProgress& progress) {
    const QString damaged = player_texts::kStoreDamaged + QFileInfo(source).fileName();
    QFile from(source);
    if (!from.open(QIODevice::ReadOnly) || from.size() != expectedSize)
        throw DeviceError(damaged);
    QSaveFile to(target);
    if (!to.open(QIODevice::WriteOnly | QIODevice::Unbuffered))  // else commit() hides a cut-short write
        throw DeviceError(player_texts::kUnwritableTarget + target);
    TransferPace pace(speedKbps, progress, expectedSize);
    const PumpResult result = pump(from, to, expectedSize, pace);  // QSaveFile drops its file on a throw
    if (result.outcome != Pumped::Done || result.bytes != expectedSize) {
        switch (result.outcome) {
            case Pumped::WriteFailed:
                throw DeviceError(player_texts::kUnwritableTarget + target);
            case Pumped::Cancelled:
                throw DeviceError(player_texts::kCancelled);
            default:
                throw DeviceError(damaged);
        }
    }
    if (!to.commit())
        throw DeviceError(player_texts::kUnwritableTarget + target);
}

}  // namespace tunedeck
