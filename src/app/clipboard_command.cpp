#include "frmTunedeck.h"

namespace tunedeck {

// "リストをクリップボードにコピー(&C)": the song names, one a line, each line ending in CR LF so that
// Windows programs paste them as lines too.
void frmTunedeck::menuClipCopy_Click() {
    QString text;
    for (int row = 0; row < lvwSong->itemCount(); ++row)
        text += lvwSong->itemText(row) + QStringLiteral("\r\n");
    environment_.shell->setClipboardText(text);
}

}  // namespace tunedeck
