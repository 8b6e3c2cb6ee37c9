// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings_file.h"

#include <QString>

namespace tunedeck {

// What the player's display shows, as the settings file keeps it for the window and the commands alike.

// The display format of song titles: `DisplayFormat`, "%1 - %2" when it is not there.
QString readDisplayFormat(const SettingsFile& settings);
bool writeDisplayFormat(const SettingsFile& settings, const QString& format);

// The font the display draws titles and folder names in: `FontName` and `FontSize` (points), "MS UI Gothic"
// at 9 points when they are not there.
struct DisplayFontSetting {
    QString name;
    qint32 pointSize = 0;
};
DisplayFontSetting readDisplayFont(const SettingsFile& settings);
// False when the file did not take both.
bool writeDisplayFont(const SettingsFile& settings, const DisplayFontSetting& font);

}  // namespace tunedeck
