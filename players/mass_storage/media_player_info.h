// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "song_order.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace tunedeck {

// What media-player-info's file for a player (/usr/share/media-player-info/NAME.mpi) says about it.
struct MediaPlayerInfo {
    QString vendor;
    QString product;
    QStringList accessProtocols;  // "storage", "mtp", "ipod"
    QStringList audioFolders;     // relative to the volume, as written ("MUSIC/")
    std::optional<QString> playlistPath;
    std::optional<SongOrder> order;  // when the file says how the player orders its songs
};

// Reads the key file: sections and keys match without regard to case, lists are separated by ";" (not
// comments, as an INI reader would take them), lines starting with "#" are comments.
MediaPlayerInfo parseMediaPlayerInfo(const QByteArray& text);

// The file for udev's ID_MEDIA_PLAYER value `name`, from the first of `folders` that has it; none for a name
// that is not a plain file name.
std::optional<MediaPlayerInfo> readMediaPlayerInfo(const QString& name, const QStringList& folders);

// Where media-player-info keeps its files.
QStringList mediaPlayerInfoFolders();

}  // namespace tunedeck
