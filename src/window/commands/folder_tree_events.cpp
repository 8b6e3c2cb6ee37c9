// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmTunedeck.h"

#include "folder_path.h"
#include "input_state.h"

namespace tunedeck {

void frmTunedeck::dirlst_Change() {
    fillFileList(dirlst->path());
}

// Both keys set the tree's path, which fills the file list again; a folder gone meanwhile leaves the tree at
// the nearest one that exists. Backspace stops at the chosen drive's root, which the drive list shows.
void frmTunedeck::dirlst_KeyPress(int keyAscii) {
    if (keyAscii == input::kKeyBack)
        dirlst->open(folderUp(dirlst->path(), drvList->drive()));
    else if (keyAscii == input::kKeyReturn)
        dirlst->open(dirlst->highlightedPath());
}

// The right button opens the folder tree's menu ("フォルダツリー").
void frmTunedeck::dirlst_MouseUp(int button, int /*shift*/, double x, double y) {
    if (button & 2)
        menuFolder->popup(dirlst->viewport()->mapToGlobal(QPoint(twips_.toPixels(x), twips_.toPixels(y))));
}

}  // namespace tunedeck
