// SPDX-License-Identifier: GPL-3.0-or-later
#include "folder_locator.h"

#include "device_component.h"
#include "local_path.h"
#include "player_texts.h"

#include <fcntl.h>
#include <unistd.h>

namespace tunedeck {
namespace {

// Far more than any such file holds; a bigger one is read only so far.
constexpr qsizetype kMostRead = 64 * 1024;

QByteArray unquoted(QByteArray value) {
    value = value.trimmed();
    if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
        value = value.sliced(1, value.size() - 2).trimmed();
    return value;
}

// The entry as a path inside the volume, or nothing when it would leave it.
std::optional<QString> insideVolume(const QByteArray& entry) {
    QStringList kept;
    for (const QString& name : pathFromBytes(entry).replace(u'\\', u'/').split(u'/', Qt::SkipEmptyParts)) {
        if (name == u"..")
            return std::nullopt;
        if (name != u".")
            kept << name;
    }
    return kept.join(u'/');
}

QByteArray readSmallFile(const QString& path) {
    const int fd = ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return {};
    QByteArray contents(kMostRead, Qt::Uninitialized);
    const ssize_t got = ::read(fd, contents.data(), contents.size());
    ::close(fd);
    contents.resize(std::max<ssize_t>(got, 0));
    return contents;
}

}  // namespace

AudioPlayerFile audioPlayerFile(const QByteArray& contents) {
    AudioPlayerFile file;
    for (const QByteArray& line : contents.split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals < 0)
            continue;
        const QByteArray key = line.first(equals).trimmed();
        const QByteArray value = unquoted(line.sliced(equals + 1));
        if (key == "audio_folders") {
            qsizetype end = 0;
            while (end < value.size() && value[end] != ';' && value[end] != ',')
                ++end;
            file.audioFolder = insideVolume(value.first(end)).value_or(QString());
        } else if (key == "song_order") {
            file.order = songOrderFromKey(QString::fromUtf8(value));
        }
    }
    return file;
}

PlayerLocator folderLocator(const QString& folder) {
    return [folder] {
        if (!isFolder(folder))
            throw DeviceError(player_texts::kNotConnected, DeviceError::Kind::NotConnected);
        const QString marker = folder + QStringLiteral("/.is_audio_player");
        const AudioPlayerFile player = audioPlayerFile(readSmallFile(marker));
        MountedMemory memory{
            .audioFolder = player.audioFolder.isEmpty() ? folder : folder + u'/' + player.audioFolder,
            .audioFolderShared = !isFile(marker)};
        return MountedPlayer{.internal = memory, .order = player.order};
    };
}

}  // namespace tunedeck
