#include "window_fixture.h"

#include "display_title.h"
#include "font_command.h"
#include "japanese_translation.h"
#include "music_files.h"
#include "program_version.h"
#include "version_command.h"

#include <QApplication>
#include <QClipboard>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTranslator>

using namespace Qt::StringLiterals;

namespace tunedeck::testing {
namespace {

TEST(SmallCommands, FontSizesRoundHalvesToEvenAndMinorVersionsHaveTwoDigits) {
    for (const auto& [points, rounded] : {std::pair{10.5, 10}, {11.5, 12}, {9.6, 10}})
        EXPECT_EQ(roundedFontSize(points), rounded) << points;
    EXPECT_EQ(versionText(0, 5), u"Tunedeck Version 0.05"_s);
    EXPECT_EQ(versionText(1, 123), u"Tunedeck Version 1.123"_s);
}

using SmallCommandsTest = WindowTest;

// A cancelled dialog answers its preset, which is stored again; the next folder made on the player is drawn
// in the font chosen.
TEST_F(SmallCommandsTest, FontCommandStoresTheChoiceAndTheNextFolderUsesIt) {
    frmTunedeck& w = start();
    prompts.answerFont({u"MS UI Gothic"_s, 9});
    w.menuFont->trigger();
    EXPECT_EQ(folder.settingsBytes(), "[tunedeck]\r\nFontName=MS UI Gothic\r\nFontSize=9\r\n");
    prompts.answerFont({u"IPAGothic"_s, 10.5});
    w.menuFont->trigger();
    EXPECT_EQ(folder.settingsBytes(), "[tunedeck]\r\nFontName=IPAGothic\r\nFontSize=10\r\n");
    EXPECT_EQ(prompts.shown().last().font.name + QString::number(prompts.shown().last().font.pointSize),
              u"MS UI Gothic9"_s);
    recorder->clearCalls();
    prompts.answerInput(u"new"_s);
    w.menuMkDir_Click();
    EXPECT_EQ(recorder->calls().mid(1, 2), QStringList({u"FontName(\"IPAGothic\")"_s, u"FontSize(10)"_s}));
}

TEST_F(SmallCommandsTest, VersionBoxAndClipboard) {
    setUpPlayer(u"a:one,二曲目,three b:"_s);
    frmTunedeck& w = start();
    w.menuAbout->trigger();
    const ScriptedPrompts::Shown& box = prompts.shown().value(0);
    EXPECT_EQ(box.kind + u"|"_s + box.title + u"|"_s + box.text,
              u"message|バージョン情報|"_s + versionText(program_version::kMajor, program_version::kMinor));
    EXPECT_EQ(box.icon, Prompts::Icon::Information);

    shell.setClipboardText(u"before"_s);
    w.menuClipCopy->trigger();
    EXPECT_EQ(shell.clipboardText(), u"one\r\n二曲目\r\nthree\r\n"_s);
    w.cmbFolder->setCurrentIndex(1);
    w.menuClipCopy->trigger();
    EXPECT_EQ(shell.clipboardText(), QString());
}

// Stored as typed (the wave dash in code page 932 as its full-width twin); cancelled or empty keeps the
// stored format. The next title follows the new format.
TEST_F(SmallCommandsTest, DisplayFormatCommand) {
    const QString song =
        folder.writeFile(u"song.mp3"_s, mp3File({.title = "Title", .artist = "Artist"}, 100));
    frmTunedeck& w = start();
    const struct {
        QString answer, defaultShown;
        QByteArray stored;
    } cases[] = {
        {u""_s, u"%1 - %2"_s, ""},
        {u"%2〜%B"_s, u"%1 - %2"_s, "[tunedeck]\r\nDisplayFormat=%2\x81\x60%B\r\n"},
        {u""_s, u"%2～%B"_s, "[tunedeck]\r\nDisplayFormat=%2\x81\x60%B\r\n"},
    };
    for (const auto& c : cases) {
        prompts.answerInput(c.answer);
        w.menuCustom->trigger();
        const ScriptedPrompts::Shown& shown = prompts.shown().last();
        EXPECT_EQ(shown.text,
                  u"Rio500のディスプレイに表示する形式を入力します。\r"
                  u"%1:アーティスト %2:タイトル %3:アルバム %4:リリース %5:コメント %B:ファイル名"_s);
        EXPECT_EQ(shown.title, u"タイトル文字列カスタマイズ"_s);
        EXPECT_EQ(shown.defaultText, c.defaultShown);
        EXPECT_EQ(folder.settingsBytes(), c.stored);
    }
    TagRecord record;
    EXPECT_EQ(displayTitleFor(song, record, w.settings()), u"Title～song.mp3"_s);
}

// Runs `act` on the dialog of type D from inside its own event loop, once it is shown.
template <class D>
void whenShown(std::function<void(D&)> act) {
    QTimer::singleShot(0, [act] {
        QWidget* shown = QApplication::activeModalWidget();
        if (D* dialog = qobject_cast<D*>(shown))
            return act(*dialog);
        ADD_FAILURE() << "no such dialog shown";
        if (shown)
            shown->close();
    });
}

TEST(DialogPrompts, InputKeepsTheFirstLineOfAPastedText) {
    const struct {
        QString text;
        int cursor;
        QString kept;
        int keptCursor;
    } cases[] = {{u"abc"_s, 2, u"abc"_s, 2},
                 {u"<%1\n%2\n%3>"_s, 9, u"<%1>"_s, 3},
                 {u"a\rb\rc"_s, 5, u"a"_s, 1},
                 {u"%2\r\n"_s, 4, u"%2"_s, 2}};
    for (auto c : cases) {
        keepFirstLineOfInsertion(c.text, c.cursor);
        EXPECT_EQ(c.text + QString::number(c.cursor), c.kept + QString::number(c.keptCursor));
    }
    whenShown<QInputDialog>([](QInputDialog& dialog) {
        QLineEdit* box = dialog.findChild<QLineEdit*>();
        box->setCursorPosition(3);
        QApplication::clipboard()->setText(u"- %2\r\n(%3)\r\n"_s);
        box->paste();
        dialog.accept();
    });
    EXPECT_EQ(DialogPrompts().input(nullptr, u"prompt"_s, u"title"_s, u"%1  %5"_s), u"%1 - %2 %5"_s);
}

TEST(DialogPrompts, MessagesShowMarkupAsTextAndSpeakJapanese) {
    QTranslator translator;
    ASSERT_TRUE(installJapaneseTranslation(translator));
    const QString text = uR"(<b>x</b><img src="/tmp/x.png">)"_s;
    const std::function<void()> shows[] = {
        [&] { EXPECT_TRUE(DialogPrompts().confirm(nullptr, text, u"confirm"_s)); },
        [&] { DialogPrompts().message(nullptr, text, u"message"_s, Prompts::Icon::Exclamation); },
    };
    for (const auto& show : shows) {
        whenShown<QMessageBox>([&](QMessageBox& box) {
            EXPECT_EQ(box.textFormat(), Qt::PlainText) << box.windowTitle().toStdString();
            EXPECT_EQ(box.text(), text);
            box.defaultButton()->click();
        });
        show();
    }
    EXPECT_TRUE(QCoreApplication::translate("QPlatformTheme", "&Yes").startsWith(u"はい"_s));
    EXPECT_TRUE(QCoreApplication::translate("QPlatformTheme", "&No").startsWith(u"いいえ"_s));
    QCoreApplication::removeTranslator(&translator);
}

}  // namespace
}  // namespace tunedeck::testing
