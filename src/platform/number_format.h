// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QtGlobal>

namespace tunedeck {

// A whole number with its digits grouped by three and separated by ",": 0, 1,234, 65,536 (the "###,##0" and
// "###,###,##0" formats, which differ only for numbers the program never shows).
QString groupedNumber(qint64 value);

// Bytes as whole kilobytes, the fraction dropped: 1,023 bytes "0KB", 2,500,000 bytes "2,441KB".
QString kilobyteText(qint64 bytes);

}  // namespace tunedeck
