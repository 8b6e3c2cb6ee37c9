#include "window_fixture.h"

#include "input_state.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace tunedeck::testing {
namespace {

using DeviceViewTest = WindowTest;

// The computer pane fills first, through the drive change; then the player is read in one bracket. Sizes are
// whole kilobytes with the rest dropped; the memory panel counts the songs of the shown folder.
TEST_F(DeviceViewTest, StartUpReadsThePlayerInOrder) {
    onPlayer([&](DeviceComponent& device) {
        for (const int size : {1000000, 2500000, 1023})
            device.AddSong(0, QString::number(size), folder.writeFile(u"song"_s, QByteArray(size, 'x')),
                           u"0"_s);
    });
    frmTunedeck& w = start();
    EXPECT_EQ(recorder->calls(), refreshCalls(true, true));
    EXPECT_EQ(takeStatusTexts(), QStringList({u"ディスクのフォルダ情報を取得中..."_s,
                                              u"ファイル情報を取得中..."_s, u"Ready"_s, u"Ready"_s}) +
                                     kRefreshTexts);
    const QString in = u"|"_s + w.cmbFolder->itemText(0) + u"|"_s;
    EXPECT_EQ(rows(*w.lvwSong),
              QStringList({u"1000000"_s + in + u"976KB|内蔵"_s, u"2500000"_s + in + u"2,441KB|内蔵"_s,
                           u"1023"_s + in + u"0KB|内蔵"_s}));
    EXPECT_EQ(w.stbRioInfo->panelText(2), u"使用:3,418KB 空き:62,117KB"_s);
}

// Choosing a folder lists it without reading the folders again, and the refresh's own choice starts no second
// refresh; the menu keeps the chosen folder, F5 reads the folders again and chooses the first. F5 arrives
// through the window's focus, as a user's key press does: a refresh disables the window and must give the
// focus back, or the second F5 goes nowhere.
TEST_F(DeviceViewTest, TheChosenFolderAndF5) {
    setUpPlayer(u"a b:s1"_s);
    frmTunedeck& w = start();
    recorder->clearCalls();
    w.cmbFolder->setCurrentIndex(1);
    EXPECT_EQ(recorder->calls(), QStringList({u"Open()"_s, u"ExtFlash()"_s, u"Songs(0, 1)"_s,
                                              u"AvailableMemory(\"0\")"_s, u"Close()"_s}));
    w.menuRefSong_Click();
    EXPECT_EQ(rows(*w.lvwSong), QStringList({u"s1|b|0KB|内蔵"_s}));
    w.lvwSong->setFocus();
    for (const auto& [key, modifiers, shown] :
         {std::tuple{Qt::Key_F4, Qt::KeyboardModifiers(), u"a,b / s1"_s},
          {Qt::Key_F5, Qt::NoModifier, u"a,b / "_s},
          {Qt::Key_F5, Qt::ShiftModifier, u"a,b / "_s},
          {Qt::Key_F5, Qt::ControlModifier, u"a,b / "_s}}) {
        w.cmbFolder->setCurrentIndex(1);
        recorder->clearCalls();
        QTest::keyClick(w.windowHandle(), key, modifiers);
        EXPECT_EQ(recorder->calls(), key == Qt::Key_F5 ? refreshCalls(true, true) : QStringList()) << key;
        EXPECT_EQ(shownState(), shown);
        EXPECT_EQ(w.focusWidget(), w.lvwSong);
    }
}

// The card taken out while it is the chosen memory: its option goes grey, the choice stays, and the player's
// refusal to read it is reported. Without a player the song list is emptied and the rest keeps what it
// showed.
TEST_F(DeviceViewTest, TheCardOrThePlayerAway) {
    setUpPlayer(u"card:s1"_s, u"1"_s);
    frmTunedeck& w = start();
    recorder->clearCalls();
    QTest::mouseClick(w.optRam[1], Qt::LeftButton);
    EXPECT_EQ(recorder->calls(), refreshCalls(true, true, u"1"_s));
    EXPECT_EQ(rows(*w.lvwSong), QStringList({u"s1|card|0KB|外部"_s}));
    runPlayerCommand({u"remove-card"_s});
    w.menuRefSong_Click();
    EXPECT_FALSE(w.optRam[1]->isEnabled());
    EXPECT_EQ(w.memory(), PlayerMemory::Card);
    EXPECT_EQ(lastStatus(), u"曲リストの取得に失敗しました。 Err:スマートメディアが入っていません。"_s);
    QTest::mouseClick(w.optRam[0], Qt::LeftButton);
    EXPECT_EQ(w.memory(), PlayerMemory::Internal);

    const QString panel2 = w.stbRioInfo->panelText(2);
    runPlayerCommand({u"disconnect"_s});
    takeStatusTexts();
    recorder->clearCalls();
    w.lvwSong_KeyDown(input::kKeyF5, 0);
    EXPECT_EQ(recorder->calls(), QStringList({u"Open()"_s}));
    EXPECT_EQ(takeStatusTexts(),
              QStringList({u"Rio500を探しています..."_s, u"Rio500が接続されていません。"_s}));
    EXPECT_EQ(shownState() + w.stbRioInfo->panelText(2), w.cmbFolder->itemText(0) + u" / "_s + panel2);
    EXPECT_FALSE(w.optRam[1]->isEnabled());
    expectGivenBack(w.optRam[0]);
}

}  // namespace
}  // namespace tunedeck::testing
