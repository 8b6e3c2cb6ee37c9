// SPDX-License-Identifier: GPL-3.0-or-later
#include "memory.h"

namespace tunedeck {

qint64 capacityOf(PlayerMemory memory) {
    return memory == PlayerMemory::Internal ? kInternalCapacity : kCardCapacity;
}

}  // namespace tunedeck
