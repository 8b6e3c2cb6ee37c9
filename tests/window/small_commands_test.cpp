// SPDX-License-Identifier: GPL-3.0-or-later
#include "window_fixture.h"

#include "display_title.h"
#include "japanese_translation.h"
#include "version_command.h"

#include <QApplication>
#include <QClipboard>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTranslator>

namespace tunedeck::testing {
namespace {

using SmallCommandsTest = WindowTest;

// The font dialog opens on the stored font and the choice is stored, the size in whole points; the player
// gets it with the next folder made and with every song sent. The version, a minor version in two digits at
// least; the clipboard gets the song names, each on a line of its own (a line break inside a name is a
// space, as in the list), and an empty list an empty text.
TEST_F(SmallCommandsTest, FontVersionAndClipboard) {
    folder.setUpPlayer(u"a:one,二曲目,th\r\nr\ne\re"_s);
    frmTunedeck& w = start();
    prompts.answerFont({u"IPAGothic"_s, 10.5});
    w.menuFont->trigger();
    EXPECT_EQ(prompts.shown().last().font.name + QString::number(prompts.shown().last().font.pointSize),
              u"MS UI Gothic9"_s);
    EXPECT_EQ(folder.settingsBytes(), "[tunedeck]\r\nFontName=IPAGothic\r\nFontSize=10\r\n");
    deviceLog->calls.clear();
    prompts.answerInput(u"new"_s);
    w.menuMkDir->trigger();
    dropOnSongList({QUrl::fromLocalFile(workFile(u"x.mp3"_s)), QUrl::fromLocalFile(workFile(u"y.mp3"_s))});
    EXPECT_EQ(deviceLog->calls.filter(u"Font"_s).join(u' '),
              u"FontName(\"IPAGothic\") FontSize(10) "_s.repeated(3).trimmed());

    EXPECT_EQ(versionText(1, 5), u"Tunedeck Version 1.05"_s);

    w.menuClipCopy->trigger();
    EXPECT_EQ(shell.clipboardText(), u"one\r\n二曲目\r\nth r e e\r\nx.mp3\r\ny.mp3\r\n"_s);
    folder.setUpPlayer(u"a:"_s);
    w.menuRefSong->trigger();
    w.menuClipCopy->trigger();
    EXPECT_EQ(shell.clipboardText(), u""_s);
}

// The box offers the stored format. Stored as typed (in code page 932, whose wave dash comes back as the
// full-width tilde); cancelled or empty keeps the stored format. The next title follows the new format.
TEST_F(SmallCommandsTest, DisplayFormatCommandAndASettingsFileThatCannotBeWritten) {
    const QString song =
        writeFile(folder.path() + u"/song.mp3"_s, mp3File({.title = "Title", .artist = "Artist"}, 100));
    frmTunedeck& w = start();
    for (const auto& [answer, offered] : {std::pair{u"%2〜%B"_s, u"%1 - %2"_s}, {u""_s, u"%2～%B"_s}}) {
        prompts.answerInput(answer);
        w.menuCustom->trigger();
        EXPECT_EQ(prompts.shown().last().defaultText, offered);
        EXPECT_EQ(folder.settingsBytes(), "[tunedeck]\r\nDisplayFormat=%2\x81\x60%B\r\n");
    }
    TagRecord record;
    EXPECT_EQ(displayTitleFor(song, record, w.settings()), u"Title～song.mp3"_s);
    // What the file keeps otherwise than typed is said; the stored format is what titles use.
    const QString cut = u"表示形式が1023バイトを超えたため、それより後は使われません。"_s;
    const QString unknown = u"表示形式のうち保存できない文字は「?」になりました。"_s;
    for (const auto& [answer, said, title] :
         {std::tuple{u"♫%2"_s, unknown, u"?Title"_s},
          {QString(1022, u'-') + u"%2"_s, cut, QString(1022, u'-')},
          {u"♫"_s + QString(1022, u'-') + u"%2"_s, unknown + u' ' + cut, u"?"_s + QString(1022, u'-')}}) {
        prompts.answerInput(answer);
        takeStatusTexts();
        w.menuCustom->trigger();
        EXPECT_EQ(takeStatusTexts(), QStringList{said});
        EXPECT_EQ(displayTitleFor(song, record, w.settings()), title);
    }

    // A settings file that cannot be written: the user is told that what was chosen is not kept.
    ASSERT_TRUE(QFile::remove(folder.settingsPath()) && QDir(folder.path()).mkdir(u"tunedeck.INI"_s));
    prompts.answerInput(u"%1"_s);
    prompts.answerFont({u"IPAGothic"_s, 9});
    w.menuCustom->trigger();
    w.menuFont->trigger();
    EXPECT_EQ(takeStatusTexts().last(2),
              QStringList(2, u"保存先フォルダに書き込めません。 "_s + folder.path()));
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

// A text pasted into the input box keeps its first line, and only that of the text pasted. A folder's name
// may hold tags: a question shows its text as it is. The buttons speak Japanese.
TEST(DialogPrompts, PastedTextsKeepTheirFirstLineAndQuestionsShowMarkupAsText) {
    whenShown<QInputDialog>([](QInputDialog& dialog) {
        QLineEdit* box = dialog.findChild<QLineEdit*>();
        box->setCursorPosition(3);
        QApplication::clipboard()->setText(u"- %2\r\n(%3)"_s);
        box->paste();
        dialog.accept();
    });
    EXPECT_EQ(DialogPrompts().input(nullptr, u"prompt"_s, u"title"_s, u"%1  %5"_s), u"%1 - %2 %5"_s);
    QTranslator translator;
    ASSERT_TRUE(installJapaneseTranslation(translator));
    whenShown<QMessageBox>([](QMessageBox& box) {
        EXPECT_EQ(box.textFormat(), Qt::PlainText);
        EXPECT_TRUE(box.defaultButton()->text().startsWith(u"はい"_s));
        box.defaultButton()->click();
    });
    EXPECT_TRUE(
        DialogPrompts().confirm(nullptr, uR"(<b>x</b><img src="/tmp/x.png">を削除します。)"_s, u"確認"_s));
    QCoreApplication::removeTranslator(&translator);
}

}  // namespace
}  // namespace tunedeck::testing
