#include "frmTunedeck.h"

namespace tunedeck {

// The folder tree and the file list follow the chosen drive here once the file browser is in place.
void frmTunedeck::drvList_Change() {}

}  // namespace tunedeck
