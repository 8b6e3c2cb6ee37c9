// SPDX-License-Identifier: GPL-3.0-or-later
// Runs inside the test machine (tests/vm), where an MTP responder serves two storages through a USB gadget on
// the real kernel's USB stack: the window finds the player, and a user works on it as on the emulated player.
// MTP_PLAYER_ID is the player's id. The test runs as a desktop user; ASK_ROOT is the program that has root
// pull the player out and list what the responder keeps (ask_root.sh, whose functions unplug_mtp_player and
// stored_in the guest serves).
#include "mtp_player.h"
#include "player_kinds.h"
#include "player_texts.h"
#include "system_players.h"
#include "window_fixture.h"

#include <QElapsedTimer>
#include <QProgressBar>

namespace tunedeck::testing {
namespace {

const QString kPlayerName = u"Tunedeck Test MTP player"_s;

class MtpPlayerTest : public WindowTest {
  protected:
    MtpPlayerTest() { directory = &system; }

    // The files the responder keeps in the internal storage's folder `name`, in name order.
    static QStringList storedIn(const QString& name) {
        const ProgramRun listed = runProgram(qEnvironmentVariable("ASK_ROOT"), {u"stored_in"_s, name});
        EXPECT_EQ(listed.exitStatus, 0) << listed.err.toStdString();
        return listed.out.split(u'\n', Qt::SkipEmptyParts);
    }
    const PlayerKinds kinds = builtInKinds();
    SystemPlayers system{kinds};
};

// A progress that throws in the middle of a song's data ends the send or the download with its own error, not
// as a stop, and the player keeps nothing of the song sent. It runs before the window's test, which pulls the
// player out.
TEST_F(MtpPlayerTest, AProgressThatThrowsEndsTheTransferWithItsError) {
    MtpPlayer player(qEnvironmentVariable("MTP_PLAYER_ID"));
    player.Open();
    player.AddFolder(u"Progress"_s, u"0"_s);
    const QString song = workFile(u"song.mp3"_s, QByteArray(256 * 1024, 's'));
    player.AddSong(0, u"kept"_s, song, u"0"_s, {});
    const TransferProgress throwing = [](qint64, qint64) -> bool { throw DeviceError(u"out of paper"_s); };
    EXPECT_EQ(refusal([&] { player.AddSong(0, u"gone"_s, song, u"0"_s, throwing); }), u"out of paper"_s);
    EXPECT_EQ(refusal([&] { player.GetSong(0, 0, working.filePath(u"back.mp3"_s), u"0"_s, throwing); }),
              u"out of paper"_s);
    EXPECT_EQ(storedIn(u"Progress"_s), QStringList{u"01 kept.mp3"_s});
    player.DeleteFolder(0, u"0"_s);
    player.Close();
}

// The name the list shows for a title, asked before the send, is the one the send gives the song; a new order
// for a folder numbers its songs anew in it, each the same song, and a new connection finds them so. An order
// that does not name every song once is refused and changes nothing.
TEST_F(MtpPlayerTest, ANewOrderNumbersTheSongsAnew) {
    MtpPlayer player(qEnvironmentVariable("MTP_PLAYER_ID"));
    player.Open();
    player.AddFolder(u"Arrange"_s, u"0"_s);
    const auto folder = qint16(namesOf(player.Folders(0)).indexOf(u"Arrange"_s));
    const QString titles[] = {u"a:b"_s, u".dot"_s, u"c.mp3"_s, u"dots... "_s};
    QStringList shown;
    QList<QByteArray> bytes;
    for (int i = 0; i < 4; ++i) {
        bytes << QByteArray(4096 + i, char('a' + i));
        const QString song = workFile(u"%1.mp3"_s.arg(i), bytes.back());
        shown << player.ShownSongName(titles[i], song, u"0"_s);
        player.AddSong(folder, titles[i], song, u"0"_s, {});
    }
    EXPECT_EQ(namesOf(player.Songs(0, folder)), shown);
    for (const std::vector<qint32>& bad : {std::vector<qint32>{0, 1, 2}, {0, 1, 2, 2}, {0, 1, 2, 4}})
        EXPECT_EQ(refusal([&] { player.ArrangeSongs(folder, bad, u"0"_s); }), player_texts::kSongOutOfRange);
    EXPECT_EQ(namesOf(player.Songs(0, folder)), shown);
    player.ArrangeSongs(folder, {2, 0, 3, 1}, u"0"_s);
    const QStringList arranged{shown[2], shown[0], shown[3], shown[1]};
    EXPECT_EQ(namesOf(player.Songs(0, folder)), arranged);
    player.Close();
    player.Open();
    EXPECT_EQ(namesOf(player.Songs(0, folder)), arranged);
    EXPECT_EQ(storedIn(u"Arrange"_s),
              (QStringList{u"01 c.mp3"_s, u"02 a_b.mp3"_s, u"03 dots.mp3"_s, u"04 .dot.mp3"_s}));
    const QString back = working.filePath(u"back.mp3"_s);
    player.GetSong(folder, 0, back, u"0"_s, {});
    EXPECT_EQ(readFile(back), bytes[2]);
    player.DeleteFolder(folder, u"0"_s);
    player.Close();
}

TEST_F(MtpPlayerTest, AUserWorksOnBothStoragesAndPullsThePlayerOut) {
    frmTunedeck& w = start();
    chooseInPlayerMenu(kPlayerName);
    ASSERT_TRUE(window->player().id.startsWith(u"mtp:"_s)) << window->player().id.toStdString();
    EXPECT_EQ(lastStatus(), u"Ready"_s);
    EXPECT_TRUE(w.optRam[1]->isEnabled()) << "the second storage is the card";
    EXPECT_TRUE(playerMenu().contains(u"取り外し(&E)-"_s)) << playerMenu().join(u" | "_s).toStdString();

    makeFoldersSendMoveDownloadAndDelete();

    QTest::mouseClick(w.optRam[1], Qt::LeftButton);
    settle();
    EXPECT_EQ(w.memory(), PlayerMemory::Card);
    prompts.answerInput(u"Card"_s);
    w.menuMkDir->trigger();
    settle();
    dropSongs({u"e"_s});
    EXPECT_EQ(shownState(), u"Card / e"_s);
    prompts.answerConfirm(true);
    w.menuRmDir->trigger();
    settle();
    EXPECT_EQ(shownState(), u" / "_s);

    QTest::mouseClick(w.optRam[0], Qt::LeftButton);
    settle();
    w.cmbFolder->setCurrentText(u"Keep"_s);
    settle();
    prompts.answerConfirm(true);
    w.menuRmDir->trigger();
    settle();
    EXPECT_EQ(shownState(), u"Test / a,b"_s);

    // Esc in the middle of a song's data: the song goes, and nothing of it stays on the player.
    QElapsedTimer sinceEsc;
    const QProgressBar* bar = w.stbRioInfo->progressBar();
    const auto pressing = QObject::connect(bar, &QProgressBar::valueChanged, [&](int value) {
        if (!sinceEsc.isValid() && value > bar->maximum() / 8) {
            sinceEsc.start();
            QTest::keyClick(w.windowHandle(), Qt::Key_Escape);
        }
    });
    dropSongs({u"long"_s, u"more"_s}, 12 * 1024 * 1024);
    QObject::disconnect(pressing);
    ASSERT_TRUE(sinceEsc.isValid()) << "the send showed no progress to stop";
    std::cout << "the send stopped " << sinceEsc.elapsed() << " ms after Esc was pressed\n";
    EXPECT_EQ(lastStatus(), u"転送を中止しました。0個のファイルを転送しました。"_s);
    EXPECT_EQ(shownState(), u"Test / a,b"_s) << lastStatus().toStdString();
    EXPECT_EQ(storedIn(u"Test"_s), (QStringList{u"01 a.mp3"_s, u"03 b.mp3"_s}));

    // udev tells of the device going; the menu and the pane follow. The guest plugs it in again afterwards.
    EXPECT_EQ(runProgram(qEnvironmentVariable("ASK_ROOT"), {u"unplug_mtp_player"_s}).said(), u"0||"_s);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return playerMenu().contains(kPlayerName + u"（接続されていません）*"_s); }, 10'000))
        << playerMenu().join(u" | "_s).toStdString();
    settle();
    EXPECT_EQ(shownState(), u" / "_s);
}

}  // namespace
}  // namespace tunedeck::testing
