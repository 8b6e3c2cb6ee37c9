#include "japanese_translation.h"

#include <QCoreApplication>
#include <QTranslator>

#include <gtest/gtest.h>

namespace tunedeck {
namespace {

TEST(JapaneseTranslation, StandardButtonsSpeakJapanese) {
    QTranslator translator;
    ASSERT_TRUE(installJapaneseTranslation(translator));
    EXPECT_TRUE(QCoreApplication::translate("QPlatformTheme", "&Yes").startsWith(QString::fromUtf8("はい")));
    EXPECT_TRUE(QCoreApplication::translate("QPlatformTheme", "&No").startsWith(QString::fromUtf8("いいえ")));
    QCoreApplication::removeTranslator(&translator);
}

}  // namespace
}  // namespace tunedeck
