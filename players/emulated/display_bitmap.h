// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace tunedeck {

// The font the player renders its display texts in; FontName and FontSize set it. Until then, and for a
// fresh player's first folder, it is the program's default display font.
struct DisplayFont {
    QString faceName = QStringLiteral("MS UI Gothic");
    qint32 pointSize = 9;
};

// `text` as the player's display would show it: black on white, one bit a pixel (QImage::Format_Mono),
// as PNG bytes. Fonts need a QGuiApplication; without one the result is empty and the song or folder is kept
// without a bitmap rather than failing the transfer.
QByteArray renderDisplay(const QString& text, const DisplayFont& font);

}  // namespace tunedeck
