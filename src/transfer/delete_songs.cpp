#include "frmTunedeck.h"

namespace tunedeck {

// PLACEHOLDER
void frmTunedeck::menuDel_Click() {}

}  // namespace tunedeck
