// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>

namespace tunedeck {

// A text from a song, a tag, a file name or the player, made safe to print on a terminal line: a backslash
// as "\\", tab, line feed and carriage return as "\t", "\n" and "\r", every other control character (C0,
// DEL and C1, U+0080 to U+009F) as "\x" and its code in two lowercase hex digits ("\x1b" for ESC), and so
// every byte a file name holds that decodes as nothing (local_path.h). So an escape sequence in a tag cannot
// drive the terminal, a line break cannot split one name into two lines, and every printed text reads back
// as exactly one original.
QString terminalText(QStringView text);

}  // namespace tunedeck
