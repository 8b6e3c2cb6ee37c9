// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "player_memory.h"

#include <QtGlobal>

namespace tunedeck {

// What each of the emulated player's memories holds.
inline constexpr qint64 kInternalCapacity = 64LL * 1024 * 1024;
inline constexpr qint64 kCardCapacity = 32LL * 1024 * 1024;

qint64 capacityOf(PlayerMemory memory);

}  // namespace tunedeck
