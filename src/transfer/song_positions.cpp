#include "song_positions.h"

namespace tunedeck {

qint32 folderPosition(const QStringList& folderNames, const QString& folderName) {
    const qsizetype found = folderNames.indexOf(folderName);
    return qint32(found < 0 ? folderNames.size() : found);
}

QString downloadFileName(int position) {
    return QStringLiteral("GetRio%1.mp3").arg(position, 2, 10, QLatin1Char('0'));
}

qint32 deletedSongIndex(int position, int deletedCount) {
    return (position - 1) - deletedCount;
}

}  // namespace tunedeck
