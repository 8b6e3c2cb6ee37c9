// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QtGlobal>

namespace tunedeck {

// The player's two memories, as the contract numbers them.
enum class Memory { Internal = 0, Card = 1 };

inline constexpr qint64 kInternalCapacity = 64LL * 1024 * 1024;
inline constexpr qint64 kCardCapacity = 32LL * 1024 * 1024;

qint64 capacityOf(Memory memory);
int indexOf(Memory memory);

// The contract passes the memory as the text "0" or "1" to some members and as a number to others;
// anything else is refused with DeviceError.
Memory memoryFromText(const QString& text);
Memory memoryFromNumber(qint32 number);

}  // namespace tunedeck
