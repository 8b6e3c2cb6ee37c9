#include "frmTunedeck.h"

namespace tunedeck {

// PLACEHOLDER
void frmTunedeck::menuSend_Click() {}
void frmTunedeck::lvwSong_OLEDragDrop(const QStringList&) {}
bool frmTunedeck::sendOneFile(const QString&, const QString&, QString&) {
    return false;
}

}  // namespace tunedeck
