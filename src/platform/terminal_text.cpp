// SPDX-License-Identifier: GPL-3.0-or-later
#include "terminal_text.h"

#include "local_path.h"

namespace tunedeck {

QString terminalText(QStringView text) {
    // The characters written as a backslash and a letter, and their letters.
    static constexpr QStringView kNamed = u"\\\t\n\r";
    static constexpr char kLetters[] = "\\tnr";
    QString escaped;
    escaped.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const char16_t code = c.unicode();
        const bool pair = c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        if (pair)
            escaped += text.sliced(i++, 2);
        else if (const qsizetype named = kNamed.indexOf(c); named >= 0)
            escaped.append(QLatin1Char('\\')).append(QLatin1Char(kLetters[named]));
        else if (code < 0x20 || (code >= 0x7F && code <= 0x9F))
            escaped += QStringLiteral("\\x%1").arg(int(code), 2, 16, QLatin1Char('0'));
        else if (heldByte(code) >= 0)
            escaped += QStringLiteral("\\x%1").arg(heldByte(code), 2, 16);
        else
            escaped += c;
    }
    return escaped;
}

}  // namespace tunedeck
