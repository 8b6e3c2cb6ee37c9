// SPDX-License-Identifier: GPL-3.0-or-later
// Runs inside the test machine (tests/vm), where a USB player of two FAT memories hangs on the real kernel's
// USB stack and UDisks2 mounts it: the window finds it, and a user works on it as on the emulated player.
// It runs as a desktop user; ASK_ROOT is the program that has root unmount the card (ask_root.sh, whose
// function unmount_card the guest serves).
#include "player_kinds.h"
#include "system_players.h"
#include "window_fixture.h"

#include <QSignalSpy>

namespace tunedeck::testing {
namespace {

class UsbPlayerTest : public WindowTest {
  protected:
    UsbPlayerTest() { directory = &system; }
    const PlayerKinds kinds = builtInKinds();
    SystemPlayers system{kinds};
};

TEST_F(UsbPlayerTest, AUserWorksOnBothMemoriesAndRemovesThePlayer) {
    frmTunedeck& w = start();
    // The USB player with a card.
    const std::vector<PlayerEntry> found = system.players();
    const auto withCard =
        std::ranges::find_if(found, [](const auto& entry) { return entry.memories.size() == 2; });
    ASSERT_NE(withCard, found.end()) << "no USB player with two memories";
    chooseInPlayerMenu(withCard->name);
    ASSERT_EQ(window->player().id, withCard->id);
    EXPECT_EQ(lastStatus(), u"Ready"_s);
    EXPECT_TRUE(w.optRam[1]->isEnabled()) << "the second LUN is the card";

    makeFoldersSendMoveDownloadAndDelete();
    // On FAT a new entry takes the slot the deleted one left.
    dropSongs({u"d"_s});
    EXPECT_EQ(shownState(), u"Keep,Test / a,d,b"_s);

    QTest::mouseClick(w.optRam[1], Qt::LeftButton);
    settle();
    EXPECT_EQ(w.memory(), PlayerMemory::Card);
    prompts.answerInput(u"Card"_s);
    w.menuMkDir->trigger();
    settle();
    dropSongs({u"e"_s});
    // tunedeck-player made "Cli" on the card before.
    EXPECT_EQ(shownState(), u"Card,Cli / e"_s);
    prompts.answerConfirm(true);
    w.menuRmDir->trigger();
    settle();
    EXPECT_TRUE(shownState().startsWith(u"Cli / b,d,c,"_s)) << shownState().toStdString();

    QTest::mouseClick(w.optRam[0], Qt::LeftButton);
    settle();
    w.cmbFolder->setCurrentText(u"Keep"_s);
    settle();
    prompts.answerConfirm(true);
    w.menuRmDir->trigger();
    settle();
    EXPECT_EQ(shownState(), u"Test / a,d,b"_s);

    // Unmounted behind UDisks2's back (no job of its own, so only a property changes): the players are told.
    QSignalSpy changed(&system, &PlayerDirectory::changed);
    EXPECT_EQ(runProgram(qEnvironmentVariable("ASK_ROOT"), {u"unmount_card"_s}).said(), u"0||"_s);
    EXPECT_TRUE(changed.wait(10'000));

    chooseInPlayerMenu(u"取り外し"_s);
    EXPECT_EQ(lastStatus(), u"取り外しました。プレーヤーを抜いてもかまいません。"_s);
    // UDisks2 says the drive went; the menu follows.
    const QString gone = window->player().name + u"（接続されていません）*"_s;
    EXPECT_TRUE(QTest::qWaitFor([&] { return playerMenu().contains(gone); }, 10'000))
        << playerMenu().join(u" | "_s).toStdString();
}

}  // namespace
}  // namespace tunedeck::testing
