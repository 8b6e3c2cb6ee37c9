// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "player_kind.h"

namespace tunedeck::testing {

// One player, "shelf:1", always found; its component keeps its folders and songs for the life of the process.
PlayerKind shelfKind();

}  // namespace tunedeck::testing
