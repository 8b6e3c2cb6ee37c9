// SPDX-License-Identifier: GPL-3.0-or-later
#include "song_positions.h"

namespace tunedeck {

QString downloadFileName(int position) {
    return QStringLiteral("GetRio%1.mp3").arg(position, 2, 10, QLatin1Char('0'));
}

QString freeFileName(const QString& name, const std::function<bool(const QString& name)>& taken) {
    if (!taken(name))
        return name;
    // A leading dot starts a hidden name, not an extension.
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const qsizetype stemEnd = dot > 0 ? dot : name.size();
    for (int number = 2;; ++number) {
        const QString numbered = name.left(stemEnd) + QStringLiteral(" (%1)").arg(number) + name.mid(stemEnd);
        if (!taken(numbered))
            return numbered;
    }
}

qint32 deletedSongIndex(int position, int deletedCount) {
    return (position - 1) - deletedCount;
}

}  // namespace tunedeck
