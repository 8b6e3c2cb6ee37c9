#include "window_fixture.h"

#include "music_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QDrag>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>

#include <cctype>
#include <ostream>
#include <string>

using namespace Qt::StringLiterals;

namespace tunedeck::testing {
namespace {

const QString kNoFolder = QString::fromUtf8("Rioにフォルダがありません。フォルダは必ず必要です。");
const QString kFinished = QString::fromUtf8("転送が終了しました。");
const QString kFailed = QString::fromUtf8("転送エラー Err:");
const QString kBroken = QString::fromUtf8("故障");
const QStringList kRefreshCalls = refreshCalls(false, true);
// With no folder on the player the refresh looks for folders again.
const QStringList kNoFolderRefreshCalls = refreshCalls(true, false);

QString sending(const QString& title) {
    return title + QString::fromUtf8(" をRioに転送しています...");
}

QString sentCount(int count) {
    return QString::number(count) + QString::fromUtf8("個のファイルを転送しました。");
}

// "a" is a.mp3 of the music folder, tagged "Artist a" and "Title a".
QString title(const QString& name) {
    return u"Artist "_s + name + u" - Title "_s + name;
}

QStringList titles(const QStringList& names) {
    QStringList result;
    for (const QString& name : names)
        result << title(name);
    return result;
}

QStringList progressTexts(const QStringList& names) {
    QStringList texts;
    for (const QString& name : names)
        texts << sending(title(name));
    return texts;
}

enum class Command { Menu, Drop };

// A case's description as a test name: its letters and digits, the rest as underscores.
std::string testName(const std::string& description) {
    std::string name = description;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

class SendSongsTest : public WindowTest {
  protected:
    // The window with its folder tree on the music folder, which holds a.mp3, b.mp3, c.mp3 and d.mp3, listed
    // in that order.
    frmTunedeck& startWithMusic() {
        for (const char* name : {"a", "b", "c", "d"})
            writeMusic(QString::fromLatin1(name) + u".mp3"_s,
                       mp3File({.title = QByteArray("Title ") + name, .artist = QByteArray("Artist ") + name},
                               4096));
        frmTunedeck& w = start();
        w.dirlst->setPath(music.path());
        w.lvwFile_ColumnClick(1);  // in name order
        takeStatusTexts();
        recorder->clearCalls();
        return w;
    }

    QString writeMusic(const QString& name, const QByteArray& bytes) const {
        writeBytes(music.filePath(name), bytes);
        return music.filePath(name);
    }

    QString path(const QString& name) const { return music.filePath(name + u".mp3"_s); }

    // The calls that put one of the music folder's songs into folder 0 of the internal memory.
    QStringList sendCalls(const QString& name, const QString& fontName = u"MS UI Gothic"_s,
                          int fontSize = 9) const {
        return {u"Open()"_s, u"FontName(\""_s + fontName + u"\")"_s,
                u"FontSize("_s + QString::number(fontSize) + u")"_s,
                u"AddSong(0, \""_s + title(name) + u"\", \""_s + path(name) + u"\", \"0\")"_s, u"Close()"_s};
    }

    void select(const QStringList& fileNames) const {
        ListView& list = *window->lvwFile;
        list.clearSelection();
        for (int row = 0; row < list.itemCount(); ++row)
            if (fileNames.contains(list.itemText(row)))
                list.selectionModel()->select(list.model()->index(row, 0),
                                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    // Drops `data` on the song list as the desktop does (the drag enters, then drops) and lets the send that
    // it queues run.
    void drop(const QMimeData& data) const {
        const QPointF at(10, 10);
        const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(at.toPoint(), offered, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window->lvwSong->viewport(), &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent event(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window->lvwSong->viewport(), &event);
        EXPECT_TRUE(event.isAccepted());
        EXPECT_EQ(event.dropAction(), Qt::CopyAction);
        QCoreApplication::processEvents();
    }

    void dropUrls(const QList<QUrl>& urls) const {
        QMimeData data;
        data.setUrls(urls);
        drop(data);
    }

    // Sends songs of the music folder: selected and sent by menu, or dropped.
    void send(Command command, const QStringList& names) const {
        if (command == Command::Menu) {
            QStringList fileNames;
            for (const QString& name : names)
                fileNames << name + u".mp3"_s;
            select(fileNames);
            window->menuSend_Click();
            return;
        }
        QList<QUrl> urls;
        for (const QString& name : names)
            urls << QUrl::fromLocalFile(path(name));
        dropUrls(urls);
    }

    // The chosen memory without a folder, as the window shows it.
    void removeAllFolders() {
        auto device = storeDevice();
        device->Open();
        device->Format(u"0"_s);
        device->Close();
        window->refreshDeviceView(true);
    }

    QTemporaryDir music;
    QTemporaryDir emptyFolder;
};

enum class SetUp { Nothing, FailSecondAddSong, NoFolder, EmptyFileList };

struct SendCase {
    const char* name;
    Command command;
    QStringList names;  // the songs selected or dropped
    SetUp setUp;
    QStringList calls;  // the songs whose bracket runs, in order
    QStringList refreshCalls;
    QStringList texts;
    QStringList stored;
};

void PrintTo(const SendCase& c, std::ostream* out) {
    *out << c.name;
}

class SendTable : public SendSongsTest, public ::testing::WithParamInterface<SendCase> {};

TEST_P(SendTable, WhatTheUserSees) {
    const SendCase& c = GetParam();
    frmTunedeck& w = startWithMusic();
    if (c.setUp == SetUp::FailSecondAddSong)
        recorder->failCall(u"AddSong"_s, 2, kBroken);
    if (c.setUp == SetUp::NoFolder)
        removeAllFolders();
    if (c.setUp == SetUp::EmptyFileList) {
        ASSERT_TRUE(w.dirlst->setPath(emptyFolder.path()));
    }
    takeStatusTexts();
    recorder->clearCalls();
    QWidget* const focus = c.command == Command::Menu ? static_cast<QWidget*>(w.lvwFile) : w.lvwSong;
    focus->setFocus();
    // Between files the window is usable, with the arrow; only the player pane is held.
    onStatusText = [&w](const QString& text) {
        if (!text.endsWith(QString::fromUtf8(" をRioに転送しています...")))
            return;
        EXPECT_TRUE(w.isEnabled());
        EXPECT_EQ(w.cursor().shape(), Qt::ArrowCursor);
        EXPECT_FALSE(w.fraSong->isEnabled());
        EXPECT_FALSE(w.menuSend->isEnabled());
    };
    send(c.command, c.names);

    QStringList calls;
    for (const QString& name : c.calls)
        calls << sendCalls(name);  // a failing call is logged too, and the device is closed after it
    calls << c.refreshCalls;
    EXPECT_EQ(recorder->calls(), calls);
    EXPECT_EQ(takeStatusTexts(), c.texts);
    expectGivenBack(focus);
    EXPECT_EQ(playerSongs(), titles(c.stored));
    EXPECT_EQ(listedSongs(), titles(c.stored));
}

INSTANTIATE_TEST_SUITE_P(
    SendSongs, SendTable,
    ::testing::Values(
        SendCase{"menu: three of four",
                 Command::Menu,
                 {u"a"_s, u"c"_s, u"d"_s},
                 SetUp::Nothing,
                 {u"a"_s, u"c"_s, u"d"_s},
                 kRefreshCalls,
                 progressTexts({u"a"_s, u"c"_s, u"d"_s}) + refreshTexts() << kFinished,
                 {u"a"_s, u"c"_s, u"d"_s}},
        SendCase{"menu: an empty file list", Command::Menu, {}, SetUp::EmptyFileList, {}, {}, {}, {}},
        SendCase{"menu: none selected",
                 Command::Menu,
                 {},
                 SetUp::Nothing,
                 {},
                 kRefreshCalls,
                 refreshTexts() + QStringList{kFinished},
                 {}},
        SendCase{"menu: the second of three fails",
                 Command::Menu,
                 {u"a"_s, u"b"_s, u"c"_s},
                 SetUp::FailSecondAddSong,
                 {u"a"_s, u"b"_s},
                 kRefreshCalls,
                 (progressTexts({u"a"_s, u"b"_s}) << kFailed + kBroken) + refreshTexts(),
                 {u"a"_s}},
        SendCase{"menu: no folder on the player",
                 Command::Menu,
                 {u"a"_s, u"b"_s},
                 SetUp::NoFolder,
                 {},
                 kNoFolderRefreshCalls,
                 (progressTexts({u"a"_s}) << kFailed + kNoFolder) + refreshTexts(),
                 {}},
        SendCase{"drop: the second of three fails",
                 Command::Drop,
                 {u"a"_s, u"b"_s, u"c"_s},
                 SetUp::FailSecondAddSong,
                 {u"a"_s, u"b"_s, u"c"_s},
                 kRefreshCalls,
                 QStringList{sending(title(u"a"_s)), sending(title(u"b"_s)), kBroken, sending(title(u"c"_s)),
                             sentCount(2)} +
                     refreshTexts(),
                 {u"a"_s, u"c"_s}},
        SendCase{"drop: no folder on the player",
                 Command::Drop,
                 {u"a"_s, u"b"_s},
                 SetUp::NoFolder,
                 {},
                 {},
                 {sending(title(u"a"_s)), kNoFolder, sending(title(u"b"_s)), kNoFolder, sentCount(0)},
                 {}}),
    [](const ::testing::TestParamInfo<SendCase>& info) { return testName(info.param.name); });

// Every member of the bracket failing at its first or second call, by menu and by drop, with two songs: the
// window comes back, the device is closed, the failure is shown, and the player holds exactly what was sent
// before it (a failing Close comes after the song is stored) and, after a drop, what was sent after it.
using Failure = std::tuple<Command, const char*, int>;

class SendFailureTable : public SendSongsTest, public ::testing::WithParamInterface<Failure> {};

TEST_P(SendFailureTable, LeavesTheWindowAndThePlayerWhole) {
    const auto [command, member, nth] = GetParam();
    frmTunedeck& w = startWithMusic();
    QWidget* const focus = command == Command::Menu ? static_cast<QWidget*>(w.lvwFile) : w.lvwSong;
    focus->setFocus();
    recorder->failCall(QLatin1String(member), nth, kBroken);
    send(command, {u"a"_s, u"b"_s});

    expectGivenBack(focus);
    EXPECT_EQ(recorder->calls().last(), u"Close()"_s);
    QStringList texts, stored;
    for (const QString& name : {u"a"_s, u"b"_s}) {
        texts << sending(title(name));
        const bool failing = name == (nth == 1 ? u"a"_s : u"b"_s);
        if (!failing ||
            QLatin1String(member) == u"Close"_s)  // a failing Close comes after the song is stored
            stored << name;
        if (failing && command == Command::Menu) {
            texts << kFailed + kBroken;
            break;
        }
        if (failing)
            texts << kBroken;
    }
    if (command == Command::Drop)
        texts << sentCount(1);
    EXPECT_EQ(takeStatusTexts(), texts + refreshTexts());
    EXPECT_EQ(playerSongs(), titles(stored));
    EXPECT_EQ(listedSongs(), titles(stored));
}

std::string failureName(const ::testing::TestParamInfo<Failure>& info) {
    const Command command = std::get<0>(info.param);
    return std::string(command == Command::Menu ? "menu_" : "drop_") + std::get<1>(info.param) + "_" +
           std::to_string(std::get<2>(info.param));
}

INSTANTIATE_TEST_SUITE_P(SendSongs, SendFailureTable,
                         ::testing::Combine(::testing::Values(Command::Menu, Command::Drop),
                                            ::testing::Values("Open", "FontName", "FontSize", "AddSong",
                                                              "Close"),
                                            ::testing::Values(1, 2)),
                         failureName);

// What the player refuses is shown as it says it, the drop goes on, and the files stay where they were.
TEST_F(SendSongsTest, TheDropTriesEveryLocalPathAndShowsThePlayersAnswer) {
    frmTunedeck& w = startWithMusic();
    const QString gone = music.filePath(u"gone.mp3"_s);
    const QString folder = music.filePath(u"folder.mp3"_s);
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString notes = writeMusic(u"notes.txt"_s, "not music");
    const QString big = music.filePath(u"big.mp3"_s);
    {
        QFile file(big);  // sparse: more than the whole internal memory, without writing it
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(64 * 1024 * 1024 + 1));
    }
    const QString unreadable = QString::fromUtf8("ファイルを読み込めません: ");
    dropUrls({QUrl(u"https://example.com/e.mp3"_s), QUrl::fromLocalFile(path(u"a"_s)),
              QUrl::fromLocalFile(gone), QUrl::fromLocalFile(folder), QUrl::fromLocalFile(notes),
              QUrl::fromLocalFile(big)});

    EXPECT_EQ(
        takeStatusTexts(),
        QStringList({sending(title(u"a"_s)), sending(u"gone.mp3"_s), unreadable + gone,
                     sending(u"folder.mp3"_s), unreadable + folder, sending(u"notes.txt"_s),
                     sending(u"big.mp3"_s), QString::fromUtf8("メモリの空きが足りません。"), sentCount(2)}) +
            refreshTexts());
    EXPECT_EQ(playerSongs(), QStringList({title(u"a"_s), u"notes.txt"_s}));
    EXPECT_EQ(listedSongs(), playerSongs());
    EXPECT_EQ(QFileInfo(path(u"a"_s)).size(), 4096 + 128);
    EXPECT_EQ(QFileInfo(notes).size(), 9);
    EXPECT_EQ(QFileInfo(big).size(), 64 * 1024 * 1024 + 1);
    EXPECT_TRUE(w.isEnabled());
}

// Selected files dragged from the file list onto the song list go in the list's order (here sorted by
// title, the untagged file first), their paths coming through the drag unchanged.
TEST_F(SendSongsTest, DraggingFromTheFileListSendsTheSelectedFiles) {
    frmTunedeck& w = startWithMusic();
    const QString odd = writeMusic(QString::fromUtf8("b #1 100% 曲?.mp3"), QByteArray(2048, 'x'));
    w.dirlst->setPath(music.path());
    w.lvwFile_ColumnClick(3);
    select({u"a.mp3"_s, u"c.mp3"_s, QFileInfo(odd).fileName()});
    takeStatusTexts();
    recorder->clearCalls();

    // Pressed on a selected file and moved: the drag starts. The offscreen desktop ends every drag at once,
    // so what the drag carries is dropped on the song list by hand.
    const QPoint from = w.lvwFile->visualRect(w.lvwFile->model()->index(0, 0)).center();
    QTest::mousePress(w.lvwFile->viewport(), Qt::LeftButton, {}, from);
    for (const int down : {5, 40}) {
        const QPoint at = from + QPoint(0, down);
        QMouseEvent move(QEvent::MouseMove, at, w.lvwFile->viewport()->mapToGlobal(at), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w.lvwFile->viewport(), &move);
    }
    const QDrag* drag = w.lvwFile->findChild<QDrag*>();
    ASSERT_NE(drag, nullptr);
    drop(*drag->mimeData());
    EXPECT_EQ(playerSongs(), QStringList({QFileInfo(odd).fileName(), title(u"a"_s), title(u"c"_s)}));
    EXPECT_TRUE(recorder->calls().contains(u"AddSong(0, \""_s + QFileInfo(odd).fileName() + u"\", \""_s +
                                           odd + u"\", \"0\")"_s));
    EXPECT_EQ(takeStatusTexts(), QStringList({sending(QFileInfo(odd).fileName()), sending(title(u"a"_s)),
                                              sending(title(u"c"_s)), sentCount(3)}) +
                                     refreshTexts());
    // The song list only takes drops; its press and release belong to the swap of two songs.
    EXPECT_FALSE(w.lvwSong->dragEnabled());
}

// The upper pane stays usable while a send yields; another folder chosen meanwhile changes neither the
// files of the send nor where they go.
TEST_F(SendSongsTest, AFolderChosenDuringTheSendChangesNothingOfIt) {
    frmTunedeck& w = startWithMusic();
    QTemporaryDir other;
    writeBytes(other.filePath(u"x.mp3"_s), QByteArray(1024, 'x'));
    select({u"a.mp3"_s, u"b.mp3"_s, u"c.mp3"_s});
    onStatusText = [&](const QString& text) {
        if (text == sending(title(u"b"_s)))
            w.dirlst->setPath(other.path());
    };
    w.menuSend_Click();
    EXPECT_EQ(w.lvwFile->itemCount(), 1);
    EXPECT_EQ(playerSongs(), titles({u"a"_s, u"b"_s, u"c"_s}));
    EXPECT_EQ(w.stbRioInfo->panelText(1), kFinished);
}

// The font is written before every song, as it is at that moment; the player draws the song's display in
// it. The font command is not the subject here, so the font changes through the settings file between two
// runs of the window.
TEST_F(SendSongsTest, TheDisplayFontOfEachSendReachesThePlayer) {
    folder.settings().write(u"FontName"_s, u"IPAGothic"_s);
    startWithMusic();
    send(Command::Drop, {u"a"_s});
    EXPECT_EQ(recorder->calls().mid(0, 5), sendCalls(u"a"_s, u"IPAGothic"_s, 9));
    closeWindow();

    folder.settings().write(u"FontSize"_s, 20);
    frmTunedeck& w = start();
    recorder->clearCalls();
    send(Command::Drop, {u"a"_s});
    EXPECT_EQ(recorder->calls().mid(0, 5), sendCalls(u"a"_s, u"IPAGothic"_s, 20));
    EXPECT_EQ(listedSongs(), titles({u"a"_s, u"a"_s}));

    QTemporaryDir displays;
    runPlayerCommand({u"export-display"_s, displays.path()});
    QFile first(displays.filePath(u"m0-f00-s000.png"_s));
    QFile second(displays.filePath(u"m0-f00-s001.png"_s));
    ASSERT_TRUE(first.open(QIODevice::ReadOnly));
    ASSERT_TRUE(second.open(QIODevice::ReadOnly));
    EXPECT_NE(first.readAll(), second.readAll());
    EXPECT_TRUE(w.isEnabled());
}

}  // namespace
}  // namespace tunedeck::testing
