// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmTunedeck.h"

namespace tunedeck {

// Taken when a command starts, so that the whole run works on the songs chosen then.
QList<SongRef> frmTunedeck::selectedSongs() const {
    QList<SongRef> selected;
    for (int row = 0; row < lvwSong->itemCount(); ++row)
        if (lvwSong->isItemSelected(row))
            selected.append(songAt(row));
    return selected;
}

}  // namespace tunedeck
