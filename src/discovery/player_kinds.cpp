// SPDX-License-Identifier: GPL-3.0-or-later
#include "player_kinds.h"

#include "emulated_kind.h"
#include "mass_storage_kind.h"
#include "mtp_kind.h"

namespace tunedeck {

PlayerKinds builtInKinds() {
    return {emulatedKind(), massStorageKind(), mtpKind()};
}

}  // namespace tunedeck
