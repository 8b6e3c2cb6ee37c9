// SPDX-License-Identifier: GPL-3.0-or-later
#include "window_fixture.h"

#include <QFileInfo>

namespace tunedeck::testing {
namespace {

// A USB player as the window finds it, here a folder that stands for its mounted volume: MUSIC is its audio
// folder, with the folders Pop (empty) and Rock (a.mp3, b.mp3).
class PlayerMenuTest : public WindowTest {
  protected:
    PlayerMenuTest() {
        writeFile(volume.filePath(u".is_audio_player"_s), "audio_folders=MUSIC/\n");
        QDir(volume.path()).mkpath(u"MUSIC/Pop"_s);
        for (const char* name : {"a", "b"})
            writeFile(volume.filePath(u"MUSIC/Rock/"_s + QLatin1String(name) + u".mp3"_s),
                      QByteArray(2048, 'x'));
        players.listed = {usbPlayer()};
    }
    PlayerEntry usbPlayer() const {
        return {.id = volume.path(),
                .progId = kMassStorageProgId,
                .kind = u"player"_s,
                .name = u"Acme Player (VOL)"_s,
                .memories = {volume.path()},
                .removable = true,
                .keepsEntryOrder = true};  // as UDisks2's vfat or exFAT volumes do
    }
    // The volume as a folder player, `Player=` naming it and nothing found.
    void chooseFolderPlayer() {
        players.listed.clear();
        ASSERT_TRUE(folder.settings().write(u"Player"_s, volume.path()));
    }

    // The song files of a folder of the volume, in the order its directory lists them.
    QStringList filesOf(const QString& folder) const {
        return QDir(volume.filePath(u"MUSIC/"_s + folder)).entryList({u"*.mp3"_s}, QDir::Files, QDir::Name);
    }
    void showFolder(const QString& name) const { window->cmbFolder->setCurrentText(name); }

    TemporaryFolder volume;
};

TEST_F(PlayerMenuTest, AChosenPlayerIsShownKeptAndChosenAgainAtStart) {
    frmTunedeck& w = start();
    EXPECT_EQ(playerMenu(),
              (QStringList{u"Rio500（エミュレーション）*"_s, u"Acme Player (VOL)"_s, u"曲順：書き込んだ順-"_s,
                           u"曲順：ファイル名順-"_s, u"曲順：プレイリスト順-"_s, u"取り外し(&E)-"_s}));
    chooseInPlayerMenu(u"Acme"_s);
    EXPECT_EQ(shownState(), u"Pop,Rock / "_s);
    showFolder(u"Rock"_s);
    EXPECT_EQ(shownState(), u"Pop,Rock / a,b"_s);
    EXPECT_EQ(lastStatus(), u"Ready"_s);
    EXPECT_EQ(folder.settings().readString(u"Player"_s, {}), volume.path());
    EXPECT_EQ(playerMenu(),
              (QStringList{u"Rio500（エミュレーション）"_s, u"Acme Player (VOL)*"_s, u"曲順：書き込んだ順*"_s,
                           u"曲順：ファイル名順"_s, u"曲順：プレイリスト順"_s, u"取り外し(&E)"_s}));
    // The card radio button follows the player: this one has none.
    EXPECT_FALSE(w.optRam[1]->isEnabled());

    start();
    EXPECT_EQ(shownState(), u"Pop,Rock / "_s);
    chooseInPlayerMenu(u"Rio500"_s);
    EXPECT_EQ(folder.settings().readString(u"Player"_s, {}), u"emulated"_s);
    EXPECT_FALSE(shownState().contains(u"Rock"_s));
}

// In name order a send numbers the songs already there and goes last, a swap exchanges the numbers, and the
// pane shows the songs without them.
TEST_F(PlayerMenuTest, TheSongOrderChosenDecidesWhatASwapChanges) {
    frmTunedeck& w = start();
    chooseInPlayerMenu(u"Acme"_s);
    chooseInPlayerMenu(u"曲順：ファイル名順"_s);
    EXPECT_EQ(folder.settings().readString(u"SongOrder "_s + volume.path(), {}), u"name"_s);
    showFolder(u"Rock"_s);
    dropOnSongList({QUrl::fromLocalFile(workFile(u"x.mp3"_s))});
    EXPECT_EQ(shownState(), u"Pop,Rock / a,b,x"_s);
    EXPECT_EQ(filesOf(u"Rock"_s), (QStringList{u"01 a.mp3"_s, u"02 b.mp3"_s, u"03 x.mp3"_s}));
    w.lvwSong->setFocus();
    w.lvwSong->selectRow(2);
    QTest::keyClick(w.lvwSong, Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(shownState(), u"Pop,Rock / a,x,b"_s);
    EXPECT_EQ(filesOf(u"Rock"_s), (QStringList{u"01 a.mp3"_s, u"02 x.mp3"_s, u"03 b.mp3"_s}));

    start();
    EXPECT_EQ(playerMenu().at(3), u"曲順：ファイル名順*"_s);
}

// A player chosen before and not plugged in now: listed by its name, its component says it is not there. An
// MTP player is not asked for an order or removed safely; a USB player known by its id is, and a removal it
// refuses is said whole; an id of no known form names nothing that can be removed.
TEST_F(PlayerMenuTest, AnAbsentPlayerIsListedAndOfferedWhatItCanDo) {
    const std::tuple<QString, QString, QString> cases[] = {
        {u"mtp:0781:74d0:A1B2"_s, u"SanDisk Sansa Clip+"_s,
         u"曲順：書き込んだ順-|曲順：ファイル名順-|曲順：プレイリスト順-|取り外し(&E)-"_s},
        {u"usb:0781:74d1:1234"_s, u"Acme Player (VOL)"_s,
         u"曲順：書き込んだ順*|曲順：ファイル名順|曲順：プレイリスト順|取り外し(&E)"_s},
        {u"xyz"_s, u"xyz"_s,
         u"曲順：書き込んだ順-|曲順：ファイル名順*|曲順：プレイリスト順|取り外し(&E)-"_s}};
    for (const auto& [id, name, offered] : cases) {
        SCOPED_TRACE(id.toStdString());
        ASSERT_TRUE(folder.settings().write(u"Player"_s, id));
        ASSERT_TRUE(folder.settings().write(u"PlayerName"_s, name));
        start();
        const QStringList menu = playerMenu();
        EXPECT_EQ(menu.mid(0, 2), (QStringList{u"Rio500（エミュレーション）"_s, u"Acme Player (VOL)"_s}));
        EXPECT_EQ(menu.mid(2).join(u'|'), name + u"（接続されていません）*|"_s + offered);
        EXPECT_EQ(lastStatus(), u"Rio500が接続されていません。"_s);
    }
    players.refusal = u"プレーヤーが見つかりません。すでに取り外されています。"_s;
    ASSERT_TRUE(folder.settings().write(u"Player"_s, u"usb:0781:74d1:1234"_s));
    start();
    chooseInPlayerMenu(u"取り外し"_s);
    EXPECT_EQ(lastStatus(), u"取り外せませんでした。 Err:"_s + *players.refusal);
    EXPECT_TRUE(statusShownWhole());
}

// A folder player on a file system that keeps no order of directory entries (the test's folders are on ext4
// or tmpfs) plays by name: the directory order is not offered, and a send numbers the songs.
TEST_F(PlayerMenuTest, TheDirectoryOrderIsOfferedOnlyWhereTheMemoryKeepsIt) {
    chooseFolderPlayer();
    frmTunedeck& w = start();
    EXPECT_EQ(playerMenu().mid(1),
              (QStringList{volume.path() + u"*"_s, u"曲順：書き込んだ順-"_s, u"曲順：ファイル名順*"_s,
                           u"曲順：プレイリスト順"_s, u"取り外し(&E)-"_s}));
    showFolder(u"Rock"_s);
    dropOnSongList({QUrl::fromLocalFile(workFile(u"x.mp3"_s))});
    EXPECT_EQ(filesOf(u"Rock"_s), (QStringList{u"01 a.mp3"_s, u"02 b.mp3"_s, u"03 x.mp3"_s}));
    EXPECT_EQ(shownState(), u"Pop,Rock / a,b,x"_s);
    EXPECT_FALSE(w.menuOrders->actions().first()->isEnabled());
}

// A folder removal and a format leave what is not a song, and say how many files they left.
TEST_F(PlayerMenuTest, AFolderRemovalOrAFormatSaysWhatItKept) {
    chooseFolderPlayer();
    using Item = QAction* frmTunedeck::*;
    const std::tuple<const char*, Item, QString> cases[] = {
        {"one folder of two removed", &frmTunedeck::menuRmDir, u"曲ではないファイル1個は残しました。"_s},
        {"the last folder removed", &frmTunedeck::menuRmDir, u"曲ではないファイル1個は残しました。"_s},
        {"a format", &frmTunedeck::menuFormat,
         u"内蔵メモリの初期化が終了しました。 曲ではないファイル1個は残しました。"_s}};
    for (const auto& [what, command, said] : cases) {
        SCOPED_TRACE(what);
        const QString notes = volume.filePath(u"MUSIC/Rock/notes.txt"_s);
        writeFile(notes, "mine");
        if (what == std::string("the last folder removed"))
            QDir(volume.filePath(u"MUSIC/Pop"_s)).removeRecursively();
        frmTunedeck& w = start();
        showFolder(u"Rock"_s);
        prompts.answerConfirm(true);
        (w.*command)->trigger();
        EXPECT_EQ(lastStatus(), said);
        EXPECT_EQ(readFile(notes), "mine");
        QDir(volume.filePath(u"MUSIC"_s)).mkpath(u"Pop"_s);
    }
}

TEST_F(PlayerMenuTest, PluggingInAndPullingOutFollowTheMenuAndThePane) {
    start();
    chooseInPlayerMenu(u"Acme"_s);
    const QString away = volume.path() + u".away"_s;
    ASSERT_TRUE(QDir().rename(volume.path(), away));
    players.listed.clear();
    emit players.changed();
    EXPECT_EQ(lastStatus(), u"Rio500が接続されていません。"_s);
    EXPECT_EQ(shownState(), u" / "_s);
    EXPECT_EQ(playerMenu().at(1), u"Acme Player (VOL)（接続されていません）*"_s);

    ASSERT_TRUE(QDir().rename(away, volume.path()));
    players.listed = {usbPlayer()};
    emit players.changed();
    EXPECT_EQ(shownState(), u"Pop,Rock / "_s);
    EXPECT_EQ(lastStatus(), u"Ready"_s);
}

TEST_F(PlayerMenuTest, RemovalAndAnotherPlayerAreRefusedWhileARunGoesOn) {
    frmTunedeck& w = start();
    chooseInPlayerMenu(u"Acme"_s);
    // Asked for while a song is on its way: refused, and the run goes on.
    const QMetaObject::Connection duringRun =
        QObject::connect(w.stbRioInfo, &StatusBar::panelTextChanged, [&](int, const QString& text) {
            if (text.endsWith(u"をRioに転送しています..."_s)) {
                w.menuRemove->trigger();
                w.menuPlayers->actions().first()->trigger();
            }
        });
    dropOnSongList({QUrl::fromLocalFile(workFile(u"x.mp3"_s))});
    QObject::disconnect(duringRun);
    const QStringList said = takeStatusTexts();
    EXPECT_TRUE(said.contains(u"Rioとのやり取りが終わるまで、取り外せません。"_s));
    EXPECT_TRUE(said.contains(u"Rioとのやり取りが終わるまで、プレーヤーは変えられません。"_s));
    EXPECT_TRUE(players.removed.isEmpty());
    EXPECT_EQ(w.player().id, volume.path());
    EXPECT_TRUE(playerMenu().at(1).endsWith(u"*"_s)) << "the menu still shows the player in use";
    EXPECT_EQ(shownState(), u"Pop,Rock / x"_s);

    players.refusal = u"target is busy"_s;
    chooseInPlayerMenu(u"取り外し"_s);
    EXPECT_EQ(lastStatus(), u"取り外せませんでした。 Err:target is busy"_s);
    EXPECT_EQ(shownState(), u"Pop,Rock / x"_s);

    players.refusal.reset();
    chooseInPlayerMenu(u"取り外し"_s);
    EXPECT_EQ(players.removed, QStringList{volume.path()});
    EXPECT_EQ(lastStatus(), u"取り外しました。プレーヤーを抜いてもかまいません。"_s);
    EXPECT_EQ(shownState(), u" / "_s);
    // UDisks2 then tells of the memory unmounted and of the drive gone: the pane stays empty and the status
    // keeps saying it may go.
    emit players.changed();
    players.listed.clear();
    emit players.changed();
    EXPECT_EQ(lastStatus(), u"取り外しました。プレーヤーを抜いてもかまいません。"_s);
    // Plugged in again, it is read as before.
    players.listed = {usbPlayer()};
    emit players.changed();
    EXPECT_EQ(shownState(), u"Pop,Rock / x"_s);
    EXPECT_EQ(lastStatus(), u"Ready"_s);
}

// A player of gigabytes: its figures are shown whole, the panel growing past the emulated player's width.
TEST_F(PlayerMenuTest, TheFiguresOfALargePlayerAreShownWhole) {
    QFile big(volume.filePath(u"MUSIC/Pop/big.mp3"_s));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.resize(3LL << 30));
    frmTunedeck& w = start();
    chooseInPlayerMenu(u"Acme"_s);
    QCoreApplication::processEvents();
    const QString figures = w.stbRioInfo->panelText(2);
    EXPECT_TRUE(figures.startsWith(u"使用:3,145,728KB 空き:"_s)) << figures.toStdString();
    const StatusPanel* panel = w.stbRioInfo->panel(u"statMem"_s);
    EXPECT_GE(panel->width(), panel->fontMetrics().horizontalAdvance(figures));
}

}  // namespace
}  // namespace tunedeck::testing
