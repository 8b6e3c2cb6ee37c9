// SPDX-License-Identifier: GPL-3.0-or-later
#include "display_settings.h"

namespace tunedeck {
namespace {

const QString kFormat = QStringLiteral("DisplayFormat");
const QString kFontName = QStringLiteral("FontName");
const QString kFontSize = QStringLiteral("FontSize");

}  // namespace

QString readDisplayFormat(const SettingsFile& settings) {
    return settings.readString(kFormat, QStringLiteral("%1 - %2"));
}

bool writeDisplayFormat(const SettingsFile& settings, const QString& format) {
    return settings.write(kFormat, format);
}

DisplayFontSetting readDisplayFont(const SettingsFile& settings) {
    return {.name = settings.readString(kFontName, QStringLiteral("MS UI Gothic")),
            .pointSize = settings.readInt(kFontSize, 9)};
}

bool writeDisplayFont(const SettingsFile& settings, const DisplayFontSetting& font) {
    return settings.write(kFontName, font.name) && settings.write(kFontSize, font.pointSize);
}

}  // namespace tunedeck
