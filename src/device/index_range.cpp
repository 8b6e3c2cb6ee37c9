// SPDX-License-Identifier: GPL-3.0-or-later
#include "index_range.h"

#include "device_component.h"
#include "player_texts.h"

namespace tunedeck {

void requireFolderIndex(qint64 index, qint64 count) {
    if (index < 0 || index >= count)
        throw DeviceError(player_texts::kFolderOutOfRange);
}

void requireSongIndex(qint64 index, qint64 count) {
    if (index < 0 || index >= count)
        throw DeviceError(player_texts::kSongOutOfRange);
}

}  // namespace tunedeck
