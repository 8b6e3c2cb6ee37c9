// SPDX-License-Identifier: GPL-3.0-or-later
#include "font_command.h"

#include "display_settings.h"
#include "frmTunedeck.h"
#include "write_folder.h"

#include <cmath>

namespace tunedeck {

qint32 roundedFontSize(double points) {
    // The default rounding mode rounds halves to even; qRound would round them away from zero.
    return static_cast<qint32>(std::nearbyint(points));
}

// "フォント設定(&P)": the font the player's display shows names in. Only the next song or folder sent takes
// it; nothing on this screen changes. A cancelled dialog answers the preset, which is stored again.
void frmTunedeck::menuFont_Click() {
    const FontChoice chosen = environment_.prompts->chooseFont(
        this, {.name = displayFontName_, .pointSize = double(displayFontSize_)});
    displayFontName_ = chosen.name;
    displayFontSize_ = roundedFontSize(chosen.pointSize);
    session_->setDisplayFont(displayFontName_, displayFontSize_);
    // Kept for this run all the same; the next start would not find it.
    if (!writeDisplayFont(settings(), {.name = displayFontName_, .pointSize = displayFontSize_}))
        setStatus(unwritableFolderText(environment_.programFolder));
}

}  // namespace tunedeck
