// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmTunedeck.h"

namespace tunedeck {

layout::Fixed frmTunedeck::fixedLayout() const {
    return {.clientWidth = twips_.toTwips(client_->width()),
            .clientHeight = twips_.toTwips(client_->height()),
            .splitterHeight = heightInTwips(picSep),
            .driveListHeight = heightInTwips(drvList),
            .folderTreeWidth = twips_.toTwips(dirlst->width()),
            .comboHeight = heightInTwips(cmbFolder),
            .statusBarHeight = heightInTwips(stbRioInfo)};
}

void frmTunedeck::Form_Resize() {
    const layout::Fixed fixed = fixedLayout();
    layoutSizes_ = layout::arrange(fixed, splitterTop_, layoutSizes_);
    const layout::Sizes& s = layoutSizes_;
    const int treeTop = twips_.toTwips(dirlst->y());
    placeInTwips(fraSong, 0, s.frameTop, s.frameWidth, s.frameHeight);
    placeInTwips(lvwFile, twips_.toTwips(lvwFile->x()), 0, s.fileListWidth, s.fileListHeight);
    placeInTwips(dirlst, 0, treeTop, fixed.folderTreeWidth, s.folderTreeHeight);
    placeInTwips(lvwSong, 0, twips_.toTwips(lvwSong->y()), s.songListWidth, s.songListHeight);
    placeInTwips(picSep, 0, splitterTop_, s.splitterWidth, fixed.splitterHeight);
    // The status bar is docked: it always spans the bottom of the client area.
    placeInTwips(stbRioInfo, 0, fixed.clientHeight - fixed.statusBarHeight, fixed.clientWidth,
                 fixed.statusBarHeight);
}

void frmTunedeck::picSep_MouseMove(int button, int /*shift*/, double /*x*/, double y) {
    const auto top =
        layout::draggedSplitterTop(button, splitterTop_, int(y), twips_.toTwips(client_->height()));
    if (!top)
        return;
    splitterTop_ = *top;
    Form_Resize();
}

}  // namespace tunedeck
