#include "frmTunedeck.h"

namespace tunedeck {

// PLACEHOLDER
void frmTunedeck::lvwSong_MouseDown(int, int, int, int) {}
void frmTunedeck::lvwSong_MouseUp(int, int, int, int) {}

}  // namespace tunedeck
