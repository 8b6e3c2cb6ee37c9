// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QtGlobal>

namespace tunedeck {

// The song information of one music file, filled in place by a tag reader. The readers always leave the
// playing time at 0; it has a placeholder in the display format all the same.
struct TagRecord {
    QString artist, title, album, release, comment;
    qint32 minutes = 0, seconds = 0;

    friend bool operator==(const TagRecord&, const TagRecord&) = default;
};

}  // namespace tunedeck
