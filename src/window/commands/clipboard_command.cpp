// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmTunedeck.h"

namespace tunedeck {

// "リストをクリップボードにコピー(&C)": the song names only, one a line, every line (the last too) ending in
// CR LF; an empty list copies an empty text.
void frmTunedeck::menuClipCopy_Click() {
    QString text;
    for (int row = 0; row < lvwSong->itemCount(); ++row)
        text += lvwSong->itemText(row) + QStringLiteral("\r\n");
    environment_.shell->setClipboardText(text);
}

}  // namespace tunedeck
