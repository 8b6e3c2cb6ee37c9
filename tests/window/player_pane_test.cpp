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

class PlayerPaneTest : public WindowTest {
  protected:
    // `memory` as `player` says; the file list holding a.mp3 (tagged), b.mp3, c.mp3 and d.mp3 in
    // this order; the song list focused, the log and texts cleared.
    frmTunedeck& startWith(const QString& player = kPlayer, const QString& memory = u"0"_s) {
        folder.setUpPlayer(player, memory);
        workFile(u"a.mp3"_s, mp3File({.title = "Title", .artist = "Artist"}, 100));
        for (const QString& name : {u"b"_s, u"c"_s, u"d"_s})
            workFile(name + u".mp3"_s, name.toUtf8());
        frmTunedeck& w = start();
        clickColumn(*w.lvwFile, 1);
        w.lvwSong->setFocus();
        deviceLog->calls.clear();
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
// and read. Without a player the song list is emptied and the rest keeps what it showed; a player connected
// after the start is read by F5.
TEST_F(PlayerPaneTest, TheFolderTheMemoryAndThePlayerAway) {
    folder.setUpPlayer(kPlayer);
    folder.setUpPlayer(u"card:s1"_s, u"1"_s);
    for (const qint64 kilobytes : {1'234'567, 0, 1000, 999})
        QFile(workFile(QString::number(kilobytes) + u".mp3"_s)).resize(kilobytes * 1024 + 1023);
    frmTunedeck& w = start();
    EXPECT_EQ(takeStatusTexts().mid(4), kRefreshTexts);
    clickColumn(*w.lvwFile, 1);
    EXPECT_EQ(rows(*w.lvwFile).join(u' '),
              u"0.mp3|||0KB 1000.mp3|||1,000KB 1234567.mp3|||1,234,567KB 999.mp3|||999KB"_s);
    EXPECT_EQ(rows(*w.lvwSong).first() + w.stbRioInfo->panelText(2),
              u"s1|a|0KB|内蔵使用:2KB 空き:65,533KB"_s);
    w.lvwSong->setFocus();
    for (const Qt::KeyboardModifier modifier : {Qt::NoModifier, Qt::ShiftModifier}) {
        w.cmbFolder->setCurrentIndex(1);
        QTest::keyClick(w.windowHandle(), Qt::Key_F5, modifier);
        EXPECT_EQ(shownState(), u"a,b / s1,s2,s3"_s);
    }

    const auto internalChosen = [&] {
        return !w.optRam[1]->isEnabled() && w.optRam[0]->isChecked() &&
               w.memory() == PlayerMemory::Internal && shownState() == u"a,b / s1,s2,s3"_s &&
               w.lvwSong->subItemText(0, 3) == u"内蔵"_s;
    };
    const std::pair<const char*, std::function<void()>> cardFoundGone[] = {
        {"send",
         [&] {
             selectPositions(*w.lvwFile, {1});
             w.menuSend->trigger();
         }},
        {"F5", [&] { QTest::keyClick(w.windowHandle(), Qt::Key_F5); }},
        {"refresh", [&] { w.menuRefSong->trigger(); }}};
    for (const auto& [way, find] : cardFoundGone) {
        SCOPED_TRACE(way);
        folder.runPlayer({u"insert-card"_s});
        w.lvwSong->setFocus();
        QTest::keyClick(w.windowHandle(), Qt::Key_F5);
        QTest::mouseClick(w.optRam[1], Qt::LeftButton);
        EXPECT_EQ(rows(*w.lvwSong), QStringList({u"s1|card|0KB|外部"_s}));
        folder.runPlayer({u"remove-card"_s});
        w.lvwSong->setFocus();  // as a click on the list gives it
        takeStatusTexts();
        find();
        EXPECT_TRUE(internalChosen());
        EXPECT_EQ(lastStatus() + folder.playerState(),
                  (way == std::string("send") ? u"転送エラー Err:スマートメディアが入っていません。"_s
                                              : u"Ready"_s) +
                      kPlayer);
        EXPECT_FALSE(takeStatusTexts().contains(
            u"曲リストの取得に失敗しました。 Err:スマートメディアが入っていません。"_s));
    }
    const QString panel2 = w.stbRioInfo->panelText(2);
    folder.runPlayer({u"disconnect"_s});
    w.menuRefSong->trigger();
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

    start();
    EXPECT_EQ(lastStatus() + shownState(), u"Rio500が接続されていません。 / "_s);
    folder.runPlayer({u"connect"_s});
    window->lvwSong->setFocus();
    QTest::keyClick(window->windowHandle(), Qt::Key_F5);
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
// so. Nothing reaches the player from a release on the pressed song, a press on the empty space, a release
// after the right button's, which pops the menu up, or a release outside the list, where a song
// scrolled out of view lies under the pointer.
TEST_F(PlayerPaneTest, ALeftDragExchangesTwoSongsOfTheShownFolder) {
    frmTunedeck& w = startWith(u"a:s1,s2,s3 b:s1,s2,s3"_s);
    ListView& list = *w.lvwSong;
    w.cmbFolder->setCurrentIndex(1);
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
    EXPECT_EQ(folder.playerState() + u" | "_s + shownState(), u"a:s1,s2,s3 b:s3,s2,s1 | a,b / s3,s2,s1"_s);
    // A failed exchange is said, and the list is not read again.
    deviceLog->failures[u"Close"_s] = {1, u"故障"_s};
    mouse(QTest::MousePress, 0);
    mouse(QTest::MouseRelease, 2);
    EXPECT_EQ(lastStatus() + u" | "_s + folder.playerState() + u" | "_s + shownState(),
              u"曲変更でエラーが発生しました。 Err:故障 | a:s1,s2,s3 b:s1,s2,s3 | a,b / s3,s2,s1"_s);

    deviceLog->calls.clear();
    for (const auto& [pressed, released] : {std::pair{1, 1}, {kEmptySpace, 1}}) {
        mouse(QTest::MousePress, pressed);
        mouse(QTest::MouseRelease, released);
    }
    mouse(QTest::MousePress, 0);
    mouse(QTest::MousePress, 2, Qt::RightButton);
    mouse(QTest::MouseRelease, 2, Qt::RightButton);
    EXPECT_TRUE(w.menuSongList->isVisible());
    w.menuSongList->close();
    mouse(QTest::MouseRelease, 2);
    list.resize(list.width(), list.height() - list.viewport()->height() + list.rowViewportPosition(2));
    mouse(QTest::MousePress, 0);
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, {},
                        {list.columnWidth(0) / 2, list.rowViewportPosition(2) + 2});
    EXPECT_TRUE(deviceLog->calls.isEmpty());
}

// Alt+Up and Alt+Down exchange the current song with its neighbour, as a drag does, and the song stays the
// current one; at either end nothing reaches the player.
TEST_F(PlayerPaneTest, AltUpAndAltDownMoveTheCurrentSong) {
    frmTunedeck& w = startWith(u"a:s1,s2,s3 b:s1,s2,s3"_s);
    ListView& list = *w.lvwSong;
    w.cmbFolder->setCurrentIndex(1);
    list.selectRow(2);
    const auto press = [&](Qt::Key key) {
        QTest::keyClick(&list, key, Qt::AltModifier);
        return folder.playerState() + u" | "_s + shownState() + u" | "_s +
               QString::number(list.currentRow()) +
               (list.isItemSelected(list.currentRow()) ? u" selected"_s : u""_s);
    };
    press(Qt::Key_Up);
    EXPECT_EQ(press(Qt::Key_Up), u"a:s1,s2,s3 b:s3,s1,s2 | a,b / s3,s1,s2 | 0 selected"_s);
    deviceLog->calls.clear();
    press(Qt::Key_Up);
    EXPECT_TRUE(deviceLog->calls.isEmpty()) << "the first song has no song above it";
    EXPECT_EQ(press(Qt::Key_Down), u"a:s1,s2,s3 b:s1,s3,s2 | a,b / s1,s3,s2 | 1 selected"_s);
    list.selectRow(2);
    deviceLog->calls.clear();
    press(Qt::Key_Down);
    EXPECT_TRUE(deviceLog->calls.isEmpty()) << "the last song has no song below it";
}

// Another program changed the player after the list was read: Del (pressed, and answered Yes), a download, a
// drag of the first song or the removal of its folder does nothing to the player, reads it again and says so.
// A song is known by its place, name and size; a folder by its place and name only.
TEST_F(PlayerPaneTest, APlayerChangedMeanwhileIsReadAgainNotChanged) {
    frmTunedeck& w = startWith();
    // Each command, and whether it asks first.
    const std::tuple<const char*, std::function<void()>, bool> commands[] = {
        {"Del", [&] { QTest::keyClick(w.windowHandle(), Qt::Key_Delete); }, true},
        {"download", [&] { w.menuDown->trigger(); }, true},
        {"drag", [&] { mouse(QTest::MousePress, 0), mouse(QTest::MouseRelease, 2); }, false},
        {"rmdir", [&] { w.menuRmDir->trigger(); }, true}};
    // What the other program did, and what the player and the pane then hold.
    const std::tuple<const char*, std::function<void(DeviceComponent&)>, QString> changes[] = {
        {"the first song deleted", [](DeviceComponent& d) { d.DeleteSong(0, 0, u"0"_s); },
         u"a:s2,s3 b: | a,b / s2,s3"_s},
        {"the folder removed", [](DeviceComponent& d) { d.DeleteFolder(0, u"0"_s); }, u"b: | b / "_s},
        {"a song of the same name and another size in its place",
         [&](DeviceComponent& d) {
             d.DeleteSong(0, 0, u"0"_s);
             d.AddSong(0, u"s1"_s, writeFile(folder.path() + u"/other"_s, "7 bytes"), u"0"_s);
             d.SwapSong(0, 0, 2, u"0"_s);
         },
         u"a:s1,s3,s2 b: | a,b / s1,s3,s2"_s}};
    for (const auto& [name, command, asks] : commands) {
        for (const auto& [change, changeIt, changed] : changes) {
            if (name == std::string("rmdir") && changed != u"b: | b / "_s)
                continue;
            SCOPED_TRACE(std::string(name) + ", " + change);
            folder.setUpPlayer(kPlayer);
            QTest::keyClick(w.lvwSong, Qt::Key_F5);  // the folders read again too
            selectPositions(*w.lvwSong, {1});
            folder.onPlayer(changeIt);
            if (asks)
                prompts.answerConfirm(true);
            command();
            EXPECT_EQ(folder.playerState() + u" | "_s + shownState() + u" | "_s + lastStatus(),
                      changed + u" | Rioの内容が表示と違っていたため、何もせずに読み直しました。"_s);
            EXPECT_TRUE(QDir(folder.path()).entryList({u"GetRio*"_s}).isEmpty());
        }
    }
}

// A download replaces nothing: song 1 of the card, then song 1 of the internal memory, keep both, and a name
// taken by any entry (a folder, a dangling link, a FIFO) is passed over, each left as it was. The end says
// where the songs went, and so does a cancel once a song was fetched.
TEST_F(PlayerPaneTest, ADownloadTakesTheNextFreeNameAndSaysWhere) {
    folder.setUpPlayer(u"card:c1"_s, u"1"_s);
    for (const QString& name : {u"e1.mp3"_s, u"e2.mp3"_s, u"e3.mp3"_s})
        workFile(name, QByteArray(600'000, 'e'));
    frmTunedeck& w = startWith();
    const QDir fetched(folder.path());
    // Chosen as a user does: the memory clicked, the songs selected, the song list's menu from the keyboard.
    const auto download = [&](int memory, const QList<int>& positions) {
        QTest::mouseClick(w.optRam[memory], Qt::LeftButton);
        selectPositions(*w.lvwSong, positions);
        w.lvwSong->setFocus();
        prompts.answerConfirm(true);
        QTest::keyClick(w.windowHandle(), Qt::Key_Menu);
        w.menuSongList->setActiveAction(w.menuDown);
        QTest::keyClick(w.menuSongList, Qt::Key_Return);
        return lastStatus();
    };
    const QString done = u"曲の取得が終了しました。保存先："_s + folder.path();
    EXPECT_EQ(download(1, {1}), done);
    EXPECT_EQ(download(0, {1}), done);
    ASSERT_TRUE(fetched.mkdir(u"GetRio01 (3).mp3"_s) &&
                QFile::link(folder.path() + u"/none"_s, folder.path() + u"/GetRio01 (4).mp3"_s) &&
                mkfifo(QFile::encodeName(folder.path() + u"/GetRio01 (5).mp3"_s).constData(), 0600) == 0);
    EXPECT_EQ(download(0, {1}), done);
    EXPECT_EQ(fetched.entryList({u"GetRio*"_s}, QDir::AllEntries | QDir::System),
              QStringList({u"GetRio01 (2).mp3"_s, u"GetRio01 (3).mp3"_s, u"GetRio01 (4).mp3"_s,
                           u"GetRio01 (5).mp3"_s, u"GetRio01 (6).mp3"_s, u"GetRio01.mp3"_s}));
    EXPECT_EQ(readFile(fetched.filePath(u"GetRio01.mp3"_s)), QByteArray("c1").repeated(500));
    for (const char* name : {"GetRio01 (2).mp3", "GetRio01 (6).mp3"})
        EXPECT_EQ(readFile(fetched.filePath(QLatin1String(name))), QByteArray("s1").repeated(500)) << name;
    const QFileInfo link(fetched.filePath(u"GetRio01 (4).mp3"_s)),
        fifo(fetched.filePath(u"GetRio01 (5).mp3"_s));
    EXPECT_TRUE(QFileInfo(fetched.filePath(u"GetRio01 (3).mp3"_s)).isDir() && link.isSymLink() &&
                !link.exists() && !fifo.isFile() && fifo.exists());

    // Stopped as the second of three long songs comes: what came before is where the end says.
    selectPositions(*w.lvwFile, {5, 6, 7});
    w.menuSend->trigger();
    ASSERT_EQ(folder.runPlayer({u"set-speed"_s, u"2000"_s}).exitStatus, 0);
    const QMetaObject::Connection pressing =
        QObject::connect(w.stbRioInfo, &StatusBar::panelTextChanged, [&](int, const QString& text) {
            if (text.startsWith(u"e2.mp3 "_s))
                QTest::keyClick(w.windowHandle(), Qt::Key_Escape);
        });
    const qsizetype before = fetched.entryList({u"GetRio*"_s}, QDir::AllEntries | QDir::System).size();
    const QString said = download(0, {4, 5, 6});
    QObject::disconnect(pressing);
    const qsizetype songs =
        fetched.entryList({u"GetRio*"_s}, QDir::AllEntries | QDir::System).size() - before;
    EXPECT_GE(songs, 1);
    EXPECT_EQ(said, u"取得を中止しました。%1曲を取得しました。保存先："_s.arg(songs) + folder.path());
}

// Del leaves the song now at the first deleted place the current one, selected, with the keyboard on the
// list, so the arrows and the next Del go on from there; at the end of the list, the last song.
TEST_F(PlayerPaneTest, DelLeavesTheSongAtTheFirstDeletedPlaceCurrent) {
    frmTunedeck& w = startWith(u"a:s1,s2,s3,s4,s5"_s);
    ListView& list = *w.lvwSong;
    const auto press = [&](Qt::Key key) {
        if (key == Qt::Key_Delete)
            prompts.answerConfirm(true);
        QTest::keyClick(w.windowHandle(), key);
        const int row = list.currentRow();
        return shownState() + u" | "_s + (row >= 0 ? list.itemText(row) : u"none"_s) +
               (list.isItemSelected(row) ? u" selected"_s : u""_s) +
               (w.focusWidget() == &list ? u" focused"_s : u""_s);
    };
    selectPositions(list, {2, 3});
    EXPECT_EQ(press(Qt::Key_Delete), u"a / s1,s4,s5 | s4 selected focused"_s);
    EXPECT_EQ(press(Qt::Key_Down), u"a / s1,s4,s5 | s5 selected focused"_s);
    EXPECT_EQ(press(Qt::Key_Delete), u"a / s1,s4 | s4 selected focused"_s);
    EXPECT_EQ(press(Qt::Key_Up), u"a / s1,s4 | s1 selected focused"_s);
    EXPECT_EQ(press(Qt::Key_Delete), u"a / s4 | s4 selected focused"_s);
    EXPECT_EQ(press(Qt::Key_Delete), u"a /  | none focused"_s);
}

// A reading that finds the player held by another program past the wait has learnt nothing: the pane keeps
// its songs, folders and figures, and the memory and folder they are of, and says why.
TEST_F(PlayerPaneTest, APlayerHeldByAnotherProgramKeepsWhatThePaneShowed) {
    frmTunedeck& w = startWith(u"a:s1,s2 b:t1,t2"_s);
    w.cmbFolder->setCurrentIndex(1);
    const QString figures = w.stbRioInfo->panelText(2);
    const auto shown = [&] {
        return shownState() + u" | "_s + w.cmbFolder->currentText() + u" | "_s + rows(*w.lvwSong).join(u' ') +
               u" | "_s + w.stbRioInfo->panelText(2) +
               (w.optRam[0]->isChecked() ? u" | 内蔵"_s : u" | 外部"_s);
    };
    const QString before = shown();
    ASSERT_EQ(before, u"a,b / t1,t2 | b | t1|b|0KB|内蔵 t2|b|0KB|内蔵 | "_s + figures + u" | 内蔵"_s);
    {
        const auto holder = createEmulatedPlayer(folder.storePath());
        holder->Open();
        QTest::mouseClick(w.optRam[1], Qt::LeftButton);
        EXPECT_EQ(shown(), before);
        EXPECT_EQ(w.memory(), PlayerMemory::Internal);
        EXPECT_EQ(lastStatus(), u"Rioは別のプログラムが使用中のため、前に読んだ内容を表示しています。"_s);
        EXPECT_TRUE(statusShownWhole());
        holder->Close();
    }
    w.lvwSong->setFocus();
    QTest::keyClick(w.windowHandle(), Qt::Key_F5);
    EXPECT_EQ(shownState() + u" | "_s + lastStatus(), u"a,b / s1,s2 | Ready"_s);
}

// A send, a download or a delete shows its progress in the status bar: as the second of three songs starts,
// the first song's bytes of the run's. Esc during a send on a slow link stops it inside the song in flight:
// the songs before it stay sent, nothing of it is left, and the end says how many went. A close request
// during a download stops it too, leaves no half file, and the window then closes, writing its settings.
TEST_F(PlayerPaneTest, EscOrACloseStopsARun) {
    for (const QString& name : {u"e1.mp3"_s, u"e2.mp3"_s, u"e3.mp3"_s})
        workFile(name, QByteArray(600'000, 'e'));
    frmTunedeck& w = startWith(u"a:"_s);
    ASSERT_EQ(folder.runPlayer({u"set-speed"_s, u"2000"_s}).exitStatus, 0);
    selectPositions(*w.lvwFile, {5, 6, 7});
    bool barShown = false;
    auto pressing =
        QObject::connect(w.stbRioInfo, &StatusBar::panelTextChanged, [&](int, const QString& text) {
            if (text.startsWith(u"e2.mp3 "_s)) {
                const QProgressBar* bar = w.stbRioInfo->progressBar();
                barShown = bar->isVisible() && w.stbRioInfo->cancelButton()->isVisible() &&
                           bar->format() == u"1/3曲"_s && bar->value() == bar->maximum() / 3;
                QTest::keyClick(w.windowHandle(), Qt::Key_Escape);
            }
        });
    w.menuSend->trigger();
    QObject::disconnect(pressing);
    EXPECT_TRUE(barShown && !w.stbRioInfo->progressBar()->isVisible());
    EXPECT_EQ(folder.playerState() + u" | "_s + lastStatus(),
              u"a:e1.mp3 | 転送を中止しました。1個のファイルを転送しました。"_s);

    selectPositions(*w.lvwSong, {1});
    prompts.answerConfirm(true);
    bool refused = false;
    pressing = QObject::connect(w.stbRioInfo, &StatusBar::panelTextChanged, [&](int, const QString& text) {
        if (text.endsWith(u" を取得しています..."_s))
            refused = !w.close();
    });
    w.menuDown->trigger();
    EXPECT_TRUE(refused) << "closed under the run";
    QObject::disconnect(pressing);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w.isVisible(); }, 2000)) << "not closed after the run";
    EXPECT_FALSE(QFile::exists(folder.path() + u"/GetRio01.mp3"_s));
    EXPECT_EQ(folder.settings().readInt(u"Separate"_s, -1), 2000);
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
    const Item send = &frmTunedeck::menuSend, down = &frmTunedeck::menuDown, del = &frmTunedeck::menuDel,
               format = &frmTunedeck::menuFormat, mkdir = &frmTunedeck::menuMkDir,
               rmdir = &frmTunedeck::menuRmDir;
    const QString name = u"  新しい フォルダ "_s, shown = u" | a,b / s1,s2,s3 | "_s,
                  sure = u"メモリをフォーマットします。\rよろしいですか？ | "_s;
    const QString making = u"作るフォルダの名前を指定します。 | フォルダを作成しています... | "_s,
                  removing = u"を削除します。\rよろしいですか？ | フォルダを削除しています... | "_s;
    const QString fetching = u"曲を取得します。 | s1 を取得しています... | "_s,
                  deleting = u"削除します。 | s1 を削除しています... | "_s;
    const std::tuple<Item, int, QString, int, QString, const char*, int, QString> cases[] = {
        {format, 1, u"a:s1 b:"_s, 1, QString(), nullptr, 0,
         u"外部"_s + sure +
             u"外部メモリを初期化しています... |  |  /  | 外部メモリの初期化が終了しました。"_s},
        {mkdir, 0, u"a:s1 b:"_s, 1, name, nullptr, 0,
         making + u"a:s1 b: %1: | a,b,%1 / s1 | フォルダを作成しました。"_s.arg(name)},
        {mkdir, 0, u"a:s1"_s, 0, u""_s, nullptr, 0,
         making + u"a:s1 | a / s1 | フォルダ作成に失敗しました。 Err:フォルダ名が空です。"_s},
        {rmdir, 1, u"a: b: c:"_s, 1, QString(), nullptr, 0, u"b"_s + removing + u"a: c: | a,c /  | Ready"_s},
        {rmdir, 0, u"a:s1"_s, 0, QString(), nullptr, 0, u"a"_s + removing + u" |  /  | Ready"_s},
        {send, 0, u""_s, -1, QString(), nullptr, 0,
         u" | b.mp3 をRioに転送しています... |  |  /  | 転送エラー Err:Rioにフォルダがありません。フォルダは必ず必要です。"_s},
        {send, 0, kPlayer, 0, QString(), nullptr, 0,
         u" | b.mp3 をRioに転送しています... | a:s1,s2,s3,b.mp3,c.mp3,d.mp3 b: | a,b / s1,s2,s3,b.mp3,c.mp3,d.mp3 | 転送が終了しました。"_s},
        // The second file refused: the first stays sent and the third is not tried.
        {send, 0, kPlayer, 0, QString(), "AddSong", 2,
         u" | b.mp3 をRioに転送しています... | a:s1,s2,s3,b.mp3 b: | a,b / s1,s2,s3,b.mp3 | 転送エラー Err:故障"_s},
        {down, 0, kPlayer, 0, QString(), "GetSong", 2,
         fetching + u"GetRio01.mp3"_s + shown + u"取得に失敗しました。 Err:故障"_s},
        // Run after the failure above, whose file it keeps.
        {down, 0, kPlayer, 0, QString(), nullptr, 0,
         fetching + u"GetRio01 (2).mp3 GetRio01.mp3 GetRio03.mp3"_s + shown +
             u"曲の取得が終了しました。保存先："_s},
        {del, 0, kPlayer, 0, QString(), nullptr, 0,
         deleting + u"a:s2 b: | a,b / s2 | 削除が終了しました。"_s},
        // Two folders of one name: the songs go from the folder shown.
        {del, 0, u"a:s1,s2 a:t1,t2,t3"_s, 1, QString(), nullptr, 0,
         u"削除します。 | t1 を削除しています... | a:s1,s2 a:t2 | a,a / t2 | 削除が終了しました。"_s},
        {del, 0, kPlayer, 0, QString(), "DeleteSong", 2,
         deleting + u"a:s2,s3 b: | a,b / s2,s3 | 削除に失敗しました。 Err:故障"_s},
        {format, 0, kPlayer, 0, QString(), "Folders", 1,
         u"内蔵"_s + sure +
             u"内蔵メモリを初期化しています... |  | a,b /  | 内蔵メモリの初期化が終了しました。 曲リストの取得に失敗しました。 Err:故障"_s},
        {rmdir, 0, kPlayer, 0, QString(), "DeleteFolder", 1,
         u"a"_s + removing + kPlayer + shown + u"フォルダ削除に失敗しました。 Err:故障"_s},
        {rmdir, 0, u"a:s1"_s, 0, QString(), "Format", 1,
         u"a"_s + removing + u"a:s1 | a / s1 | 内蔵メモリの初期化でエラーが発生しました。"_s}};
    for (const auto& [command, memory, before, chosen, typed, failing, nth, expected] : cases) {
        SCOPED_TRACE(expected.toStdString());
        const QString chosenMemory = QString::number(memory), other = QString::number(1 - memory);
        folder.setUpPlayer(u"other:kept"_s, other);
        frmTunedeck& w = startWith(before, chosenMemory);
        w.optRam[memory]->click();
        w.cmbFolder->setCurrentIndex(chosen);
        selectPositions(*w.lvwSong, {1, 3});
        selectPositions(*w.lvwFile, {2, 3, 4});
        deviceLog->calls.clear();
        takeStatusTexts();
        if (failing)
            deviceLog->failures[QLatin1String(failing)] = {nth, u"故障"_s};
        if (typed.isNull() && command != send) {
            prompts.answerConfirm(false);
            (w.*command)->trigger();
            EXPECT_TRUE(deviceLog->calls.isEmpty() && takeStatusTexts().isEmpty()) << "answered No";
            prompts.answerConfirm(true);
        } else if (!typed.isNull()) {
            prompts.answerInput(typed);
        }
        (w.*command)->trigger();
        const QString asked = command == send ? QString() : prompts.shown().last().text;
        const QString held = command == down ? QDir(folder.path()).entryList({u"GetRio*"_s}).join(u' ')
                                             : folder.playerState(chosenMemory);
        EXPECT_EQ(asked + u" | "_s + takeStatusTexts().value(0) + u" | "_s + held + u" | "_s + shownState() +
                      u" | "_s + lastStatus(),
                  expected + (expected.endsWith(u"保存先："_s) ? folder.path() : QString()));
        EXPECT_EQ(folder.playerState(other), u"other:kept"_s);
    }
}

// A download's files are named by the songs' positions, in two digits at least, and numbered from (2) before
// the extension where the name is taken. Positions 2, 3 and 5 deleted in that order: each moves up by the
// number deleted before it.
TEST(SongPositions, DownloadNamesAndDeletedIndices) {
    EXPECT_EQ(downloadFileName(1) + u' ' + downloadFileName(100), u"GetRio01.mp3 GetRio100.mp3"_s);
    for (const auto& [name, taken, free] :
         {std::tuple{u"GetRio01.mp3"_s, QStringList(), u"GetRio01.mp3"_s},
          {u"GetRio01.mp3"_s, QStringList{u"GetRio01.mp3"_s}, u"GetRio01 (2).mp3"_s},
          {u"GetRio01.mp3"_s, QStringList{u"GetRio01.mp3"_s, u"GetRio01 (2).mp3"_s, u"GetRio01 (4).mp3"_s},
           u"GetRio01 (3).mp3"_s},
          {u"GetRio01.mp3"_s, QStringList{u"GetRio01 (2).mp3"_s}, u"GetRio01.mp3"_s},
          {u"notes"_s, QStringList{u"notes"_s}, u"notes (2)"_s},
          {u"a.mp3"_s, QStringList{u"a.mp3"_s}, u"a (2).mp3"_s},
          {u".mp3"_s, QStringList{u".mp3"_s}, u".mp3 (2)"_s}})
        EXPECT_EQ(freeFileName(name, [&](const QString& each) { return taken.contains(each); }), free);
    EXPECT_EQ(QList<qint32>({deletedSongIndex(2, 0), deletedSongIndex(3, 1), deletedSongIndex(5, 2)}),
              QList<qint32>({1, 1, 2}));
}

}  // namespace
}  // namespace tunedeck::testing
