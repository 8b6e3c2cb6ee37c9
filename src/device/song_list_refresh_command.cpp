#include "frmTunedeck.h"
#include "input_state.h"

namespace tunedeck {

void frmTunedeck::optRam_Click(int index) {
    memory_ = PlayerMemory(index);
    refreshDeviceView(true);
}

void frmTunedeck::cmbFolder_Click() {
    if (!busy_)
        refreshDeviceView(false);
}

void frmTunedeck::menuRefSong_Click() {
    refreshDeviceView(false);
}

void frmTunedeck::lvwSong_KeyDown(int keyCode, int /*shift*/) {
    if (keyCode == input::kKeyF5)
        refreshDeviceView(true);
}

}  // namespace tunedeck
