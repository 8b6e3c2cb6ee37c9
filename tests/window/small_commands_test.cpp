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
    EXPECT_EQ(versionText(0, 5) + u" "_s + versionText(1, 123),
              u"Tunedeck Version 0.05 Tunedeck Version 1.123"_s);
}

using SmallCommandsTest = WindowTest;

// A cancelled font dialog answers its preset, which is stored again; the next folder made on the player is
// drawn in the font chosen. The version box; the clipboard gets the song names, each on a line of its own.
TEST_F(SmallCommandsTest, FontVersionAndClipboard) {
    setUpPlayer(u"a:one,二曲目,three b:"_s);
    frmTunedeck& w = start();
    for (const auto& [chosen, stored] :
         {std::pair{FontChoice{u"MS UI Gothic"_s, 9}, "FontName=MS UI Gothic\r\nFontSize=9"},
          {FontChoice{u"IPAGothic"_s, 10.5}, "FontName=IPAGothic\r\nFontSize=10"}}) {
        prompts.answerFont(chosen);
        w.menuFont->trigger();
        EXPECT_EQ(prompts.shown().last().font.name, u"MS UI Gothic"_s);
        EXPECT_EQ(folder.settingsBytes(), "[tunedeck]\r\n" + QByteArray(stored) + "\r\n");
    }
    recorder->clearCalls();
    prompts.answerInput(u"new"_s);
    w.menuMkDir_Click();
    EXPECT_EQ(recorder->calls().mid(1, 2), QStringList({u"FontName(\"IPAGothic\")"_s, u"FontSize(10)"_s}));

    w.menuAbout->trigger();
    const ScriptedPrompts::Shown& box = prompts.shown().last();
    EXPECT_EQ(box.title + u"|"_s + box.text,
              u"バージョン情報|"_s + versionText(program_version::kMajor, program_version::kMinor));
    EXPECT_EQ(box.icon, Prompts::Icon::Information);

    w.menuClipCopy->trigger();
    EXPECT_EQ(shell.clipboardText(), u"one\r\n二曲目\r\nthree\r\n"_s);
    w.cmbFolder->setCurrentIndex(1);
    w.menuClipCopy->trigger();
    EXPECT_EQ(shell.clipboardText(), QString());
}

// Stored as typed (in code page 932, whose wave dash comes back as the full-width tilde); cancelled or empty
// keeps the stored format. The next title follows the new format.
TEST_F(SmallCommandsTest, DisplayFormatCommand) {
    const QString song =
        writeFile(folder.path() + u"/song.mp3"_s, mp3File({.title = "Title", .artist = "Artist"}, 100));
    frmTunedeck& w = start();
    for (const auto& [answer, shownFirst, stored] :
         {std::tuple{u""_s, u"%1 - %2"_s, QByteArray()},
          {u"%2〜%B"_s, u"%1 - %2"_s, "DisplayFormat=%2\x81\x60%B"},
          {u""_s, u"%2～%B"_s, "DisplayFormat=%2\x81\x60%B"}}) {
        prompts.answerInput(answer);
        w.menuCustom->trigger();
        const ScriptedPrompts::Shown& box = prompts.shown().last();
        EXPECT_EQ(
            box.title + u"|"_s + box.defaultText + u"|"_s + box.text,
            u"タイトル文字列カスタマイズ|"_s + shownFirst +
                u"|Rio500のディスプレイに表示する形式を入力します。\r%1:アーティスト %2:タイトル %3:アルバム "
                u"%4:リリース %5:コメント %B:ファイル名"_s);
        EXPECT_EQ(folder.settingsBytes(),
                  stored.isEmpty() ? QByteArray() : "[tunedeck]\r\n" + stored + "\r\n");
    }
    TagRecord record;
    EXPECT_EQ(displayTitleFor(song, record, w.settings()), u"Title～song.mp3"_s);
}

// Runs `act` on the dialog of type D from inside its own event loop, once it is shown.
template <class D>
void whenShown(std::function<void(D&)> act) {
    QTimer::singleShot(0, [act] {
        if (D* dialog = qobject_cast<D*>(QApplication::activeModalWidget()))
            return act(*dialog);
        ADD_FAILURE() << "no such dialog shown";
    });
}

// A text pasted into the input box keeps its first line, the cursor after it.
TEST(DialogPrompts, InputKeepsTheFirstLineOfAPastedText) {
    for (auto [text, cursor, kept, keptCursor] : {std::tuple{u"abc"_s, 2, u"abc"_s, 2},
                                                  {u"<%1\n%2\n%3>"_s, 9, u"<%1>"_s, 3},
                                                  {u"a\rb\rc"_s, 5, u"a"_s, 1}}) {
        keepFirstLineOfInsertion(text, cursor);
        EXPECT_EQ(text + QString::number(cursor), kept + QString::number(keptCursor));
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

// A device's description may hold tags: messages show their text as it is. The standard buttons speak
// Japanese.
TEST(DialogPrompts, MessagesShowMarkupAsTextAndSpeakJapanese) {
    QTranslator translator;
    ASSERT_TRUE(installJapaneseTranslation(translator));
    EXPECT_TRUE(QCoreApplication::translate("QPlatformTheme", "&Yes").startsWith(u"はい"_s));
    EXPECT_TRUE(QCoreApplication::translate("QPlatformTheme", "&No").startsWith(u"いいえ"_s));
    QCoreApplication::removeTranslator(&translator);
    const QString text = uR"(<b>x</b><img src="/tmp/x.png">)"_s;
    for (const bool confirm : {true, false}) {
        whenShown<QMessageBox>([&](QMessageBox& box) {
            EXPECT_EQ(box.textFormat(), Qt::PlainText);
            EXPECT_EQ(box.text(), text);
            box.defaultButton()->click();
        });
        if (confirm)
            EXPECT_TRUE(DialogPrompts().confirm(nullptr, text, u"confirm"_s));
        else
            DialogPrompts().message(nullptr, text, u"message"_s, Prompts::Icon::Exclamation);
    }
}

}  // namespace
}  // namespace tunedeck::testing
