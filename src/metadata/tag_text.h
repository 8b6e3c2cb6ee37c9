// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QString>

namespace tunedeck {

// The value of a fixed-length tag field: its code page 932 bytes up to the first NUL as they stand, or, when
// there is no NUL, all of them without their leading and trailing spaces (code 32 only); decoded.
QString tagText(QByteArrayView field);

}  // namespace tunedeck
