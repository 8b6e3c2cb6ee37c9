// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmTunedeck.h"
#include "input_state.h"

namespace tunedeck {

// Choosing a memory shows its folders and the first one's songs.
void frmTunedeck::optRam_Click(int index) {
    memory_ = PlayerMemory(index);
    refreshDeviceView(true);
}

// Choosing a folder shows its songs; the refresh filling the combo box raises this too, the pane held, and is
// ignored.
void frmTunedeck::cmbFolder_Click() {
    if (!isRunning())
        refreshDeviceView(false);
}

// "最新の状態に更新(&R)" in the song list's menu ("曲リスト側"): the chosen folder's songs read again.
void frmTunedeck::menuRefSong_Click() {
    refreshDeviceView(false);
}

// F5 on the song list reads the player's folders again too.
void frmTunedeck::lvwSong_KeyDown(int keyCode, int /*shift*/) {
    if (keyCode == input::kKeyF5)
        refreshDeviceView(true);
}

}  // namespace tunedeck
