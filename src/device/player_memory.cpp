// SPDX-License-Identifier: GPL-3.0-or-later
#include "player_memory.h"

#include "device_component.h"
#include "player_texts.h"

namespace tunedeck {

PlayerMemory memoryFromNumber(qint32 number) {
    if (number != memoryNumber(PlayerMemory::Internal) && number != memoryNumber(PlayerMemory::Card))
        throw DeviceError(player_texts::kBadMemory);
    return static_cast<PlayerMemory>(number);
}

PlayerMemory memoryFromText(const QString& text) {
    for (const PlayerMemory memory : {PlayerMemory::Internal, PlayerMemory::Card})
        if (text == memoryText(memory))
            return memory;
    throw DeviceError(player_texts::kBadMemory);
}

}  // namespace tunedeck
