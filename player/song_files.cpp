#include "song_files.h"

#include "device_component.h"
#include "player_texts.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace tunedeck {
namespace {

constexpr qint64 kChunk = 1024 * 1024;

enum class Pumped { Done, ReadFailed, WriteFailed, OverLimit };

struct PumpResult {
    Pumped outcome;
    qint64 bytes;
};

PumpResult pump(QFile& from, QFileDevice& to, qint64 limit) {
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
    }
}

struct PartFile {
    QByteArray name;
    int fd = -1;  // below 0 when no file could be made
};

// A new file beside `target` under a name no other file has. It is created as any new file is, so the
// user's umask decides who may read it.
PartFile createPartFileBeside(const QByteArray& target) {
    PartFile part;
    for (int attempt = 0; part.fd < 0 && attempt < 16; ++attempt) {
        part.name = target + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".part";
        part.fd = ::open(part.name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (part.fd < 0 && errno != EEXIST)
            break;
    }
    return part;
}

}  // namespace

qint64 copyIntoStore(const QString& source, const QString& target, qint64 limit) {
    QFile from(source);
    // Only a regular file: a folder, a device or a pipe would fail or never end.
    if (!QFileInfo(source).isFile() || !from.open(QIODevice::ReadOnly))
        throw DeviceError(player_texts::kUnreadableSource + source);
    if (from.size() > limit)
        throw DeviceError(player_texts::kMemoryFull);
    QFile to(target);
    if (!to.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw DeviceError(player_texts::kStoreUnwritable + to.errorString());
    const PumpResult result = pump(from, to, limit);
    const bool written = result.outcome == Pumped::Done && to.flush();
    to.close();
    if (written && to.error() == QFileDevice::NoError)
        return result.bytes;
    to.remove();
    switch (result.outcome) {
        case Pumped::OverLimit:
            throw DeviceError(player_texts::kMemoryFull);
        case Pumped::ReadFailed:
            throw DeviceError(player_texts::kUnreadableSource + source);
        default:
            throw DeviceError(player_texts::kStoreUnwritable + target);
    }
}

void copyOutOfStore(const QString& source, qint64 expectedSize, const QString& target) {
    const QString damaged = player_texts::kStoreDamaged + QFileInfo(source).fileName();
    QFile from(source);
    if (!from.open(QIODevice::ReadOnly) || from.size() != expectedSize)
        throw DeviceError(damaged);
    const QString unwritable = player_texts::kUnwritableTarget + target;
    const QByteArray targetName = QFile::encodeName(target);
    const PartFile part = createPartFileBeside(targetName);
    QFile out;
    if (part.fd < 0 || !out.open(part.fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        if (part.fd >= 0) {
            ::close(part.fd);
            ::unlink(part.name.constData());
        }
        throw DeviceError(unwritable);
    }
    const PumpResult result = pump(from, out, expectedSize);
    const bool whole = result.outcome == Pumped::Done && result.bytes == expectedSize;
    struct stat replaced {};
    if (whole && ::stat(targetName.constData(), &replaced) == 0 && S_ISREG(replaced.st_mode))
        ::fchmod(part.fd, replaced.st_mode & 07777);  // a file written over keeps who may read it
    const bool written = whole && out.flush();
    out.close();
    if (!written || out.error() != QFileDevice::NoError ||
        ::rename(part.name.constData(), targetName.constData()) != 0) {
        ::unlink(part.name.constData());
        throw DeviceError(whole || result.outcome == Pumped::WriteFailed ? unwritable : damaged);
    }
}

}  // namespace tunedeck
