// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>

namespace tunedeck {

// Songs are addressed by their 1-based position in the song list: the song at position n is song index
// n - 1 of the folder the list shows.

// The file a downloaded song is written to: "GetRio", the position in at least two digits, ".mp3".
QString downloadFileName(int position);

// A download never replaces what is there: `name` when `taken` says no entry has it, else the first of
// "stem (2).ext", "stem (3).ext", … that is free.
QString freeFileName(const QString& name, const std::function<bool(const QString& name)>& taken);

// The song index to delete for the song listed at `position` once `deletedCount` songs listed above it have
// been deleted in the same run: each of those moved it up by one.
qint32 deletedSongIndex(int position, int deletedCount);

}  // namespace tunedeck
