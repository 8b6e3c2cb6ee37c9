// SPDX-License-Identifier: GPL-3.0-or-later
#include "memory.h"

#include "device_component.h"
#include "player_texts.h"

namespace tunedeck {

qint64 capacityOf(Memory memory) {
    return memory == Memory::Internal ? kInternalCapacity : kCardCapacity;
}

int indexOf(Memory memory) {
    return static_cast<int>(memory);
}

Memory memoryFromText(const QString& text) {
    if (text == QLatin1String("0"))
        return Memory::Internal;
    if (text == QLatin1String("1"))
        return Memory::Card;
    throw DeviceError(player_texts::kBadMemory);
}

Memory memoryFromNumber(qint32 number) {
    if (number == 0)
        return Memory::Internal;
    if (number == 1)
        return Memory::Card;
    throw DeviceError(player_texts::kBadMemory);
}

}  // namespace tunedeck
