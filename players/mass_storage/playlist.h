// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tunedeck {

// A folder's playlist: "<folder name>.m3u8", UTF-8, a song a line by its path relative to the playlist, "#"
// lines for the player alone. It lies in the song folder itself, or in the player's playlist folder. Paths
// are absolute and held as paths (local_path.h).
QString playlistName(const QString& songFolderName);

// The names of the songs of `songFolder` that the playlist in `playlistFolder` lists, in its order, each
// once. Entries of other folders, absolute ones and comments are passed over.
QStringList playlistSongs(const QByteArray& contents, const QString& playlistFolder,
                          const QString& songFolder);

// The playlist in `playlistFolder` that lists `songNames` of `songFolder` in this order.
QByteArray playlistText(const QStringList& songNames, const QString& playlistFolder,
                        const QString& songFolder);

}  // namespace tunedeck
