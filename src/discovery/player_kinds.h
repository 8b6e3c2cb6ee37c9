// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "player_kind.h"

namespace tunedeck {

// The kinds of player the program is built with, the emulated player first.
PlayerKinds builtInKinds();

}  // namespace tunedeck
