#include "window_fixture.h"

#include "input_state.h"
#include "music_files.h"

#include <QCoreApplication>
#include <QDrag>
#include <QDropEvent>
#include <QFile>
#include <QImage>
#include <QMimeData>
#include <QTest>

#include <map>

using namespace Qt::StringLiterals;

namespace tunedeck::testing {
namespace {

const QString kPlayer = u"a:s1,s2,s3 b:"_s;   // the internal memory, unless a test says otherwise
const QString kTitleA = u"Artist - Title"_s;  // a.mp3, the one tagged file
constexpr int kEmptySpace = -1;  // a row standing for the song list's empty space below the songs

QString sending(const QString& title) {
    return title + u" をRioに転送しています..."_s;
}

class PlayerPaneTest : public WindowTest {
  protected:
    // The internal memory as `player` says (a null text leaves the player as it is); the file list holding
    // a.mp3 (tagged), b.mp3, c.mp3 and d.mp3 in this order; the song list focused, the log and texts cleared.
    frmTunedeck& startWith(const QString& player = kPlayer) {
        if (!player.isNull())
            setUpPlayer(player);
        workFile(u"a.mp3"_s, mp3File({.title = "Title", .artist = "Artist"}, 100));
        for (const QString& name : {u"b"_s, u"c"_s, u"d"_s})
            workFile(name + u".mp3"_s, name.toUtf8());
        frmTunedeck& w = start();
        w.lvwFile_ColumnClick(1);
        w.lvwSong->setFocus();
        recorder->clearCalls();
        takeStatusTexts();
        return w;
    }

    // The calls that put one file of the working folder into folder 0 of the internal memory.
    QStringList sendCalls(const QString& file, const QString& title) const {
        return {u"Open()"_s, u"FontName(\"MS UI Gothic\")"_s, u"FontSize(9)"_s,
                u"AddSong(0, \""_s + title + u"\", \""_s + working.filePath(file) + u"\", \"0\")"_s,
                u"Close()"_s};
    }

    // Records how the window is held at each text ending in `progress`: the pointer, the window, the player
    // pane, and the player commands of the menu bar.
    void watchHeld(const QString& progress) {
        onStatusText = [this, progress](const QString& text) {
            if (text.endsWith(progress))
                held << QStringLiteral("%1 window %2 pane %3 menu %4")
                            .arg(window->cursor().shape() == Qt::WaitCursor ? u"wait"_s : u"arrow"_s)
                            .arg(window->isEnabled())
                            .arg(window->fraSong->isEnabled())
                            .arg(window->menuFormat->isEnabled());
        };
    }
    QStringList held;

    // A mouse action of `button` on the song list over `row`.
    void mouse(QTest::MouseAction action, int row, Qt::MouseButton button = Qt::LeftButton) const {
        const ListView& list = *window->lvwSong;
        const QPoint at = row == kEmptySpace ? QPoint(list.columnWidth(0) / 2, list.viewport()->height() - 4)
                                             : list.visualRect(list.model()->index(row, 0)).center();
        QTest::mouseEvent(action, list.viewport(), button, {}, at);
    }
};

// The computer pane fills first, through the drive change; then the player is read in one bracket. Sizes are
// whole kilobytes with the rest dropped; the memory panel counts the songs of the shown folder. The card
// taken out while it is the chosen memory: its option goes grey, the choice stays, and the player's refusal
// to read it is reported. Without a player the song list is emptied and the rest keeps what it showed.
TEST_F(PlayerPaneTest, StartUpTheCardTakenOutAndThePlayerAway) {
    onPlayer([&](DeviceComponent& device) {
        for (const int size : {1000000, 2500000, 1023})
            device.AddSong(0, QString::number(size),
                           writeFile(folder.path() + u"/song"_s, QByteArray(size, 'x')), u"0"_s);
    });
    setUpPlayer(u"card:s1"_s, u"1"_s);
    frmTunedeck& w = start();
    EXPECT_EQ(recorder->calls(), refreshCalls(true));
    EXPECT_EQ(takeStatusTexts().mid(4), kRefreshTexts);
    const QString in = u"|"_s + w.cmbFolder->itemText(0) + u"|"_s;
    EXPECT_EQ(rows(*w.lvwSong),
              QStringList({u"1000000"_s + in + u"976KB|内蔵"_s, u"2500000"_s + in + u"2,441KB|内蔵"_s,
                           u"1023"_s + in + u"0KB|内蔵"_s}));
    EXPECT_EQ(w.stbRioInfo->panelText(2), u"使用:3,418KB 空き:62,117KB"_s);

    recorder->clearCalls();
    QTest::mouseClick(w.optRam[1], Qt::LeftButton);
    EXPECT_EQ(recorder->calls(), refreshCalls(true, 0, u"1"_s));
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
    recorder->clearCalls();
    w.lvwSong_KeyDown(input::kKeyF5, 0);
    EXPECT_EQ(recorder->calls(), QStringList({u"Open()"_s}));
    EXPECT_EQ(lastStatus(), u"Rio500が接続されていません。"_s);
    EXPECT_EQ(shownState() + w.stbRioInfo->panelText(2), w.cmbFolder->itemText(0) + u" / "_s + panel2);
    EXPECT_FALSE(w.optRam[1]->isEnabled());
    expectGivenBack(w.optRam[0]);
}

// Choosing a folder lists it without reading the folders again, and the refresh's own choice starts no second
// refresh; the menu keeps the chosen folder, F5 (Shift or not) reads the folders again and chooses the first.
// F5 arrives through the window's focus, as a user's key press does: a refresh disables the window and must
// give the focus back, or the second F5 goes nowhere.
TEST_F(PlayerPaneTest, TheChosenFolderAndF5) {
    frmTunedeck& w = startWith(u"a b:s1"_s);
    w.cmbFolder->setCurrentIndex(1);
    EXPECT_EQ(recorder->calls(), refreshCalls(false, 1));
    w.menuRefSong_Click();
    EXPECT_EQ(rows(*w.lvwSong), QStringList({u"s1|b|0KB|内蔵"_s}));
    for (const Qt::KeyboardModifier modifier : {Qt::NoModifier, Qt::ShiftModifier}) {
        w.cmbFolder->setCurrentIndex(1);
        recorder->clearCalls();
        QTest::keyClick(w.windowHandle(), Qt::Key_F5, modifier);
        EXPECT_EQ(recorder->calls(), refreshCalls(true));
        EXPECT_EQ(shownState(), u"a,b / "_s);
        EXPECT_EQ(w.focusWidget(), w.lvwSong);
    }
}

// The selected files in list order, one bracket each, then the list read again. Between files the window
// stays usable with the arrow and only the player pane is held; another folder chosen in the tree meanwhile
// changes neither the files of the send nor where they go.
TEST_F(PlayerPaneTest, SendByMenuSendsTheSelectedFilesInListOrder) {
    frmTunedeck& w = startWith();
    const QString other = QFileInfo(workFile(u"other/x.mp3"_s)).path();
    w.lvwFile->setFocus();
    selectPositions(*w.lvwFile, {4, 1, 2});
    watchHeld(u" をRioに転送しています..."_s);
    const auto watch = onStatusText;
    onStatusText = [&](const QString& text) {
        watch(text);
        if (text == sending(u"b.mp3"_s))
            w.dirlst->setPath(other);
    };
    w.menuSend_Click();
    EXPECT_EQ(recorder->calls(), sendCalls(u"a.mp3"_s, kTitleA) + sendCalls(u"b.mp3"_s, u"b.mp3"_s) +
                                     sendCalls(u"d.mp3"_s, u"d.mp3"_s) + refreshCalls(false));
    EXPECT_EQ(takeStatusTexts(),
              QStringList({sending(kTitleA), sending(u"b.mp3"_s), u"ファイル情報を取得中..."_s, u"Ready"_s,
                           sending(u"d.mp3"_s)}) +
                  kRefreshTexts + QStringList{u"転送が終了しました。"_s});
    EXPECT_EQ(held, QStringList(3, u"arrow window 1 pane 0 menu 0"_s));
    EXPECT_EQ(rows(*w.lvwFile, 1), QStringList({u"x.mp3"_s}));
    EXPECT_EQ(playerState() + u" | "_s + shownState(),
              u"a:s1,s2,s3,Artist - Title,b.mp3,d.mp3 b: | a,b / s1,s2,s3,Artist - Title,b.mp3,d.mp3"_s);
    expectGivenBack(w.lvwFile);
}

// An empty song list asks nothing before a download or a deletion. The menu send stops at the missing folder,
// a drop reports it for every file and reads nothing again; an empty file list sends nothing at all.
TEST_F(PlayerPaneTest, WithoutAFolderNothingReachesThePlayer) {
    frmTunedeck& w = startWith(u""_s);
    const QString noFolder = u"Rioにフォルダがありません。フォルダは必ず必要です。"_s;
    w.menuDown_Click();
    w.menuDel_Click();
    selectPositions(*w.lvwFile, {2, 3});
    w.menuSend_Click();
    EXPECT_EQ(recorder->calls(), refreshCalls(true, -1));
    EXPECT_EQ(takeStatusTexts(), QStringList({sending(u"b.mp3"_s), u"転送エラー Err:"_s + noFolder}) +
                                     kRefreshTexts + QStringList{u"転送エラー Err:"_s + noFolder});
    recorder->clearCalls();
    w.lvwSong_OLEDragDrop({working.filePath(u"b.mp3"_s), working.filePath(u"c.mp3"_s)});
    w.fillFileList(working.filePath(u"none"_s));
    w.menuSend_Click();
    EXPECT_TRUE(recorder->calls().isEmpty());
    EXPECT_EQ(takeStatusTexts(),
              QStringList({sending(u"b.mp3"_s), noFolder, sending(u"c.mp3"_s), noFolder,
                           u"0個のファイルを転送しました。"_s, u"ファイル情報を取得中..."_s, u"Ready"_s}));
}

// Selected files dragged from the file list go in the list's order, their paths coming through the drag
// unchanged. A drop tries every local path, whatever the file; the files stay where they were. The song list
// only takes drops: its press and release exchange two songs.
TEST_F(PlayerPaneTest, DragAndDropSendEveryLocalFile) {
    const QString odd = u"b #1 100% 曲?.mp3"_s;
    workFile(odd);
    workFile(u"notes.txt"_s, "not music");
    frmTunedeck& w = startWith();
    selectPositions(*w.lvwFile, {1, 2});
    ASSERT_EQ(w.lvwFile->itemText(1), odd);

    // Pressed on a selected file and moved: the drag starts. The offscreen desktop ends every drag at once,
    // so what the drag carries is dropped on the song list by hand, as the desktop drops: it enters, then
    // drops.
    const QPoint from = w.lvwFile->visualRect(w.lvwFile->model()->index(0, 0)).center();
    QTest::mousePress(w.lvwFile->viewport(), Qt::LeftButton, {}, from);
    QTest::mouseMove(w.lvwFile->viewport(), from + QPoint(0, 5));
    QTest::mouseMove(w.lvwFile->viewport(), from + QPoint(0, 40));
    const QDrag* drag = w.lvwFile->findChild<QDrag*>();
    ASSERT_NE(drag, nullptr);
    QMimeData data;
    data.setUrls(drag->mimeData()->urls() << QUrl(u"https://example.com/e.mp3"_s)
                                          << QUrl::fromLocalFile(working.filePath(u"notes.txt"_s)));
    const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(QPoint(10, 10), offered, &data, Qt::LeftButton, Qt::NoModifier);
    QDropEvent dropped(QPointF(10, 10), offered, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w.lvwSong->viewport(), &enter);
    QCoreApplication::sendEvent(w.lvwSong->viewport(), &dropped);
    EXPECT_TRUE(enter.isAccepted() && dropped.isAccepted() && dropped.dropAction() == Qt::CopyAction);
    QCoreApplication::processEvents();  // the drop queues the send

    EXPECT_EQ(recorder->calls().mid(0, 10), sendCalls(u"a.mp3"_s, kTitleA) + sendCalls(odd, odd));
    EXPECT_EQ(takeStatusTexts(), QStringList({sending(kTitleA), sending(odd), sending(u"notes.txt"_s),
                                              u"3個のファイルを転送しました。"_s}) +
                                     kRefreshTexts);
    EXPECT_EQ(playerState(), u"a:s1,s2,s3,Artist - Title,"_s + odd + u",notes.txt b:"_s);
    EXPECT_FALSE(w.lvwSong->dragEnabled());
    expectGivenBack(w.lvwFile);
}

// Files named by position, byte for byte what the player holds; one bracket with the whole window held, and
// nothing read again afterwards.
TEST_F(PlayerPaneTest, DownloadWritesEachSongByItsPosition) {
    frmTunedeck& w = startWith(u"a:s1,s2,s3,s4,s5,s6,s7,s8,s9,s10"_s);
    selectPositions(*w.lvwSong, {10, 2});
    watchHeld(u" を取得しています..."_s);
    prompts.answerConfirm(true);
    w.menuDown_Click();
    QStringList calls = {u"Open()"_s};
    for (const int position : {2, 10}) {
        const QString file = folder.path() + u"/GetRio%1.mp3"_s.arg(position, 2, 10, QChar(u'0'));
        calls << u"GetSong(0, %1, \"%2\", \"0\")"_s.arg(position - 1).arg(file);
        QFile fetched(file);
        EXPECT_TRUE(fetched.open(QIODevice::ReadOnly) &&
                    fetched.readAll() == songBytes(u"s%1"_s.arg(position)));
    }
    EXPECT_EQ(recorder->calls(), calls << u"Close()"_s);
    EXPECT_EQ(takeStatusTexts(), QStringList({u"s2 を取得しています..."_s, u"s10 を取得しています..."_s,
                                              u"曲の取得が終了しました。"_s}));
    EXPECT_EQ(held, QStringList(2, u"wait window 0 pane 0 menu 1"_s));
    expectGivenBack(w.lvwSong);
}

// Positions 2, 3 and 5 of five, deleted by the Delete key: each deletion moves the later songs up, one
// bracket a song, and the list is read again at the end. The player pane is held; the upper pane is not.
TEST_F(PlayerPaneTest, DeleteAsksForEachSongWhereItHasMovedTo) {
    frmTunedeck& w = startWith(u"a:s1,s2,s3,s4,s5"_s);
    selectPositions(*w.lvwSong, {2, 3, 5});
    watchHeld(u" を削除しています..."_s);
    prompts.answerConfirm(true);
    QTest::keyClick(w.windowHandle(), Qt::Key_Delete);
    QStringList calls;
    for (const int index : {1, 1, 2})
        calls << u"Open()"_s << u"DeleteSong(0, %1, \"0\")"_s.arg(index) << u"Close()"_s;
    EXPECT_EQ(recorder->calls(), calls + refreshCalls(false));
    EXPECT_EQ(playerState() + u" | "_s + shownState(), u"a:s1,s4 | a / s1,s4"_s);
    EXPECT_EQ(takeStatusTexts(), QStringList({u"s2 を削除しています..."_s, u"s3 を削除しています..."_s,
                                              u"s5 を削除しています..."_s}) +
                                     kRefreshTexts + QStringList{u"削除が終了しました。"_s});
    EXPECT_EQ(held, QStringList(3, u"wait window 1 pane 0 menu 0"_s));
    expectGivenBack(w.lvwSong);
    w.lvwFile->setFocus();
    QTest::keyClick(w.windowHandle(), Qt::Key_Delete);  // the file list has no delete: no question comes
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
    recorder->clearCalls();
    const auto rowImage = [&] {
        const QRect cell = list.visualRect(list.model()->index(2, 0));
        return list.viewport()->grab({0, cell.top(), list.viewport()->width(), cell.height()}).toImage();
    };
    const QImage unmarked = rowImage();
    mouse(QTest::MousePress, 0);
    for (const auto& [row, marked] : {std::pair{0, -1}, {2, 2}, {kEmptySpace, -1}}) {
        mouse(QTest::MouseMove, row);
        EXPECT_EQ(list.markedRow(), marked) << row;
        EXPECT_EQ(rowImage() == unmarked, marked != 2) << row;
        EXPECT_TRUE(list.isItemSelected(0) && !list.isItemSelected(2));
    }
    mouse(QTest::MouseRelease, 2);
    EXPECT_EQ(recorder->calls(), QStringList({u"Open()"_s, u"SwapSong(1, 0, 2, \"0\")"_s, u"Close()"_s}) +
                                     refreshCalls(false, 1));
    EXPECT_EQ(playerState() + u" | "_s + shownState(), u"a:s1,s2,s3 b:s3,s2,s1 | a,b / s3,s2,s1"_s);
    EXPECT_EQ(list.tag(), u"-1"_s);

    recorder->clearCalls();
    for (const auto& [pressed, released] : {std::pair{1, 1}, {kEmptySpace, 1}}) {
        mouse(QTest::MousePress, pressed);
        mouse(QTest::MouseRelease, released);
    }
    mouse(QTest::MousePress, 0);
    mouse(QTest::MousePress, 2, Qt::RightButton);
    EXPECT_FALSE(w.menuSongList->isVisible()) << "the menu comes with the release";
    mouse(QTest::MouseRelease, 2, Qt::RightButton);
    EXPECT_TRUE(w.menuSongList->isVisible());
    w.menuSongList->close();
    mouse(QTest::MouseRelease, 2);
    list.resize(list.width(), list.height() - list.viewport()->height() + list.rowViewportPosition(2));
    const QPoint outside(list.columnWidth(0) / 2, list.rowViewportPosition(2) + 2);
    ASSERT_FALSE(list.viewport()->rect().contains(outside));
    mouse(QTest::MousePress, 0);
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, outside);
    EXPECT_TRUE(recorder->calls().isEmpty());
}

// Each command on memory `memory` holding `before` (the other memory holding a folder of its own), with the
// folder `chosen` shown: the question, then the player and the panes read again, the last text. The name goes
// as typed, also empty when the box was cancelled, for the player to refuse; removing the last folder or
// none erases the memory.
TEST_F(PlayerPaneTest, FolderCommandsAndFormatChangeOnlyTheChosenMemory) {
    const QString name = u"  新しい フォルダ "_s;
    const QString sure = u"\rよろしいですか？"_s;
    const QString mkdir = u"作るフォルダの名前を指定します。"_s;
    const std::tuple<void (frmTunedeck::*)(), int, QString, int, QString, QString, QString, QString, QString>
        cases[] = {
            {&frmTunedeck::menuFormat_Click, 1, u"a:s1 b:"_s, 1, u"外部メモリをフォーマットします。"_s + sure,
             QString(), u""_s, u" / "_s, u"外部メモリの初期化が終了しました。"_s},
            {&frmTunedeck::menuMkDir_Click, 0, u"a:s1 b:"_s, 1, mkdir, name, u"a:s1 b: "_s + name + u":"_s,
             u"a,b,"_s + name + u" / s1"_s, u"フォルダを作成しました。"_s},
            {&frmTunedeck::menuMkDir_Click, 0, u"a:s1"_s, 0, mkdir, u""_s, u"a:s1"_s, u"a / s1"_s,
             u"フォルダ作成に失敗しました。 Err:フォルダ名が空です。"_s},
            {&frmTunedeck::menuRmDir_Click, 1, u"a: b: c:"_s, 1, u"bを削除します。"_s + sure, QString(),
             u"a: c:"_s, u"a,c / "_s, u"Ready"_s},
            {&frmTunedeck::menuRmDir_Click, 0, u"a:s1"_s, 0, u"aを削除します。"_s + sure, QString(), u""_s,
             u" / "_s, u"Ready"_s},
            {&frmTunedeck::menuRmDir_Click, 0, u""_s, -1, u"を削除します。"_s + sure, QString(), u""_s,
             u" / "_s, u"Ready"_s},
        };
    for (const auto& [command, memory, before, chosen, asked, typed, after, shown, last] : cases) {
        SCOPED_TRACE(asked.toStdString());
        const QString other = QString::number(1 - memory);
        setUpPlayer(u"other:kept"_s, other);
        setUpPlayer(before, QString::number(memory));
        frmTunedeck& w = startWith(QString());
        w.optRam[memory]->click();
        w.cmbFolder->setCurrentIndex(chosen);
        if (typed.isNull())
            prompts.answerConfirm(true);
        else
            prompts.answerInput(typed);
        (w.*command)();
        EXPECT_EQ(prompts.shown().last().text, asked);
        EXPECT_EQ(lastStatus(), last);
        EXPECT_EQ(playerState(QString::number(memory)) + u"|"_s + playerState(other) + u"|"_s + shownState(),
                  after + u"|other:kept|"_s + shown);
        expectGivenBack(w.lvwSong);
    }
}

// A device call failing in each command, where the failure leaves a result of its own: the last text says
// what happened and none that the command was done, the window comes back usable with the player closed, and
// the player and the panes hold what was done before the failure. Each command starts on kPlayer with folder
// a shown, songs 1 and 3 and files b.mp3 and c.mp3 selected; one that asks is answered No first, which
// changes nothing. Null states stand for "as before"; for a download the player column lists the files
// fetched.
TEST_F(PlayerPaneTest, AFailureGivesTheWindowBackWithWhatWasDone) {
    const QString formatted = u"内蔵メモリの初期化が終了しました。"_s;
    const std::tuple<std::string, const char*, int, QString, const char*, const char*> cases[] = {
        {"swap", "Close", 1, u"曲変更でエラーが発生しました。 Err:故障"_s,
         "a:s3,s2,s1 b:", nullptr},  // listed later
        {"send", "Close", 1, u"転送エラー Err:故障"_s, "a:s1,s2,s3,b.mp3 b:", "a,b / s1,s2,s3,b.mp3"},
        {"drop", "AddSong", 1, u"故障"_s, "a:s1,s2,s3,c.mp3 b:", "a,b / s1,s2,s3,c.mp3"},  // and goes on
        {"download", "GetSong", 2, u"取得に失敗しました。 Err:故障"_s, "GetRio01.mp3", nullptr},
        {"delete", "Open", 1, u"削除に失敗しました。 Err:故障"_s, nullptr, nullptr},
        {"delete", "DeleteSong", 2, u"削除に失敗しました。 Err:故障"_s, "a:s2,s3 b:", "a,b / s2,s3"},
        {"format", "Folders", 1, formatted + u" 曲リストの取得に失敗しました。 Err:故障"_s, "", "a,b / "},
        {"rmdir", "DeleteFolder", 1, u"フォルダ削除に失敗しました。 Err:故障"_s, nullptr, nullptr},
        // The last folder: a failed format is not hidden by the list read after it.
        {"rmdir-last", "Format", 1, u"内蔵メモリの初期化でエラーが発生しました。"_s, nullptr, nullptr},
    };
    const std::map<std::string, void (frmTunedeck::*)()> clicks = {
        {"send", &frmTunedeck::menuSend_Click},   {"download", &frmTunedeck::menuDown_Click},
        {"delete", &frmTunedeck::menuDel_Click},  {"format", &frmTunedeck::menuFormat_Click},
        {"rmdir", &frmTunedeck::menuRmDir_Click}, {"rmdir-last", &frmTunedeck::menuRmDir_Click}};
    for (const auto& [command, member, nth, text, player, shown] : cases) {
        SCOPED_TRACE(command + ' ' + member + ' ' + std::to_string(nth));
        const QString before = command == "rmdir-last" ? u"a:s1,s2,s3"_s : kPlayer;
        frmTunedeck& w = startWith(before);
        const QString shownBefore = shownState();
        selectPositions(*w.lvwSong, {1, 3});
        selectPositions(*w.lvwFile, {2, 3});
        if (command == "send")
            w.lvwFile->setFocus();
        recorder->failCall(QLatin1String(member), nth, u"故障"_s);
        if (command == "swap") {
            mouse(QTest::MousePress, 0);
            mouse(QTest::MouseRelease, 2);
        } else if (command == "drop") {
            w.lvwSong_OLEDragDrop({working.filePath(u"b.mp3"_s), working.filePath(u"c.mp3"_s)});
        } else {
            const auto click = clicks.at(command);
            if (command != "send") {
                prompts.answerConfirm(false);
                (w.*click)();
                EXPECT_TRUE(recorder->calls().isEmpty() && takeStatusTexts().isEmpty()) << "answered No";
                prompts.answerConfirm(true);
            }
            (w.*click)();
        }
        const QStringList texts = takeStatusTexts();
        // A drop reads the list again after its failure, and that reading's texts come last.
        EXPECT_TRUE(command == "drop" ? texts.contains(text) : texts.last() == text)
            << lastStatus().toStdString();
        for (const QString& done :
             {u"転送が終了しました。"_s, u"曲の取得が終了しました。"_s, u"削除が終了しました。"_s, formatted})
            EXPECT_FALSE(texts.contains(done)) << done.toStdString();
        expectGivenBack(command == "send" ? static_cast<QWidget*>(w.lvwFile) : w.lvwSong);
        EXPECT_EQ(command == "download" ? QDir(folder.path()).entryList({u"GetRio*"_s}).join(u" "_s)
                                        : playerState(),
                  player ? QString::fromUtf8(player) : before);
        EXPECT_EQ(shownState(), shown ? QString::fromUtf8(shown) : shownBefore);
    }
}

}  // namespace
}  // namespace tunedeck::testing
