// SPDX-License-Identifier: GPL-3.0-or-later
#include "mass_storage_kind.h"
#include "shelf_kind.h"
#include "window_fixture.h"

namespace tunedeck::testing {
namespace {

// A USB player as the window finds it, here a folder that stands for its mounted volume: MUSIC is its audio
// folder, with the folders Pop (empty) and Rock (a.mp3, b.mp3).
class PlayerMenuTest : public WindowTest {
  protected:
    PlayerMenuTest() {
        writeFile(volume.filePath(u".is_audio_player"_s), "audio_folders=MUSIC/\n");
        QDir(volume.path()).mkpath(u"MUSIC/Pop"_s);
        for (const QString& name : {u"a.mp3"_s, u"b.mp3"_s})
            writeFile(volume.filePath(u"MUSIC/Rock/"_s + name), QByteArray(2048, 'x'));
        players.listed = {usbPlayer()};
    }
    PlayerEntry usbPlayer() const {
        return {.id = volume.path(),
                .kind = std::make_shared<const PlayerKind>(massStorageKind()),
                .variety = u"player"_s,
                .name = u"Acme Player (VOL)"_s,
                .memories = {volume.path()},
                .removable = true,
                .keepsEntryOrder = true};  // as UDisks2's vfat or exFAT volumes do
    }

    // What the pane shows, then the song files of Rock by name.
    QString shownAndRock() const {
        const QDir rock(volume.filePath(u"MUSIC/Rock"_s));
        return shownState() + u" | "_s + rock.entryList({u"*.mp3"_s}, QDir::Files, QDir::Name).join(u' ');
    }
    void showFolder(const QString& name) const {
        window->cmbFolder->setCurrentText(name);
        settle();
    }

    TemporaryFolder volume;
};

// A player of gigabytes in Pop: its figures are shown whole, the panel growing past the emulated player's
// width. The card radio button follows the player: this one has none.
TEST_F(PlayerMenuTest, AChosenPlayerIsShownKeptAndChosenAgainAtStart) {
    ASSERT_TRUE(QFile::resize(writeFile(volume.filePath(u"MUSIC/Pop/big.mp3"_s), {}), 3LL << 30));
    frmTunedeck& w = start();
    EXPECT_EQ(playerMenu().join(u'|'),
              u"Rio500（エミュレーション）*|Acme Player (VOL)|曲順：書き込んだ順-|"
              u"曲順：ファイル名順-|曲順：プレイリスト順-|取り外し(&E)-"_s);
    chooseInPlayerMenu(u"Acme"_s);
    EXPECT_EQ(shownState() + u" | "_s + w.stbRioInfo->panelText(2).section(u' ', 0, 0) +
                  (statusShownWhole(u"statMem"_s) ? u""_s : u" (cut)"_s),
              u"Pop,Rock / big | 使用:3,145,728KB"_s);
    showFolder(u"Rock"_s);
    EXPECT_EQ(shownState() + u" | "_s + lastStatus(), u"Pop,Rock / a,b | Ready"_s);
    EXPECT_EQ(folder.settings().readString(u"Player"_s, {}) + u" | "_s + playerMenu().join(u'|') +
                  (w.optRam[1]->isEnabled() ? u" | card"_s : u""_s),
              volume.path() +
                  u" | Rio500（エミュレーション）|Acme Player (VOL)*|曲順：書き込んだ順*|"
                  u"曲順：ファイル名順|曲順：プレイリスト順|取り外し(&E)"_s);

    start();
    EXPECT_EQ(shownState(), u"Pop,Rock / big"_s);
    chooseInPlayerMenu(u"Rio500"_s);
    EXPECT_EQ(folder.settings().readString(u"Player"_s, {}) + u" | "_s + shownState(),
              u"emulated | MUSIC / "_s);
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
    EXPECT_EQ(shownAndRock(), u"Pop,Rock / a,b,x | 01 a.mp3 02 b.mp3 03 x.mp3"_s);
    w.lvwSong->setFocus();
    w.lvwSong->selectRow(2);
    QTest::keyClick(w.lvwSong, Qt::Key_Up, Qt::AltModifier);
    settle();
    EXPECT_EQ(shownAndRock(), u"Pop,Rock / a,x,b | 01 a.mp3 02 x.mp3 03 b.mp3"_s);

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
        {u"xyz"_s, u"xyz"_s, u"曲順：書き込んだ順-|曲順：ファイル名順*|曲順：プレイリスト順|取り外し(&E)-"_s},
        {u"usb:0781:74d1:1234"_s, u"Acme Player (VOL)"_s,
         u"曲順：書き込んだ順*|曲順：ファイル名順|曲順：プレイリスト順|取り外し(&E)"_s}};
    for (const auto& [id, name, offered] : cases) {
        SCOPED_TRACE(id.toStdString());
        ASSERT_TRUE(folder.settings().write(u"Player"_s, id) &&
                    folder.settings().write(u"PlayerName"_s, name));
        start();
        EXPECT_EQ(playerMenu().join(u'|') + u" | "_s + lastStatus(),
                  u"Rio500（エミュレーション）|Acme Player (VOL)|"_s + name + u"（接続されていません）*|"_s +
                      offered + u" | "_s + name + u"が接続されていません。"_s);
    }
    // The USB player, the last one started.
    players.refusal = u"プレーヤーが見つかりません。すでに取り外されています。"_s;
    chooseInPlayerMenu(u"取り外し"_s);
    EXPECT_EQ(lastStatus(), u"取り外せませんでした。 Err:"_s + *players.refusal);
    EXPECT_TRUE(statusShownWhole());
}

// A folder player on a file system that keeps no order of directory entries (the test's folders are on ext4
// or tmpfs) plays by name: the directory order is not offered, and a send numbers the songs. A folder removal
// and a format leave what is not a song, and say how many files they left.
TEST_F(PlayerMenuTest, AFolderPlayerPlaysByNameAndKeepsWhatIsNotASong) {
    // The volume as a folder player: `Player=` names it, and nothing is found.
    players.listed.clear();
    ASSERT_TRUE(folder.settings().write(u"Player"_s, volume.path()));
    start();
    showFolder(u"Rock"_s);
    dropOnSongList({QUrl::fromLocalFile(workFile(u"x.mp3"_s))});
    EXPECT_EQ(shownAndRock() + u" | "_s + playerMenu().mid(1).join(u'|'),
              u"Pop,Rock / a,b,x | 01 a.mp3 02 b.mp3 03 x.mp3 | "_s + volume.path() +
                  u"*|曲順：書き込んだ順-|曲順：ファイル名順*|曲順：プレイリスト順|取り外し(&E)-"_s);

    const QString kept = u"曲ではないファイル1個は残しました。"_s,
                  notes = volume.filePath(u"MUSIC/Rock/notes.txt"_s);
    const std::tuple<const char*, decltype(&frmTunedeck::menuRmDir), QString> cases[] = {
        {"one folder of two removed", &frmTunedeck::menuRmDir, kept},
        {"the last folder removed", &frmTunedeck::menuRmDir, kept},
        {"a format", &frmTunedeck::menuFormat, u"内蔵メモリの初期化が終了しました。 "_s + kept}};
    for (const auto& [what, command, said] : cases) {
        SCOPED_TRACE(what);
        writeFile(notes, "mine");
        if (what == std::string("the last folder removed"))
            QDir(volume.filePath(u"MUSIC/Pop"_s)).removeRecursively();
        frmTunedeck& w = start();
        showFolder(u"Rock"_s);
        prompts.answerConfirm(true);
        (w.*command)->trigger();
        settle();
        EXPECT_EQ(lastStatus() + u" | "_s + QString::fromUtf8(readFile(notes)), said + u" | mine"_s);
        QDir(volume.filePath(u"MUSIC"_s)).mkpath(u"Pop"_s);
    }
}

// Removal and another player are refused while a run goes on; a removal refused is said, one that went
// through empties the pane, and the changes the removal brings leave it so until the player is plugged in
// again.
TEST_F(PlayerMenuTest, RemovalWaitsForTheRunAndThePaneFollowsPluggingInAndPullingOut) {
    frmTunedeck& w = start();
    chooseInPlayerMenu(u"Acme"_s);
    // Asked for while a song is on its way: refused, and the run goes on.
    const QMetaObject::Connection duringRun =
        QObject::connect(w.stbRioInfo, &StatusBar::panelTextChanged, [&](int, const QString& text) {
            if (text.endsWith(u"をAcme Player (VOL)に転送しています..."_s)) {
                w.menuRemove->trigger();
                w.menuPlayers->actions().first()->trigger();
            }
        });
    dropOnSongList({QUrl::fromLocalFile(workFile(u"x.mp3"_s))});
    QObject::disconnect(duringRun);
    // Both refusals said, nothing removed, and the player in use still the one shown and ticked.
    EXPECT_EQ(takeStatusTexts().filter(u"終わるまで"_s).join(u' ') + u" | "_s + players.removed.join(u' ') +
                  u" | "_s + w.player().id + u" | "_s + playerMenu().at(1) + u" | "_s + shownState(),
              u"Acme Player (VOL)とのやり取りが終わるまで、取り外せません。 "
              u"Acme Player (VOL)とのやり取りが終わるまで、プレーヤーは変えられません。 |  | "_s +
                  volume.path() + u" | Acme Player (VOL)* | Pop,Rock / x"_s);

    players.refusal = u"target is busy"_s;
    chooseInPlayerMenu(u"取り外し"_s);
    EXPECT_EQ(lastStatus() + u" | "_s + shownState(),
              u"取り外せませんでした。 Err:target is busy | Pop,Rock / x"_s);

    players.refusal.reset();
    chooseInPlayerMenu(u"取り外し"_s);
    EXPECT_EQ(players.removed.join(u' ') + u" | "_s + lastStatus() + u" | "_s + shownState() +
                  w.stbRioInfo->panelText(2),
              volume.path() + u" | 取り外しました。プレーヤーを抜いてもかまいません。 |  / "_s);
    // UDisks2 then tells of the memory unmounted and of the drive gone: the pane stays empty and the status
    // keeps saying it may go.
    emit players.changed();
    players.listed.clear();
    emit players.changed();
    settle();
    EXPECT_EQ(lastStatus(), u"取り外しました。プレーヤーを抜いてもかまいません。"_s);
    // Plugged in again, it is read as before; pulled out unannounced, it is said to be gone.
    players.listed = {usbPlayer()};
    emit players.changed();
    settle();
    EXPECT_EQ(shownState() + u" | "_s + lastStatus(), u"Pop,Rock / x | Ready"_s);
    ASSERT_TRUE(QDir().rename(volume.path(), working.filePath(u"away"_s)));
    players.listed.clear();
    emit players.changed();
    settle();
    EXPECT_EQ(shownState() + u" | "_s + lastStatus() + u" | "_s + playerMenu().at(1),
              u" /  | Acme Player (VOL)が接続されていません。 | Acme Player (VOL)（接続されていません）*"_s);
}

// A kind of player registered beside the built-in ones: its player is in the player menu, offered no song
// order nor removal, and every command works on it.
TEST_F(WindowTest, APlayerOfAKindAddedBesideTheBuiltInOnesIsChosenAndWorkedOn) {
    kinds.add(shelfKind());
    players.listed = kinds.found();
    start();
    EXPECT_EQ(playerMenu().join(u'|'),
              u"Rio500（エミュレーション）*|棚プレーヤー|曲順：書き込んだ順-|"
              u"曲順：ファイル名順-|曲順：プレイリスト順-|取り外し(&E)-"_s);
    chooseInPlayerMenu(u"棚"_s);
    EXPECT_EQ(std::pair(window->player().id, lastStatus()), std::pair(u"shelf:1"_s, u"Ready"_s));
    makeFoldersSendMoveDownloadAndDelete();
}

// Every text that names the player names the one chosen: the emulated player's are as they were written for
// it, with "Rio" and "Rio500"; another player's have its name in their place. The menu items, what screen
// readers hear, and the texts a reading, a send and the display format's box show follow each choice, also
// back to the emulated player. Without its component the other player is said not to be connected by name.
TEST_F(WindowTest, TheTextsNameTheChosenPlayer) {
    kinds.add(shelfKind());
    players.listed = kinds.found();
    folder.setUpPlayer(u"a:"_s);
    workFile(u"b.mp3"_s);
    frmTunedeck& w = start();
    const QStringList rio = {
        u"Rio500を探しています..."_s,
        u"Rioへ転送(&S)"_s,
        u"Rioにフォルダを作る(&F)"_s,
        u"音楽ファイル: 選んだフォルダのファイル。Rioへ転送できます"_s,
        u"Rioの内容: Rioのメモリ、フォルダと曲"_s,
        u"Rioの内蔵メモリ: 曲を表示するRioのメモリ"_s,
        u"RioのSmartMedia: 曲を表示するRioのメモリ"_s,
        u"Rioのフォルダ: 曲を表示するRioのフォルダ"_s,
        u"Rioの曲: 選んだRioのフォルダの曲"_s,
        u"ステータスバー: Rioの状態とメモリ"_s,
        u"Rioのメモリ"_s,
        u"b.mp3 をRioに転送しています..."_s,
        u"Rio500のディスプレイに表示する形式を入力します。"_s,
    };
    const QStringList shelf = QStringList(rio)
                                  .replaceInStrings(u"Rio500"_s, u"棚プレーヤー"_s)
                                  .replaceInStrings(u"Rio"_s, u"棚プレーヤー"_s);
    const QWidget* const spoken[] = {w.lvwFile,   w.fraSong, w.optRam[0], w.optRam[1],
                                     w.cmbFolder, w.lvwSong, w.stbRioInfo};
    // A reading, the menu items, what screen readers hear of the controls that name the player, then a
    // folder made, a send to it and the display format's box, cancelled.
    const auto named = [&] {
        takeStatusTexts();
        w.menuRefSong->trigger();
        settle();
        QStringList texts = takeStatusTexts().filter(u"探しています"_s);
        texts << w.menuSend->text() << w.menuMkDir->text();
        for (const QWidget* control : spoken)
            texts << control->accessibleName() + u": "_s + control->accessibleDescription();
        texts << w.stbRioInfo->panel(u"statMem"_s)->accessibleDescription();
        prompts.answerInput(u"F"_s);
        w.menuMkDir->trigger();
        settle();
        w.cmbFolder->setCurrentText(u"F"_s);
        settle();
        selectPositions(*w.lvwFile, {1});
        takeStatusTexts();
        w.menuSend->trigger();
        settle();
        texts << takeStatusTexts().filter(u"転送しています"_s);
        prompts.answerInput({});
        w.menuCustom->trigger();
        texts << prompts.shown().last().text.section(u'\r', 0, 0);
        return texts;
    };
    EXPECT_EQ(named(), rio);
    chooseInPlayerMenu(u"棚"_s);
    EXPECT_EQ(named(), shelf);
    // Found again under another name, the chosen player is called by it.
    const auto rename = [&](const QString& from, const QString& to) {
        for (PlayerEntry& player : players.listed)
            if (player.name == from)
                player.name = to;
        emit players.changed();
        settle();
        return w.menuSend->text();
    };
    EXPECT_EQ(rename(u"棚プレーヤー"_s, u"別の棚"_s), u"別の棚へ転送(&S)"_s);
    EXPECT_EQ(rename(u"別の棚"_s, u"棚プレーヤー"_s), u"棚プレーヤーへ転送(&S)"_s);
    chooseInPlayerMenu(u"Rio500"_s);
    EXPECT_EQ(named(), rio);

    ASSERT_TRUE(folder.settings().write(u"Player"_s, u"shelf:1"_s));
    components = working.path();
    start().menuRefSong->trigger();
    settle();
    EXPECT_EQ(lastStatus(), u"棚プレーヤーが接続されていません。"_s);
}

}  // namespace
}  // namespace tunedeck::testing
