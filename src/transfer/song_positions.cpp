// SPDX-License-Identifier: GPL-3.0-or-later
#include "song_positions.h"

namespace tunedeck {

QString downloadFileName(int position) {
    return QStringLiteral("GetRio%1.mp3").arg(position, 2, 10, QLatin1Char('0'));
}

qint32 deletedSongIndex(int position, int deletedCount) {
    return (position - 1) - deletedCount;
}

}  // namespace tunedeck
