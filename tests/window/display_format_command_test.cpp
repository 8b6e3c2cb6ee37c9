#include "window_fixture.h"

#include "display_title.h"
#include "music_files.h"

using namespace Qt::StringLiterals;

namespace tunedeck::testing {
namespace {

using DisplayFormatCommandTest = WindowTest;

const QString kPrompt = QString::fromUtf8(
    "Rio500のディスプレイに表示する形式を入力します。\r"
    "%1:アーティスト %2:タイトル %3:アルバム %4:リリース %5:コメント %B:ファイル名");

TEST_F(DisplayFormatCommandTest, StoresTheAnswerAsTyped) {
    struct Case {
        const char* name;
        QByteArray settingsBefore;
        QString answer;
        QString defaultShown;
        QByteArray settingsAfter;
    };
    const Case cases[] = {
        // Written untrimmed; reading the file trims the blanks around a value, as private profiles always
        // have.
        {"first use", "", u" %2 (%1) "_s, u"%1 - %2"_s, "[tunedeck]\r\nDisplayFormat= %2 (%1) \r\n"},
        {"cancel or empty answer", "", u""_s, u"%1 - %2"_s, ""},
        // In code page 932 the wave dash is stored as its full-width twin.
        {"edit the stored format", "[tunedeck]\r\nDisplayFormat=%B\r\n", QString::fromUtf8("%1〜%2"), u"%B"_s,
         "[tunedeck]\r\nDisplayFormat=%1\x81\x60%2\r\n"},
        {"empty answer keeps the stored one", "[tunedeck]\r\nDisplayFormat=%3\r\n", u""_s, u"%3"_s,
         "[tunedeck]\r\nDisplayFormat=%3\r\n"},
    };
    for (const Case& c : cases) {
        folder.writeSettingsBytes(c.settingsBefore);
        frmTunedeck& w = start();
        prompts.answerInput(c.answer);
        w.menuCustom->trigger();
        const ScriptedPrompts::Shown& shown = prompts.shown().last();
        EXPECT_EQ(shown.kind, u"input"_s) << c.name;
        EXPECT_EQ(shown.text, kPrompt) << c.name;
        EXPECT_EQ(shown.title, QString::fromUtf8("タイトル文字列カスタマイズ")) << c.name;
        EXPECT_EQ(shown.defaultText, c.defaultShown) << c.name;
        EXPECT_EQ(folder.settingsBytes(), c.settingsAfter) << c.name;
        closeWindow();
    }
}

TEST_F(DisplayFormatCommandTest, TheNextTitleUsesTheNewFormat) {
    const QString song =
        folder.writeFile(u"song.mp3"_s, mp3File({.title = "Title", .artist = "Artist"}, 100));
    frmTunedeck& w = start();
    TagRecord record;
    EXPECT_EQ(displayTitleFor(song, record, w.settings()), u"Artist - Title"_s);
    prompts.answerInput(u"%2 / %B"_s);
    w.menuCustom_Click();
    EXPECT_EQ(displayTitleFor(song, record, w.settings()), u"Title / song.mp3"_s);
}

}  // namespace
}  // namespace tunedeck::testing
