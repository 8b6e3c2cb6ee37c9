#include "window_fixture.h"

#include <QDrag>
#include <QDropEvent>
#include <QFile>
#include <QImage>
#include <QMimeData>
#include <QTest>

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
    // The internal memory as `player` says; the file list holding a.mp3 (tagged), b.mp3, c.mp3 and d.mp3 in
    // this order; the song list focused, the log and texts cleared.
    frmTunedeck& startWith(const QString& player = kPlayer) {
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

    // A mouse action of `button` on the song list over `row`.
    void mouse(QTest::MouseAction action, int row, Qt::MouseButton button = Qt::LeftButton) const {
        const ListView& list = *window->lvwSong;
        const QPoint at = row == kEmptySpace ? QPoint(list.columnWidth(0) / 2, list.viewport()->height() - 4)
                                             : list.visualRect(list.model()->index(row, 0)).center();
        QTest::mouseEvent(action, list.viewport(), button, {}, at);
    }
};

// The computer pane fills first, through the drive change; then the player is read in one bracket, and the
// memory panel counts the songs of the shown folder. Choosing a folder lists it without reading the folders
// again, and the refresh's own choice starts no second refresh; the menu keeps the chosen folder, F5 (Shift
// or not) reads the folders again and chooses the first. F5 arrives through the window's focus, as a user's
// key press does: a refresh disables the window and must give the focus back, or the second F5 goes nowhere.
// The card taken out while it is the chosen memory: its option goes grey, the choice stays, and the player's
// refusal to read it is reported. Without a player the song list is emptied and the rest keeps what it
// showed.
TEST_F(PlayerPaneTest, TheFolderTheMemoryAndThePlayerAway) {
    setUpPlayer(kPlayer);
    setUpPlayer(u"card:s1"_s, u"1"_s);
    frmTunedeck& w = start();
    EXPECT_EQ(recorder->calls(), refreshCalls(true));
    EXPECT_EQ(takeStatusTexts().mid(4), kRefreshTexts);
    EXPECT_EQ(rows(*w.lvwSong).first() + w.stbRioInfo->panelText(2),
              u"s1|a|0KB|内蔵使用:2KB 空き:65,533KB"_s);
    w.lvwSong->setFocus();
    for (const Qt::KeyboardModifier modifier : {Qt::NoModifier, Qt::ShiftModifier}) {
        recorder->clearCalls();
        w.cmbFolder->setCurrentIndex(1);
        w.menuRefSong_Click();
        EXPECT_EQ(recorder->calls(), refreshCalls(false, 1) + refreshCalls(false, 1));
        EXPECT_EQ(shownState(), u"a,b / "_s);
        QTest::keyClick(w.windowHandle(), Qt::Key_F5, modifier);
        EXPECT_EQ(recorder->calls().mid(10), refreshCalls(true));
        EXPECT_EQ(shownState(), u"a,b / s1,s2,s3"_s);
    }

    QTest::mouseClick(w.optRam[1], Qt::LeftButton);
    EXPECT_EQ(rows(*w.lvwSong), QStringList({u"s1|card|0KB|外部"_s}));
    runPlayerCommand({u"remove-card"_s});
    w.menuRefSong_Click();
    EXPECT_TRUE(!w.optRam[1]->isEnabled() && w.memory() == PlayerMemory::Card);
    EXPECT_EQ(lastStatus(), u"曲リストの取得に失敗しました。 Err:スマートメディアが入っていません。"_s);
    QTest::mouseClick(w.optRam[0], Qt::LeftButton);
    const QString panel2 = w.stbRioInfo->panelText(2);
    runPlayerCommand({u"disconnect"_s});
    w.menuRefSong_Click();
    EXPECT_EQ(lastStatus(), u"Rio500が接続されていません。"_s);
    EXPECT_EQ(shownState() + w.stbRioInfo->panelText(2), u"a,b / "_s + panel2);
}

// The selected files in list order, one bracket each, then the list read again. Another folder chosen in the
// tree meanwhile changes neither the files of the send nor where they go.
TEST_F(PlayerPaneTest, SendByMenuSendsTheSelectedFilesInListOrder) {
    frmTunedeck& w = startWith();
    const QString other = QFileInfo(workFile(u"other/x.mp3"_s)).path();
    selectPositions(*w.lvwFile, {4, 1, 2});
    onStatusText = [&](const QString& text) {
        if (text == sending(u"b.mp3"_s))
            w.dirlst->setPath(other);
    };
    w.menuSend_Click();
    QStringList calls;
    for (const auto& [file, title] :
         {std::pair{u"a.mp3"_s, kTitleA}, {u"b.mp3"_s, u"b.mp3"_s}, {u"d.mp3"_s, u"d.mp3"_s}})
        calls << u"Open()"_s << u"FontName(\"MS UI Gothic\")"_s << u"FontSize(9)"_s
              << u"AddSong(0, \"%1\", \"%2\", \"0\")"_s.arg(title, working.filePath(file)) << u"Close()"_s;
    EXPECT_EQ(recorder->calls(), calls + refreshCalls(false));
    EXPECT_EQ(takeStatusTexts().mid(5), kRefreshTexts + QStringList{u"転送が終了しました。"_s});
    EXPECT_EQ(rows(*w.lvwFile, 1).join(u' ') + u" | "_s + shownState(),
              u"x.mp3 | a,b / s1,s2,s3,Artist - Title,b.mp3,d.mp3"_s);
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
    w.lvwSong_OLEDragDrop({working.filePath(u"b.mp3"_s), working.filePath(u"c.mp3"_s)});
    w.fillFileList(working.filePath(u"none"_s));
    w.menuSend_Click();
    EXPECT_EQ(recorder->calls(), refreshCalls(true, -1));
    EXPECT_EQ(takeStatusTexts(),
              QStringList({sending(u"b.mp3"_s), u"転送エラー Err:"_s + noFolder}) + kRefreshTexts +
                  QStringList({u"転送エラー Err:"_s + noFolder, sending(u"b.mp3"_s), noFolder,
                               sending(u"c.mp3"_s), noFolder, u"0個のファイルを転送しました。"_s,
                               u"ファイル情報を取得中..."_s, u"Ready"_s}));
}

// Selected files dragged from the file list go in the list's order, their paths coming through the drag
// unchanged. A drop tries every local path, whatever the file; the files stay where they were.
TEST_F(PlayerPaneTest, DragAndDropSendEveryLocalFile) {
    const QString odd = u"b #1 100% 曲?.mp3"_s;
    workFile(odd);
    workFile(u"notes.txt"_s, "not music");
    frmTunedeck& w = startWith();
    selectPositions(*w.lvwFile, {1, 2});

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

    EXPECT_EQ(takeStatusTexts().mid(3), QStringList{u"3個のファイルを転送しました。"_s} + kRefreshTexts);
    EXPECT_EQ(playerState(), u"a:s1,s2,s3,Artist - Title,"_s + odd + u",notes.txt b:"_s);
}

// A download names each file by the song's position and writes it byte for byte as the player holds it;
// nothing is read again afterwards. The Delete key deletes each song where the earlier deletions have moved
// it, and the list is read again at the end. The file list has no delete.
TEST_F(PlayerPaneTest, DownloadAndDeleteTakeEachSongByItsPosition) {
    frmTunedeck& w = startWith(u"a:s1,s2,s3,s4,s5,s6,s7,s8,s9,s10"_s);
    selectPositions(*w.lvwSong, {10, 2});
    prompts.answerConfirm(true);
    w.menuDown_Click();
    for (const int position : {2, 10}) {
        QFile fetched(folder.path() + u"/GetRio%1.mp3"_s.arg(position, 2, 10, QChar(u'0')));
        EXPECT_TRUE(fetched.open(QIODevice::ReadOnly) &&
                    fetched.readAll() == songBytes(u"s%1"_s.arg(position)));
    }
    selectPositions(*w.lvwSong, {2, 3, 5});
    prompts.answerConfirm(true);
    QTest::keyClick(w.windowHandle(), Qt::Key_Delete);
    EXPECT_EQ(playerState() + u" | "_s + shownState(),
              u"a:s1,s4,s6,s7,s8,s9,s10 | a / s1,s4,s6,s7,s8,s9,s10"_s);
    EXPECT_EQ(takeStatusTexts(), QStringList({u"s2 を取得しています..."_s, u"s10 を取得しています..."_s,
                                              u"曲の取得が終了しました。"_s, u"s2 を削除しています..."_s,
                                              u"s3 を削除しています..."_s, u"s5 を削除しています..."_s}) +
                                     kRefreshTexts + QStringList{u"削除が終了しました。"_s});
    w.lvwFile->setFocus();
    QTest::keyClick(w.windowHandle(), Qt::Key_Delete);  // no question comes
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
    EXPECT_EQ(playerState() + u" | "_s + shownState(), u"a:s1,s2,s3 b:s3,s2,s1 | a,b / s3,s2,s1"_s);

    recorder->clearCalls();
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
    EXPECT_TRUE(recorder->calls().isEmpty());
}

// Each command on memory `memory` holding `before` (the other memory holding a folder of its own), with the
// folder `chosen` shown: the question, then the player, the panes read again and the last text. The name goes
// as typed, also empty when the box was cancelled, for the player to refuse; removing the last folder erases
// the memory.
TEST_F(PlayerPaneTest, FolderCommandsAndFormatChangeOnlyTheChosenMemory) {
    const QString name = u"  新しい フォルダ "_s, sure = u"\rよろしいですか？"_s;
    const QString mkdir = u"作るフォルダの名前を指定します。"_s;
    const std::tuple<void (frmTunedeck::*)(), int, QString, int, QString, QString, QString> cases[] = {
        {&frmTunedeck::menuFormat_Click, 1, u"a:s1 b:"_s, 1, u"外部メモリをフォーマットします。"_s + sure,
         QString(), u" |  /  | 外部メモリの初期化が終了しました。"_s},
        {&frmTunedeck::menuMkDir_Click, 0, u"a:s1 b:"_s, 1, mkdir, name,
         u"a:s1 b: %1: | a,b,%1 / s1 | フォルダを作成しました。"_s.arg(name)},
        {&frmTunedeck::menuMkDir_Click, 0, u"a:s1"_s, 0, mkdir, u""_s,
         u"a:s1 | a / s1 | フォルダ作成に失敗しました。 Err:フォルダ名が空です。"_s},
        {&frmTunedeck::menuRmDir_Click, 1, u"a: b: c:"_s, 1, u"bを削除します。"_s + sure, QString(),
         u"a: c: | a,c /  | Ready"_s},
        {&frmTunedeck::menuRmDir_Click, 0, u"a:s1"_s, 0, u"aを削除します。"_s + sure, QString(),
         u" |  /  | Ready"_s},
    };
    for (const auto& [command, memory, before, chosen, asked, typed, after] : cases) {
        SCOPED_TRACE(asked.toStdString());
        const QString chosenMemory = QString::number(memory), other = QString::number(1 - memory);
        setUpPlayer(u"other:kept"_s, other);
        setUpPlayer(before, chosenMemory);
        frmTunedeck& w = start();
        w.optRam[memory]->click();
        w.cmbFolder->setCurrentIndex(chosen);
        typed.isNull() ? prompts.answerConfirm(true) : prompts.answerInput(typed);
        (w.*command)();
        EXPECT_EQ(prompts.shown().last().text, asked);
        EXPECT_EQ(playerState(chosenMemory) + u" | "_s + shownState() + u" | "_s + lastStatus(), after);
        EXPECT_EQ(playerState(other), u"other:kept"_s);
    }
}

// A device call failing in each command, where the failure leaves a result of its own: the last text says
// what happened, and the player and the panes hold what was done before the failure. Each command starts on
// kPlayer with folder a shown, songs 1 and 3 and files b.mp3 and c.mp3 selected; one that asks is answered No
// first, which changes nothing. Null states stand for "as before"; for a download the player column lists the
// files fetched.
TEST_F(PlayerPaneTest, AFailureGivesTheWindowBackWithWhatWasDone) {
    const QString formatted = u"内蔵メモリの初期化が終了しました。"_s;
    const std::tuple<void (frmTunedeck::*)(), const char*, int, QString, const char*, const char*> cases[] = {
        {nullptr, "Close", 1, u"曲変更でエラーが発生しました。 Err:故障"_s,
         "a:s3,s2,s1 b:", nullptr},  // a swap
        {&frmTunedeck::menuSend_Click, "Close", 1, u"転送エラー Err:故障"_s,
         "a:s1,s2,s3,b.mp3 b:", "a,b / s1,s2,s3,b.mp3"},
        {&frmTunedeck::menuDown_Click, "GetSong", 2, u"取得に失敗しました。 Err:故障"_s, "GetRio01.mp3",
         nullptr},
        {&frmTunedeck::menuDel_Click, "Open", 1, u"削除に失敗しました。 Err:故障"_s, nullptr, nullptr},
        {&frmTunedeck::menuDel_Click, "DeleteSong", 2, u"削除に失敗しました。 Err:故障"_s,
         "a:s2,s3 b:", "a,b / s2,s3"},
        {&frmTunedeck::menuFormat_Click, "Folders", 1,
         formatted + u" 曲リストの取得に失敗しました。 Err:故障"_s, "", "a,b / "},
        {&frmTunedeck::menuRmDir_Click, "DeleteFolder", 1, u"フォルダ削除に失敗しました。 Err:故障"_s,
         nullptr, nullptr},
        // The last folder: a failed format is not hidden by the list read after it.
        {&frmTunedeck::menuRmDir_Click, "Format", 1, u"内蔵メモリの初期化でエラーが発生しました。"_s,
         "a:", nullptr},
    };
    for (const auto& [click, member, nth, text, player, shown] : cases) {
        SCOPED_TRACE(text.toStdString());
        const QString before = std::string_view(member) == "Format" ? u"a:"_s : kPlayer;
        frmTunedeck& w = startWith(before);
        const QString shownBefore = shownState();
        selectPositions(*w.lvwSong, {1, 3});
        selectPositions(*w.lvwFile, {2, 3});
        recorder->failCall(QLatin1String(member), nth, u"故障"_s);
        if (!click) {
            mouse(QTest::MousePress, 0);
            mouse(QTest::MouseRelease, 2);
        } else if (click != &frmTunedeck::menuSend_Click) {
            prompts.answerConfirm(false);
            (w.*click)();
            EXPECT_TRUE(recorder->calls().isEmpty() && takeStatusTexts().isEmpty()) << "answered No";
            prompts.answerConfirm(true);
        }
        if (click)
            (w.*click)();
        EXPECT_EQ(takeStatusTexts().last(), text);
        EXPECT_EQ(click == &frmTunedeck::menuDown_Click
                      ? QDir(folder.path()).entryList({u"GetRio*"_s}).join(u' ')
                      : playerState(),
                  player ? QString::fromUtf8(player) : before);
        EXPECT_EQ(shownState(), shown ? QString::fromUtf8(shown) : shownBefore);
    }
}

}  // namespace
}  // namespace tunedeck::testing
