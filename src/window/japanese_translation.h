// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QTranslator;

namespace tunedeck {

// Qt's own Japanese texts, so that message boxes answer with はい / いいえ / OK like the rest of the window.
// Installs `translator` into the application; false when the translation is not installed on the system.
bool installJapaneseTranslation(QTranslator& translator);

}  // namespace tunedeck
