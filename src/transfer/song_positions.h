#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace tunedeck {

// Songs are addressed by their 1-based position in the song list: the song at position n is song index
// n - 1 of the folder the list shows.

// The folder index of a song whose folder is named `folderName`: the position of the first of `folderNames`
// (the folder combo box's entries in device order) that equals it exactly. When none does it is one past
// the last, which the player refuses as it refuses any other index it does not have.
qint32 folderPosition(const QStringList& folderNames, const QString& folderName);

// The file a downloaded song is written to: "GetRio", the position in at least two digits, ".mp3".
QString downloadFileName(int position);

// The song index to delete for the song listed at `position` once `deletedCount` songs listed above it have
// been deleted in the same run: each of those moved it up by one.
qint32 deletedSongIndex(int position, int deletedCount);

}  // namespace tunedeck
