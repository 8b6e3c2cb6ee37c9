// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

namespace tunedeck {

// Refuse a folder or song number outside the `count` there are (0 to count - 1), as every player says it.
void requireFolderIndex(qint64 index, qint64 count);
void requireSongIndex(qint64 index, qint64 count);

}  // namespace tunedeck
