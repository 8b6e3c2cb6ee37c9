#include "frmTunedeck.h"

namespace tunedeck {

// PLACEHOLDER
void frmTunedeck::menuDown_Click() {}

}  // namespace tunedeck
