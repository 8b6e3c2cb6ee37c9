// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QtGlobal>

namespace tunedeck {

// The player's two memories, numbered as the component takes them. Some of its members take the number,
// others its text ("0", "1"); everyone keeps this type and writes a form only where it is passed.
enum class PlayerMemory : qint32 { Internal = 0, Card = 1 };

inline qint32 memoryNumber(PlayerMemory memory) {
    return static_cast<qint32>(memory);
}

inline QString memoryText(PlayerMemory memory) {
    return QString::number(memoryNumber(memory));
}

// The memory a component was passed, in either form; anything else is refused with DeviceError.
PlayerMemory memoryFromNumber(qint32 number);
PlayerMemory memoryFromText(const QString& text);

// The name the song list and the status texts give the memory.
inline QString memoryNameOf(PlayerMemory memory) {
    return memory == PlayerMemory::Card ? QStringLiteral("外部") : QStringLiteral("内蔵");
}

}  // namespace tunedeck
