#include "frmTunedeck.h"

namespace tunedeck {

// A send, download or delete yields to pending events between songs; meanwhile nothing else may use or
// change the player, so every song of the run goes where the run began. The upper pane stays usable.
BusyWindow frmTunedeck::holdPlayerPane(BusyWindow::Pointer pointer) {
    return BusyWindow(this, fraSong, running_, pointer,
                      {menuSend, menuMkDir, menuRmDir, menuFormat, menuDel, menuDown, menuRefSong});
}

}  // namespace tunedeck
