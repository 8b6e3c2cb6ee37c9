// SPDX-License-Identifier: GPL-3.0-or-later
#include "japanese_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace tunedeck {

bool installJapaneseTranslation(QTranslator& translator) {
    return translator.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                           QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
           QCoreApplication::installTranslator(&translator);
}

}  // namespace tunedeck
