// SPDX-License-Identifier: GPL-3.0-or-later
#include "window_fixture.h"

#include "local_path.h"
#include "song_positions.h"

#include <QDrag>
#include <QImage>
#include <QProgressBar>

#include <sys/stat.h>

namespace tunedeck::testing {
namespace {

const QString kPlayer = u"a:s1,s2,s3 b:"_s;  // the internal memory, unless a test says otherwise
constexpr int kEmptySpace = -1;              // a row standing for the song list's empty space below the songs
// The texts of a refresh that reads the player.
const QStringList kRefreshTexts = {u"Rio500を探しています..."_s, u"曲リスト取得中..."_s, u"Ready"_s};

class PlayerPaneTest : public WindowTest {
  protected:
    // `memory` as `player` says; the file list holding a.mp3 (tagged), b.mp3, c.mp3 and d.mp3 in
    // this order; the song list focused, the status texts taken.
    frmTunedeck& startWith(const QString& player = kPlayer, const QString& memory = u"0"_s) {
        folder.setUpPlayer(player, memory);
        workFile(u"a.mp3"_s, mp3File({.title = "Title", .artist = "Artist"}, 100));
        for (const QString& name : {u"b"_s, u"c"_s, u"d"_s})
            workFile(name + u".mp3"_s, name.toUtf8());
        frmTunedeck& w = start();
        clickColumn(*w.lvwFile, 1);
        w.lvwSong->setFocus();
        takeStatusTexts();
        return w;
    }

    // A mouse action of `button` on the song list over `row`.
    void mouse(QTest::MouseAction action, int row, Qt::MouseButton button = Qt::LeftButton) const {
        const ListView& list = *window->lvwSong;
        const QPoint at = row == kEmptySpace ? QPoint(list.columnWidth(0) / 2, list.viewport()->height() - 4)
                                             : list.visualRect(list.model()->index(row, 0)).center();
        QTest::mouseEvent(action, list.viewport(), button, {}, at);
    }
};

// The computer pane fills first, through the drive change, each file's size in whole kilobytes grouped by
// three; then the player is read, and the memory panel counts the songs of the shown folder. F5 (Shift or
// not) reads the folders again and chooses the first. F5 arrives through the window's focus, as a user's key
// press does: a refresh disables the window and must give the focus back, or the second F5 goes nowhere. The
// card taken out while it is the chosen memory: the player's refusal to take a song is reported, and once a
// send, F5 or the pane's refresh finds the card gone, its option goes grey and the internal memory is chosen
// and read. Without a player the song list is emptied and the rest keeps what it showed; the player connected
// again is read by F5.
TEST_F(PlayerPaneTest, TheFolderTheMemoryAndThePlayerAway) {
    folder.setUpPlayer(kPlayer);
    folder.setUpPlayer(u"card:s1"_s, u"1"_s);
    for (const qint64 kilobytes : {1'234'567, 0, 1000, 999})
        QFile(workFile(QString::number(kilobytes) + u".mp3"_s)).resize(kilobytes * 1024 + 1023);
    frmTunedeck& w = start();
    EXPECT_EQ(takeStatusTexts().mid(4), kRefreshTexts);
    clickColumn(*w.lvwFile, 1);
    EXPECT_EQ(
        rows(*w.lvwFile).join(u' ') + u" / "_s + rows(*w.lvwSong).first() + w.stbRioInfo->panelText(2),
        u"0.mp3|||0KB 1000.mp3|||1,000KB 1234567.mp3|||1,234,567KB 999.mp3|||999KB / s1|a|0KB|内蔵使用:2KB 空き:65,533KB"_s);
    w.lvwSong->setFocus();
    for (const Qt::KeyboardModifier modifier : {Qt::NoModifier, Qt::ShiftModifier}) {
        w.cmbFolder->setCurrentIndex(1);
        settle();
        QTest::keyClick(w.windowHandle(), Qt::Key_F5, modifier);
        settle();
        EXPECT_EQ(shownState(), u"a,b / s1,s2,s3"_s);
    }

    // Each way the card is found gone, and what the status then says.
    const std::tuple<const char*, std::function<void()>, QString> cardFoundGone[] = {
        {"send", [&] { selectPositions(*w.lvwFile, {1}), w.menuSend->trigger(); },
         u"転送エラー Err:スマートメディアが入っていません。"_s},
        {"F5", [&] { QTest::keyClick(w.windowHandle(), Qt::Key_F5); }, u"Ready"_s},
        {"refresh", [&] { w.menuRefSong->trigger(); }, u"Ready"_s}};
    for (const auto& [way, find, said] : cardFoundGone) {
        SCOPED_TRACE(way);
        folder.runPlayer({u"insert-card"_s});
        QTest::keyClick(w.windowHandle(), Qt::Key_F5);
        settle();
        QTest::mouseClick(w.optRam[1], Qt::LeftButton);
        settle();
        EXPECT_EQ(rows(*w.lvwSong), QStringList({u"s1|card|0KB|外部"_s}));
        folder.runPlayer({u"remove-card"_s});
        w.lvwSong->setFocus();  // as a click on the list gives it
        takeStatusTexts();
        find();
        settle();
        // The internal memory chosen and read, and nothing saying the card could not be read.
        EXPECT_EQ(std::tuple(shownState(), w.lvwSong->subItemText(0, 3), lastStatus(), folder.playerState(),
                             w.optRam[1]->isEnabled(), w.optRam[0]->isChecked(), w.memory(),
                             takeStatusTexts().filter(u"曲リストの取得に失敗"_s)),
                  std::tuple(u"a,b / s1,s2,s3"_s, u"内蔵"_s, said, kPlayer, false, true,
                             PlayerMemory::Internal, QStringList()));
    }
    const QString panel2 = w.stbRioInfo->panelText(2);
    folder.runPlayer({u"disconnect"_s});
    w.menuRefSong->trigger();
    settle();
    EXPECT_EQ(lastStatus() + shownState() + w.stbRioInfo->panelText(2),
              u"Rio500が接続されていません。a,b / "_s + panel2);
    // With the song list empty a download or a deletion asks nothing; with the file list empty the menu sends
    // nothing; a drop without a player sends nothing, reads nothing again, and says why.
    w.menuDown->trigger();
    QTest::keyClick(w.windowHandle(), Qt::Key_Delete);
    w.fillFileList(working.filePath(u"none"_s));
    w.menuSend->trigger();
    dropOnSongList({QUrl::fromLocalFile(workFile(u"a.mp3"_s))});
    EXPECT_EQ(takeStatusTexts().last(2).join(u'|'),
              u"プレーヤーが接続されていません。|0個のファイルを転送しました。 1個は転送できませんでした。 "
              u"Err:プレーヤーが接続されていません。"_s);

    folder.runPlayer({u"connect"_s});
    QTest::keyClick(w.windowHandle(), Qt::Key_F5);
    settle();
    EXPECT_EQ(shownState(), u"a,b / s1,s2,s3"_s);
}

// Selected files dragged from the file list go in the list's order, their paths coming through the drag
// unchanged. A drop tries every local path, whatever the file, and goes on after one the player refuses (a
// folder); the files stay where they were, and the end says how many went and how many did not. A file
// manager sends a name that is not UTF-8 as its bytes.
TEST_F(PlayerPaneTest, DragAndDropSendEveryLocalFile) {
    const QString odd = u"b #1 100% 曲?.mp3"_s;
    for (const QString& name : {odd, pathFromBytes("\x83\x65\x83\x58\x83\x67.mp3"), u"notes.txt"_s})
        workFile(name);
    frmTunedeck& w = startWith();
    selectPositions(*w.lvwFile, {1, 2});

    // Pressed on a selected file and moved: the drag starts. The offscreen desktop ends every drag at once,
    // so what the drag carries is dropped on the song list by hand.
    const QPoint from = w.lvwFile->visualRect(w.lvwFile->model()->index(0, 0)).center();
    QTest::mousePress(w.lvwFile->viewport(), Qt::LeftButton, {}, from);
    QTest::mouseMove(w.lvwFile->viewport(), from + QPoint(0, 5));
    QTest::mouseMove(w.lvwFile->viewport(), from + QPoint(0, 40));
    const QDrag* drag = w.lvwFile->findChild<QDrag*>();
    ASSERT_NE(drag, nullptr);
    dropOnSongList(drag->mimeData()->urls()
                   << QUrl(u"https://example.com/e.mp3"_s) << QUrl::fromLocalFile(working.path())
                   << QUrl::fromLocalFile(working.filePath(u"notes.txt"_s))
                   << QUrl::fromEncoded("file://" + working.path().toUtf8().toPercentEncoding("/") +
                                        "/%83e%83X%83g.mp3"));
    const QString sent =
        u"4個のファイルを転送しました。 1個は転送できませんでした。 Err:ファイルを読み込めません: "_s +
        working.path();
    EXPECT_EQ(takeStatusTexts().mid(6), QStringList{sent} + kRefreshTexts + QStringList{sent});
    EXPECT_EQ(folder.playerState(), u"a:s1,s2,s3,Artist - Title,"_s + odd + u",notes.txt,テスト.mp3 b:"_s);
}

// A left drag from one song onto another exchanges them in the shown folder. It selects no range: the
// selection stays on the pressed song, and only the song a release would exchange with is marked, and drawn
// so, and not while the right button is held. Nothing reaches the player from a release on the pressed song,
// a press on the empty space, a release after the right button's, which pops the menu up, or a release
// outside the list, where a song scrolled out of view lies under the pointer.
TEST_F(PlayerPaneTest, ALeftDragExchangesTwoSongsOfTheShownFolder) {
    frmTunedeck& w = startWith(u"a:s1,s2,s3 b:s1,s2,s3"_s);
    ListView& list = *w.lvwSong;
    w.cmbFolder->setCurrentIndex(1);
    settle();
    const auto rowImage = [&] {
        const QRect cell = list.visualRect(list.model()->index(2, 0));
        return list.viewport()->grab({0, cell.top(), list.viewport()->width(), cell.height()}).toImage();
    };
    const QImage unmarked = rowImage();
    mouse(QTest::MousePress, 0);
    for (const auto& [row, marked] : {std::pair{0, -1}, {2, 2}, {kEmptySpace, -1}}) {
        mouse(QTest::MouseMove, row);
        EXPECT_TRUE(list.markedRow() == marked && (rowImage() == unmarked) == (marked != 2) &&
                    list.isItemSelected(0) && !list.isItemSelected(2))
            << row;
    }
    mouse(QTest::MouseRelease, 2);
    settle();
    QMouseEvent rightDrag(QEvent::MouseMove, {}, {}, Qt::NoButton, Qt::RightButton, {});
    EXPECT_EQ((QApplication::sendEvent(list.viewport(), &rightDrag), list.markedRow()), -1) << "right button";
    EXPECT_EQ(folder.playerState() + u" | "_s + shownState(), u"a:s1,s2,s3 b:s3,s2,s1 | a,b / s3,s2,s1"_s);
    // A failed exchange is said, and the list is not read again.
    deviceLog->failures[u"Close"_s] = {1, u"故障"_s};
    mouse(QTest::MousePress, 2), mouse(QTest::MouseRelease, 0);
    settle();
    EXPECT_EQ(lastStatus() + u" | "_s + folder.playerState() + u" | "_s + shownState(),
              u"曲変更でエラーが発生しました。 Err:故障 | a:s1,s2,s3 b:s1,s2,s3 | a,b / s3,s2,s1"_s);

    deviceLog->calls.clear();
    for (const int pressed : {1, kEmptySpace})
        mouse(QTest::MousePress, pressed), mouse(QTest::MouseRelease, 1);
    mouse(QTest::MousePress, 0), mouse(QTest::MouseClick, 2, Qt::RightButton);
    EXPECT_TRUE(w.menuSongList->isVisible() && w.menuSongList->close());
    mouse(QTest::MouseRelease, 2);
    list.resize(list.width(), list.height() - list.viewport()->height() + list.rowViewportPosition(2));
    mouse(QTest::MousePress, 0);
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, {},
                        {list.columnWidth(0) / 2, list.rowViewportPosition(2) + 2});
    EXPECT_TRUE(deviceLog->calls.isEmpty());
}

// Alt+Up and Alt+Down exchange the current song with its neighbour in the shown folder, as a drag does, and
// the song stays the current one; at either end nothing reaches the player. Del leaves the song now at the
// first deleted place the current one, selected, with the keyboard on the list, so the arrows and the next
// Del go on from there; at the end of the list, the last song.
TEST_F(PlayerPaneTest, AltArrowsMoveTheCurrentSongAndDelLeavesTheNextOneCurrent) {
    frmTunedeck& w = startWith(u"a:s1 b:s1,s2,s3,s4,s5"_s);
    ListView& list = *w.lvwSong;
    w.cmbFolder->setCurrentIndex(1);
    settle();
    selectPositions(list, {2, 3});
    // Each key, and then the player, the list, its current song ("*": selected) and whether the player was
    // left untouched; the keyboard stays on the list.
    for (const auto& [key, modifier, after] :
         {std::tuple{Qt::Key_Delete, Qt::NoModifier, u"a:s1 b:s1,s4,s5 | s1,s4,s5 | s4*"_s},
          {Qt::Key_Up, Qt::AltModifier, u"a:s1 b:s4,s1,s5 | s4,s1,s5 | s4*"_s},
          {Qt::Key_Up, Qt::AltModifier, u"a:s1 b:s4,s1,s5 | s4,s1,s5 | s4* untouched"_s},
          {Qt::Key_Down, Qt::NoModifier, u"a:s1 b:s4,s1,s5 | s4,s1,s5 | s1* untouched"_s},
          {Qt::Key_Down, Qt::AltModifier, u"a:s1 b:s4,s5,s1 | s4,s5,s1 | s1*"_s},
          {Qt::Key_Down, Qt::AltModifier, u"a:s1 b:s4,s5,s1 | s4,s5,s1 | s1* untouched"_s},
          {Qt::Key_Delete, Qt::NoModifier, u"a:s1 b:s4,s5 | s4,s5 | s5*"_s},
          {Qt::Key_Up, Qt::NoModifier, u"a:s1 b:s4,s5 | s4,s5 | s4* untouched"_s},
          {Qt::Key_Delete, Qt::NoModifier, u"a:s1 b:s5 | s5 | s5*"_s},
          {Qt::Key_Delete, Qt::NoModifier, u"a:s1 b: |  | "_s}}) {
        if (key == Qt::Key_Delete)
            prompts.answerConfirm(true);
        deviceLog->calls.clear();
        QTest::keyClick(w.windowHandle(), key, modifier);
        settle();
        EXPECT_EQ(folder.playerState() + u" | "_s + rows(list, 1).join(u',') + u" | "_s +
                      list.itemText(list.currentRow()) +
                      (list.isItemSelected(list.currentRow()) ? u"*"_s : u""_s) +
                      (deviceLog->calls.isEmpty() ? u" untouched"_s : u""_s) +
                      (w.focusWidget() == &list ? u""_s : u" unfocused"_s),
                  after);
    }
}

// Another program changed the player after the list was read: Del (pressed, and answered Yes), a download, a
// drag of the first song or the removal of its folder does nothing to the player, reads it again and says so.
// A song is known by its place, name and size; a folder by its place and name only.
TEST_F(PlayerPaneTest, APlayerChangedMeanwhileIsReadAgainNotChanged) {
    frmTunedeck& w = startWith();
    // Each command, its question answered Yes.
    const std::pair<const char*, std::function<void()>> commands[] = {
        {"Del", [&] { prompts.answerConfirm(true), QTest::keyClick(w.windowHandle(), Qt::Key_Delete); }},
        {"download", [&] { prompts.answerConfirm(true), w.menuDown->trigger(); }},
        {"drag", [&] { mouse(QTest::MousePress, 0), mouse(QTest::MouseRelease, 2); }},
        {"rmdir", [&] { prompts.answerConfirm(true), w.menuRmDir->trigger(); }}};
    // What the other program did (the first song deleted, the folder removed, a song of the same name and
    // another size put in its place), and what the player and the pane then hold.
    const std::pair<std::function<void(DeviceComponent&)>, QString> changes[] = {
        {[](DeviceComponent& d) { d.DeleteSong(0, 0, u"0"_s); }, u"a:s2,s3 b: | a,b / s2,s3"_s},
        {[](DeviceComponent& d) { d.DeleteFolder(0, u"0"_s); }, u"b: | b / "_s},
        {[&](DeviceComponent& d) {
             d.DeleteSong(0, 0, u"0"_s);
             d.AddSong(0, u"s1"_s, writeFile(folder.path() + u"/other"_s, "7 bytes"), u"0"_s, {});
             d.SwapSong(0, 0, 2, u"0"_s);
         },
         u"a:s1,s3,s2 b: | a,b / s1,s3,s2"_s}};
    for (const auto& [name, command] : commands)
        for (const auto& [change, changed] : changes) {
            if (name == std::string("rmdir") && changed != u"b: | b / "_s)
                continue;
            SCOPED_TRACE(name);
            folder.setUpPlayer(kPlayer);
            QTest::keyClick(w.lvwSong, Qt::Key_F5);  // the folders read again too
            settle();
            selectPositions(*w.lvwSong, {1});
            folder.onPlayer(change);
            command();
            settle();
            EXPECT_EQ(folder.playerState() + u" | "_s + shownState() + u" | "_s + lastStatus() +
                          QDir(folder.path()).entryList({u"GetRio*"_s}).join(u' '),
                      changed + u" | Rioの内容が表示と違っていたため、何もせずに読み直しました。"_s);
        }
}

// A download replaces nothing: song 1 of the card, then song 1 of the internal memory, keep both, a name
// taken by any entry (a folder, a dangling link, a FIFO) passed over, each left as it was. The end says where
// the songs went. A file is named by the song's position, in two digits at least, and numbered from (2)
// before the extension where the name is taken (a leading dot starts no extension).
TEST_F(PlayerPaneTest, ADownloadTakesTheNextFreeNameAndSaysWhere) {
    folder.setUpPlayer(u"card:c1"_s, u"1"_s);
    frmTunedeck& w = startWith();
    const QDir fetched(folder.path());
    // Song 1 of `memory`, the memory clicked as a user does.
    const auto download = [&](int memory) {
        QTest::mouseClick(w.optRam[memory], Qt::LeftButton);
        settle();
        selectPositions(*w.lvwSong, {1});
        prompts.answerConfirm(true);
        w.menuDown->trigger();
        settle();
        EXPECT_EQ(lastStatus(), u"曲の取得が終了しました。保存先："_s + folder.path());
    };
    download(1);
    const auto numbered = [&](int number) { return fetched.filePath(u"GetRio01 (%1).mp3"_s.arg(number)); };
    ASSERT_TRUE(fetched.mkdir(numbered(2)) && QFile::link(folder.path() + u"/none"_s, numbered(3)) &&
                mkfifo(QFile::encodeName(numbered(4)).constData(), 0600) == 0);
    download(0);
    EXPECT_EQ(fetched.entryList({u"GetRio*"_s}, QDir::AllEntries | QDir::System).join(u'|'),
              u"GetRio01 (2).mp3|GetRio01 (3).mp3|GetRio01 (4).mp3|GetRio01 (5).mp3|GetRio01.mp3"_s);
    EXPECT_EQ(readFile(fetched.filePath(u"GetRio01.mp3"_s)) + readFile(numbered(5)),
              QByteArray("c1").repeated(500) + QByteArray("s1").repeated(500));
    const QFileInfo link(numbered(3)), fifo(numbered(4));
    EXPECT_TRUE(QFileInfo(numbered(2)).isDir() && link.isSymLink() && !link.exists() && !fifo.isFile() &&
                fifo.exists());
    // The names themselves: two digits at least, and the number before the extension, if any.
    QStringList names{downloadFileName(1), downloadFileName(100)};
    for (const QString& name : {u"notes"_s, u"a.b.mp3"_s, u".mp3"_s})
        names << freeFileName(name, [&](const QString& each) { return each == name; });
    EXPECT_EQ(names.join(u'|'), u"GetRio01.mp3|GetRio100.mp3|notes (2)|a.b (2).mp3|.mp3 (2)"_s);
}

// A reading that finds the player held by another program past the wait has learnt nothing: the pane keeps
// its songs, folders and figures, and the memory and folder they are of, and says why.
TEST_F(PlayerPaneTest, APlayerHeldByAnotherProgramKeepsWhatThePaneShowed) {
    frmTunedeck& w = startWith(u"a:s1,s2 b:t1,t2"_s);
    w.cmbFolder->setCurrentIndex(1);
    settle();
    const auto shown = [&] {
        return std::tuple(shownState(), w.cmbFolder->currentText(), rows(*w.lvwSong),
                          w.stbRioInfo->panelText(2), w.optRam[0]->isChecked(), w.memory());
    };
    const auto before = shown();
    folder.onPlayer([&](DeviceComponent&) {
        QTest::mouseClick(w.optRam[1], Qt::LeftButton);
        settle();
        EXPECT_EQ(shown(), before);
        EXPECT_EQ(lastStatus(), u"Rioは別のプログラムが使用中のため、前に読んだ内容を表示しています。"_s);
        EXPECT_TRUE(statusShownWhole());
    });
    w.lvwSong->setFocus();
    QTest::keyClick(w.windowHandle(), Qt::Key_F5);
    settle();
    EXPECT_EQ(shownState() + u" | "_s + lastStatus(), u"a,b / s1,s2 | Ready"_s);
}

// What the player did on its own (the desktop lending it) shows in the status bar as it happens.
TEST_F(PlayerPaneTest, WhatThePlayerDidOnItsOwnShowsInTheStatusBar) {
    startWith(u"a:s1"_s);
    const QString lent =
        u"デスクトップのMTPファイルシステム（gvfsd-mtp）にプレーヤーを放してもらいました。"_s;
    deviceLog->noticeAtOpen = lent;
    takeStatusTexts();
    QTest::keyClick(window->windowHandle(), Qt::Key_F5);
    settle();
    EXPECT_EQ(takeStatusTexts().filter(lent), QStringList{lent});
}

// A send, a download or a delete shows its progress in the status bar: as the second of three songs starts,
// the first song's bytes of the run's. Esc on a slow link stops a send or a download inside the song in
// flight: the songs before it stay sent or fetched, nothing of it is left, and the end says how many went
// (and where). A close request during a download stops it too, and the window then closes, writing its
// settings.
TEST_F(PlayerPaneTest, EscOrACloseStopsARun) {
    for (const QString& name : {u"e1.mp3"_s, u"e2.mp3"_s, u"e3.mp3"_s})
        workFile(name, QByteArray(600'000, 'e'));
    frmTunedeck& w = startWith(u"a:s1"_s);
    ASSERT_EQ(folder.runPlayer({u"set-speed"_s, u"2000"_s}).exitStatus, 0);
    // Runs `command`, calling `act` whenever the status bar tells of `song`.
    const auto runActing = [&](QAction* command, const QString& song, const std::function<void()>& act) {
        const QMetaObject::Connection acting =
            QObject::connect(w.stbRioInfo, &StatusBar::panelTextChanged, [&](int, const QString& text) {
                if (text.startsWith(song + u' '))
                    act();
            });
        command->trigger();
        settle();
        QObject::disconnect(acting);
        return lastStatus();
    };
    const auto esc = [&] { QTest::keyClick(w.windowHandle(), Qt::Key_Escape); };
    bool barShown = false;
    selectPositions(*w.lvwFile, {5, 6, 7});
    EXPECT_EQ(runActing(w.menuSend, u"e2.mp3"_s,
                        [&] {
                            const QProgressBar* bar = w.stbRioInfo->progressBar();
                            barShown = bar->isVisible() && w.stbRioInfo->cancelButton()->isVisible() &&
                                       bar->format() == u"1/3曲"_s && bar->value() == bar->maximum() / 3;
                            esc();
                        }),
              u"転送を中止しました。1個のファイルを転送しました。"_s);
    EXPECT_TRUE(barShown && !w.stbRioInfo->progressBar()->isVisible());
    EXPECT_EQ(folder.playerState(), u"a:s1,e1.mp3"_s);

    selectPositions(*w.lvwSong, {1, 2});
    prompts.answerConfirm(true);
    EXPECT_EQ(runActing(w.menuDown, u"e1.mp3"_s, esc),
              u"取得を中止しました。1曲を取得しました。保存先："_s + folder.path());
    selectPositions(*w.lvwSong, {2});
    prompts.answerConfirm(true);
    bool refused = false;
    runActing(w.menuDown, u"e1.mp3"_s, [&] { refused = !w.close(); });
    EXPECT_TRUE(refused && !w.isVisible()) << "closed under the run, or not after it";
    EXPECT_EQ(QDir(folder.path()).entryList({u"GetRio*"_s}), QStringList{u"GetRio01.mp3"_s});
    EXPECT_EQ(folder.settings().readInt(u"Separate"_s, -1), 2000);
}

// A message box opened during a send (a double-click on a file that nothing opens) holds nothing up: while it
// is still open, the send ends, the pane is read again and given back, and the status says how the send
// ended.
TEST_F(PlayerPaneTest, AMessageBoxOpenDuringASendHoldsUpNothing) {
    for (const QString& name : {u"e1.mp3"_s, u"e2.mp3"_s})
        workFile(name, QByteArray(600'000, 'e'));
    frmTunedeck& w = startWith(u"a:s1"_s);
    ASSERT_EQ(folder.runPlayer({u"set-speed"_s, u"2000"_s}).exitStatus, 0);
    selectPositions(*w.lvwFile, {5, 6});
    w.menuSend->trigger();
    QString whileOpen;
    prompts.keepNextMessageOpen([&] {
        const bool sending = w.isRunning();
        settle();
        whileOpen = (sending ? u"sending, then: "_s : u"sent before: "_s) + lastStatus() + u" | "_s +
                    shownState() + (w.isRunning() || !w.fraSong->isEnabled() ? u" | held"_s : u""_s) +
                    (w.stbRioInfo->progressBar()->isVisible() ? u" | progress"_s : u""_s);
    });
    shell.answerOpen(2);
    QTest::mouseDClick(w.lvwFile->viewport(), Qt::LeftButton, {},
                       w.lvwFile->visualRect(w.lvwFile->model()->index(0, 0)).center());
    EXPECT_EQ(whileOpen, u"sending, then: 転送が終了しました。 | a / s1,e1.mp3,e2.mp3"_s);
    EXPECT_EQ(prompts.shown().last().text, u"ShellExecuteでエラーになりました。"_s);
}

// Each command on the chosen memory, which holds `before` while the other holds a folder of its own, with
// folder `chosen` shown, songs 1 and 3 and files b.mp3, c.mp3 and d.mp3 selected, and the nth call of
// `failing` made to fail. A question is answered No first, which changes nothing, then Yes; an input box gets
// `typed`. Then the question, the first text, what the memory holds (for a download: the files fetched, named
// by the songs' positions), what the panes show and the last text. The name goes as typed, also empty when
// the box was cancelled, for the player to refuse; removing the last folder erases the memory. A deletion
// asks for each song where the earlier deletions have moved it. A failure leaves what was done before it, and
// a failed format is not hidden by the list read after it.
TEST_F(PlayerPaneTest, EachCommandChangesOnlyTheChosenMemoryAndSaysHowItEnded) {
    // Each command is chosen as its menu item, so an item that has lost its command shows.
    using Item = QAction* frmTunedeck::*;
    const QString name = u"  新しい フォルダ "_s, shown = u" | a,b / s1,s2,s3 | "_s,
                  sure = u"メモリをフォーマットします。\rよろしいですか？ | "_s;
    const QString making = u"作るフォルダの名前を指定します。 | フォルダを作成しています... | "_s,
                  removing = u"を削除します。\rよろしいですか？ | フォルダを削除しています... | "_s;
    const QString fetching = u"曲を取得します。 | s1 を取得しています... | "_s,
                  deleting = u"削除します。 | s1 を削除しています... | "_s;
    const std::tuple<Item, int, QString, int, QString, const char*, int, QString> cases[] = {
        {&frmTunedeck::menuFormat, 1, u"a:s1 b:"_s, 1, QString(), nullptr, 0,
         u"外部"_s + sure +
             u"外部メモリを初期化しています... |  |  /  | 外部メモリの初期化が終了しました。"_s},
        {&frmTunedeck::menuMkDir, 0, u"a:s1 b:"_s, 1, name, nullptr, 0,
         making + u"a:s1 b: %1: | a,b,%1 / s1 | フォルダを作成しました。"_s.arg(name)},
        {&frmTunedeck::menuMkDir, 0, u"a:s1"_s, 0, u""_s, nullptr, 0,
         making + u"a:s1 | a / s1 | フォルダ作成に失敗しました。 Err:フォルダ名が空です。"_s},
        {&frmTunedeck::menuRmDir, 1, u"a: b: c:"_s, 1, QString(), nullptr, 0,
         u"b"_s + removing + u"a: c: | a,c /  | Ready"_s},
        {&frmTunedeck::menuRmDir, 0, u"a:s1"_s, 0, QString(), nullptr, 0,
         u"a"_s + removing + u" |  /  | Ready"_s},
        {&frmTunedeck::menuSend, 0, u""_s, -1, QString(), nullptr, 0,
         u" | b.mp3 をRioに転送しています... |  |  /  | 転送エラー Err:Rioにフォルダがありません。フォルダは必ず必要です。"_s},
        {&frmTunedeck::menuSend, 0, kPlayer, 0, QString(), nullptr, 0,
         u" | b.mp3 をRioに転送しています... | a:s1,s2,s3,b.mp3,c.mp3,d.mp3 b: | a,b / s1,s2,s3,b.mp3,c.mp3,d.mp3 | 転送が終了しました。"_s},
        // The second file refused: the first stays sent and the third is not tried.
        {&frmTunedeck::menuSend, 0, kPlayer, 0, QString(), "AddSong", 2,
         u" | b.mp3 をRioに転送しています... | a:s1,s2,s3,b.mp3 b: | a,b / s1,s2,s3,b.mp3 | 転送エラー Err:故障"_s},
        {&frmTunedeck::menuDown, 0, kPlayer, 0, QString(), "GetSong", 2,
         fetching + u"GetRio01.mp3"_s + shown + u"取得に失敗しました。 Err:故障"_s},
        // Run after the failure above, whose file it keeps.
        {&frmTunedeck::menuDown, 0, kPlayer, 0, QString(), nullptr, 0,
         fetching + u"GetRio01 (2).mp3 GetRio01.mp3 GetRio03.mp3"_s + shown +
             u"曲の取得が終了しました。保存先："_s + folder.path()},
        // Two folders of one name: the songs go from the folder shown.
        {&frmTunedeck::menuDel, 0, u"a:s1,s2 a:t1,t2,t3"_s, 1, QString(), nullptr, 0,
         u"削除します。 | t1 を削除しています... | a:s1,s2 a:t2 | a,a / t2 | 削除が終了しました。"_s},
        {&frmTunedeck::menuDel, 0, kPlayer, 0, QString(), "DeleteSong", 2,
         deleting + u"a:s2,s3 b: | a,b / s2,s3 | 削除に失敗しました。 Err:故障"_s},
        {&frmTunedeck::menuFormat, 0, kPlayer, 0, QString(), "Folders", 1,
         u"内蔵"_s + sure +
             u"内蔵メモリを初期化しています... |  | a,b /  | 内蔵メモリの初期化が終了しました。 曲リストの取得に失敗しました。 Err:故障"_s},
        {&frmTunedeck::menuRmDir, 0, kPlayer, 0, QString(), "DeleteFolder", 1,
         u"a"_s + removing + kPlayer + shown + u"フォルダ削除に失敗しました。 Err:故障"_s},
        {&frmTunedeck::menuRmDir, 0, u"a:s1"_s, 0, QString(), "Format", 1,
         u"a"_s + removing + u"a:s1 | a / s1 | 内蔵メモリの初期化でエラーが発生しました。"_s}};
    for (const auto& [command, memory, before, chosen, typed, failing, nth, expected] : cases) {
        SCOPED_TRACE(expected.toStdString());
        const QString chosenMemory = QString::number(memory), other = QString::number(1 - memory);
        folder.setUpPlayer(u"other:kept"_s, other);
        frmTunedeck& w = startWith(before, chosenMemory);
        w.optRam[memory]->click();
        settle();
        w.cmbFolder->setCurrentIndex(chosen);
        settle();
        selectPositions(*w.lvwSong, {1, 3});
        selectPositions(*w.lvwFile, {2, 3, 4});
        deviceLog->calls.clear();
        takeStatusTexts();
        if (failing)
            deviceLog->failures[QLatin1String(failing)] = {nth, u"故障"_s};
        if (!typed.isNull()) {
            prompts.answerInput(typed);
        } else if (command != &frmTunedeck::menuSend) {
            prompts.answerConfirm(false);
            (w.*command)->trigger();
            EXPECT_TRUE(deviceLog->calls.isEmpty() && takeStatusTexts().isEmpty()) << "answered No";
            prompts.answerConfirm(true);
        }
        // A command that waits on the player's data shows the wait cursor while it runs: removing the last
        // folder is a format.
        const bool waits = command == &frmTunedeck::menuDown || command == &frmTunedeck::menuDel ||
                           command == &frmTunedeck::menuFormat ||
                           (command == &frmTunedeck::menuRmDir && w.cmbFolder->count() == 1);
        (w.*command)->trigger();
        EXPECT_EQ(w.cursor().shape() == Qt::WaitCursor, waits);
        settle();
        const QString asked = command == &frmTunedeck::menuSend ? QString() : prompts.shown().last().text;
        const QString held = command == &frmTunedeck::menuDown
                                 ? QDir(folder.path()).entryList({u"GetRio*"_s}).join(u' ')
                                 : folder.playerState(chosenMemory);
        EXPECT_EQ(asked + u" | "_s + takeStatusTexts().value(0) + u" | "_s + held + u" | "_s + shownState() +
                      u" | "_s + lastStatus() + u" | "_s + folder.playerState(other),
                  expected + u" | other:kept"_s);
    }
}

}  // namespace
}  // namespace tunedeck::testing
