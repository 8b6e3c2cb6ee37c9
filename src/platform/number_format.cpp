// SPDX-License-Identifier: GPL-3.0-or-later
#include "number_format.h"

namespace tunedeck {

QString groupedNumber(qint64 value) {
    QString digits = QString::number(value < 0 ? -value : value);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, QLatin1Char(','));
    return value < 0 ? QLatin1Char('-') + digits : digits;
}

QString kilobyteText(qint64 bytes) {
    return groupedNumber(bytes / 1024) + QStringLiteral("KB");
}

}  // namespace tunedeck
