// SPDX-License-Identifier: GPL-3.0-or-later
#include "window_fixture.h"

#include "display_title.h"
#include "japanese_translation.h"
#include "layout.h"
#include "list_model.h"
#include "program_version.h"
#include "version_command.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTranslator>

namespace tunedeck::testing {
namespace {

// How the window opened: its place in twips (when maximised the place it is restored to), the display font,
// the splitter and whether it is maximised. Twips become whole pixels, so 8000 twips (533.3 pixels at 96 dots
// per inch) come back as 7995.
QString opened(const frmTunedeck& w) {
    const QRect r = w.isMaximized() ? w.normalGeometry() : QRect(w.x(), w.y(), w.width(), w.height());
    const auto t = [&](int pixels) { return QString::number(w.twips().toTwips(pixels)); };
    return t(r.x()) + u","_s + t(r.y()) + u" "_s + t(r.width()) + u"x"_s + t(r.height()) + u" "_s +
           w.displayFontName() + QString::number(w.displayFontSize()) + u" "_s +
           QString::number(w.splitterTop()) + (w.isMaximized() ? u" maximised"_s : u" normal"_s);
}

// The first start (an empty section), then stored settings; the end by 終了's key, Ctrl+X, which closes the
// window and the player and writes what the close button writes. The geometry goes back only from the normal
// state, not from the minimised window; a maximised window opens maximised again with its normal geometry
// underneath and keeps a splitter below its normal height. The font comes in code page 932; an empty name is
// a name. Values the window cannot take are made usable.
TEST_F(WindowTest, TheWindowOpensAsStoredAndTheShutdownWritesWhatItsStateAllows) {
    // The file's section, how the window opened, the state it ends in and what the shutdown wrote.
    const std::tuple<QByteArray, QString, Qt::WindowState, QByteArray> runs[] = {
        {"", u"0,0 7995x6000 MS UI Gothic9 2000 normal"_s, Qt::WindowMinimized,
         "Separate=2000\r\nWindowState=1\r\n"},
        {"WindowTop=-120\r\nWindowLeft=-300\r\nWindowWidth=9000\r\nWindowHeight=7005\r\n"
         "FontName=\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e\r\nfontsize=10pt\r\n",
         u"-300,-120 9000x7005 ＭＳ ゴシック10 2000 normal"_s, Qt::WindowNoState,
         "Separate=2000\r\nWindowState=0\r\nWindowTop=-120\r\nWindowLeft=-300\r\nWindowWidth=9000\r\n"
         "WindowHeight=7005\r\n"},
        {"WindowState=2\r\nWindowTop=150\r\nWindowLeft=300\r\nWindowWidth=9000\r\nWindowHeight=7005\r\n"
         "Separate=7000\r\n",
         u"300,150 9000x7005 MS UI Gothic9 7000 maximised"_s, Qt::WindowMaximized,
         "Separate=7000\r\nWindowState=2\r\n"},
        {"WindowState=70000\r\nWindowWidth=0\r\nWindowHeight=-5\r\nSeparate=-4000\r\nWindowTop=99999999\r\n"
         "WindowLeft=-99999999\r\nFontName=\r\n",
         u"0,0 7995x6000 9 301 normal"_s, Qt::WindowNoState,
         "Separate=301\r\nWindowState=0\r\nWindowTop=0\r\nWindowLeft=0\r\nWindowWidth=7995\r\nWindowHeight="
         "6000\r\n"}};
    for (const auto& [file, open, state, written] : runs) {
        folder.writeSettingsBytes("[TUNEDECK]\r\n" + file);
        frmTunedeck& w = start();
        EXPECT_EQ(w.windowTitle() + u" "_s + opened(w), u"Tunedeck "_s + open);
        folder.writeSettingsBytes({});
        w.setWindowState(state);
        deviceLog->calls.clear();
        QTest::keyClick(w.windowHandle(), Qt::Key_X, Qt::ControlModifier);
        EXPECT_TRUE(!w.isVisible() && !w.device() && deviceLog->calls == QStringList{u"Close()"_s});
        EXPECT_EQ(folder.settingsBytes(), "[tunedeck]\r\n" + written) << open.toStdString();
    }
}

// The computer pane works; every later device command fails in its own handling, which the refresh reads as
// no player; the shutdown has no player to close. A write folder's problem is said last, over the other
// texts, since it keeps the player from starting too.
TEST_F(WindowTest, MissingComponentAndAFolderThatCannotBeWritten) {
    components = working.path();
    folderProblem = u"保存先フォルダに書き込めません。 /home/u/.local/share/tunedeck"_s;
    workFile(u"song.mp3"_s);
    frmTunedeck& w = start();
    EXPECT_EQ(takeStatusTexts().mid(4),
              QStringList({u"Rio500Remix.dllが登録されていません。"_s, folderProblem}));
    EXPECT_EQ(rows(*w.lvwFile, 1), QStringList({u"song.mp3"_s}));
    w.menuRefSong->trigger();
    settle();
    EXPECT_EQ(lastStatus(), u"Rio500が接続されていません。"_s);
    expectLeftSound();
    EXPECT_TRUE(window->close() && !window->isVisible());
}

// Help and version on standard output, exit status 0, even beside a command; anything else refused on
// standard error with status 2, before tunedeck-player opens its store. tunedeck runs where no window can
// open, so a run that tries fails at once instead of waiting for a user.
TEST(CommandLine, AnswersHelpAndVersionOnStandardOutputAndRefusesTheRestOnStandardError) {
    const ProgramFolder scratch;
    const QString version = QLatin1String(program_version::kFull) + u'\n', player = u"tunedeck-player"_s;
    // The program and its arguments; the status, the start of standard output and of standard error.
    QList<std::tuple<QString, QStringList, QString>> runs = {
        {u"tunedeck"_s, {u"--version"_s}, u"0|tunedeck "_s + version + u'|'},
        {u"tunedeck"_s, {u"-h"_s}, u"0|usage: tunedeck [--help | --version]\n"_s},
        {u"tunedeck"_s, {u"song\u001b[2J.mp3"_s}, u"2||tunedeck: unexpected argument 'song\\x1b[2J.mp3'."_s},
        {u"tunedeck"_s, {u"-platform"_s, u"xcb"_s}, u"2||tunedeck: "_s},
        {player, {u"ls"_s, u"-v"_s}, u"0|tunedeck-player "_s + version + u'|'},
        {player, {u"-h"_s, u"status"_s}, u"0|usage: tunedeck-player "_s},
        {player, {u"frobnicate"_s}, u"2||tunedeck-player: bad command"_s}};
    // Refused for an argument missing, one too many or one of no meaning.
    for (const QString& refused :
         {u""_s, u"ls extra"_s, u"status --store"_s, u"set-speed"_s, u"set-speed -1"_s, u"set-speed fast"_s})
        runs.append({player, refused.split(u' ', Qt::SkipEmptyParts), u"2||tunedeck-player: "_s});
    for (const auto& [program, arguments, answer] : runs) {
        const ProgramRun run = program == player ? scratch.runPlayer(arguments)
                                                 : runProgram(builtProgram(program), arguments,
                                                              {u"QT_QPA_PLATFORM=no-such-platform"_s});
        const QString said = run.said();
        EXPECT_TRUE(said.startsWith(answer) && said.endsWith(u'|') == answer.startsWith(u'0'))
            << said.toStdString();
    }
    EXPECT_FALSE(QFile::exists(scratch.storePath()));
}

// The menus in the bar and the pop-up ones, each item in its place with its caption and shortcut.
TEST_F(WindowTest, TheMenusHoldTheirItemsInOrder) {
    frmTunedeck& w = start();
    const auto itemsOf = [](const QWidget* menu) {
        QStringList items;
        for (const QAction* item : menu->actions())
            items << (item->isSeparator() ? item->objectName() + u" -"_s
                                          : item->text() + u' ' + item->shortcut().toString());
        return items.join(u'|');
    };
    const std::pair<const QWidget*, QString> menus[] = {
        {w.menuBar(), u"操作(&D) |ヘルプ(&H) "_s},
        {w.menuFile,
         u"Rioにフォルダを作る(&F) |現在のフォルダを削除(&D) |メモリフォーマット |フォルダを同期(&Y) |"
         u"プレーヤー(&L) |menuSep2 -|フォント設定(&P) |文字列のカスタマイズ(&C) |menuSep1 -|終了(&X) Ctrl+X"_s},
        {w.menuSongList,
         u"削除(&D) Del|ダウンロード |最新の状態に更新(&R) |リストをクリップボードにコピー(&C) "_s},
        {w.menuFileList, u"Rioへ転送(&S) "_s},
        {w.menuFolder, u"最新の状態に更新(&R) |フォルダを同期(&Y) "_s},
        {w.menuHelp, u"バージョン情報(&A) "_s}};
    for (const auto& [menu, items] : menus)
        EXPECT_EQ(itemsOf(menu), items);
}

// Keyboard users open a list's pop-up menu with the Menu key or Shift+F10; neither F10 alone nor a letter
// typed into the folder tree opens it.
TEST_F(WindowTest, TheKeyboardOpensTheMenus) {
    frmTunedeck& w = start();
    for (const auto& [list, menu, key, opens] :
         {std::tuple<QWidget*, QMenu*, QKeyCombination, bool>{w.dirlst, w.menuFolder, Qt::Key_Menu, true},
          {w.dirlst, w.menuFolder, Qt::Key_F10, false},
          {w.dirlst, w.menuFolder, Qt::Key_A, false},
          {w.lvwSong, w.menuSongList, Qt::Key_Menu, true},
          {w.lvwFile, w.menuFileList, Qt::SHIFT | Qt::Key_F10, true}}) {
        list->setFocus();
        QTest::keyClick(w.windowHandle(), key.key(), key.keyboardModifiers());
        // The lists are empty: a menu of theirs opens at their corner.
        const QPoint corner = static_cast<QAbstractItemView*>(list)->viewport()->mapToGlobal(QPoint());
        EXPECT_TRUE(menu->isVisible() == opens && (!opens || list == w.dirlst || menu->pos() == corner))
            << list->objectName().toStdString();
        menu->close();
    }
}

// The bar follows the left button, strictly within the margins, and the panes follow the bar; the shutdown
// stores where the bar ended.
TEST_F(WindowTest, ThePanesFollowTheSplitter) {
    frmTunedeck& w = start();
    for (const auto& [top, button] : {std::pair{3000, Qt::LeftButton}, {1500, Qt::RightButton}}) {
        const int before = w.splitterTop(), y = w.twips().toPixels(top) - w.picSep->y();
        QMouseEvent move(QEvent::MouseMove, QPointF(50, y), w.picSep->mapToGlobal(QPointF(50, y)),
                         Qt::NoButton, button, Qt::NoModifier);
        QCoreApplication::sendEvent(w.picSep, &move);
        EXPECT_EQ(w.splitterTop(), button == Qt::LeftButton ? before + w.twips().toTwips(y) : before) << top;
        EXPECT_TRUE(w.lvwFile->height() == w.twips().toPixels(w.splitterTop()) &&
                    w.fraSong->y() == w.picSep->y() + w.picSep->height())
            << top;
    }
    // The lists number no rows, and every column has its designed width, the narrow 場所 too.
    QList<int> widths;
    for (const ListView* list : {w.lvwFile, w.lvwSong})
        for (int column = 0; column < list->model()->columnCount(); ++column)
            widths << list->columnWidth(column);
    EXPECT_EQ(widths, QList<int>({133, 133, 200, 80, 267, 67, 80, 20}));
    EXPECT_FALSE(w.lvwFile->verticalHeader()->isVisible() || w.lvwSong->verticalHeader()->isVisible());
    // A larger window: the song frame and the status bar keep to the client's width and its bottom.
    const QSize client = w.centralWidget()->size() + QSize(150, 90);
    w.resize(w.size() + QSize(150, 90));
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.centralWidget()->size() == client; }));
    EXPECT_TRUE(w.fraSong->width() == client.width() &&
                w.stbRioInfo->geometry().bottom() == client.height() - 1);
    window->close();
    EXPECT_EQ(folder.settings().readInt(u"Separate"_s, -1), w.splitterTop());
    // The margins' arithmetic: strictly inside those of a client 5910 high, here from 2000.
    for (const auto& [y, top] :
         {std::pair{-1699, std::optional(301)}, {-1700, std::nullopt}, {3609, 5609}, {3610, std::nullopt}})
        EXPECT_EQ(layout::draggedSplitterTop(1, 2000, y, 5910), top) << y;
}

// Every item of the menu bar's menus and of the pop-up menus, chosen in its open menu with the keyboard,
// reaches its command and leaves what a user sees: a question or a dialog (answered No, empty or as offered),
// status texts, the clipboard (copied once, so no other row finds its text), the window closed. An item that
// has no row here fails the test too.
TEST_F(WindowTest, EveryMenuItemReachesItsCommand) {
    folder.setUpPlayer(u"a:s1,s2"_s);
    workFile(u"b.mp3"_s);
    frmTunedeck& w = start();
    selectPositions(*w.lvwFile, {1});
    selectPositions(*w.lvwSong, {1});
    const QMap<QString, QString> shows{
        {u"menuDel"_s, u"削除します。"_s},
        {u"menuDown"_s, u"曲を取得します。"_s},
        {u"menuRefSong"_s, u"曲リスト取得中..."_s},
        {u"menuClipCopy"_s, u"s1\r\ns2\r\n"_s},
        {u"menuSend"_s, u"b.mp3 をRioに転送しています..."_s},
        {u"menuFolRef"_s, u"ディスクのフォルダ情報を取得中..."_s},
        {u"menuMkDir"_s, u"作るフォルダの名前を指定します。"_s},
        {u"menuRmDir"_s, u"aを削除します。"_s},
        {u"menuFormat"_s, u"内蔵メモリをフォーマットします。"_s},
        {u"menuSync"_s, u"プレーヤーのフォルダ「a」と同期します。"_s},
        {u"menuFolSync"_s, u"プレーヤーのフォルダ「a」と同期します。"_s},
        {u"menuFont"_s, u"MS UI Gothic"_s},
        {u"menuCustom"_s, u"Rio500のディスプレイに表示する形式を入力します。"_s},
        {u"menuAbout"_s, versionText(program_version::kMajor, program_version::kMinor)},
        {u"menuEnd"_s, u"closed"_s}};
    for (int question = 0; question < 4; ++question)
        prompts.answerConfirm(false);
    prompts.answerInput({});
    prompts.answerInput({});
    prompts.answerFont({u"MS UI Gothic"_s, 9});
    for (int sync = 0; sync < 2; ++sync)
        prompts.answerSync({});
    // The items of every menu, 終了 last; the player menu has a test of its own.
    std::vector<std::pair<QMenu*, QAction*>> items;
    for (QMenu* menu : w.findChildren<QMenu*>())
        for (QAction* item : menu->actions())
            if (menu != w.menuPlayer && !item->isSeparator() && !item->menu())
                items.emplace_back(menu, item);
    std::stable_partition(items.begin(), items.end(), [&](auto& item) { return item.second != w.menuEnd; });
    for (const auto& [menu, item] : items) {
        const qsizetype asked = prompts.shown().size();
        takeStatusTexts();
        menu->popup({});
        menu->setActiveAction(item);
        QTest::keyClick(menu, Qt::Key_Return);
        settle();
        QStringList seen = takeStatusTexts();
        for (const ScriptedPrompts::Shown& shown : prompts.shown().mid(asked))
            seen << shown.text + shown.font.name;
        seen << shell.clipboardText() << (w.isVisible() ? u"shown"_s : u"closed"_s);
        EXPECT_TRUE(seen.join(u'|').contains(shows.value(item->objectName(), u"(an item without a row)"_s)))
            << item->objectName().toStdString() << ": " << seen.join(u'|').toStdString();
    }
    EXPECT_EQ(items.size(), shows.size());
}

// The font dialog opens on the stored font and the choice is stored, the size in whole points; the player
// gets it with the next folder made and with every song sent. The version, a minor version in two digits at
// least; the clipboard gets the song names, each on a line of its own (a line break inside a name is a
// space, as in the list), and an empty list an empty text.
TEST_F(WindowTest, FontVersionAndClipboard) {
    folder.setUpPlayer(u"a:one,二曲目,th\r\nr\ne\re"_s);
    frmTunedeck& w = start();
    prompts.answerFont({u"IPAGothic"_s, 10.5});
    w.menuFont->trigger();
    EXPECT_EQ(prompts.shown().last().font.name + QString::number(prompts.shown().last().font.pointSize),
              u"MS UI Gothic9"_s);
    EXPECT_EQ(folder.settingsBytes(), "[tunedeck]\r\nFontName=IPAGothic\r\nFontSize=10\r\n");
    prompts.answerInput(u"new"_s);
    w.menuMkDir->trigger();
    settle();
    dropOnSongList({QUrl::fromLocalFile(workFile(u"x.mp3"_s)), QUrl::fromLocalFile(workFile(u"y.mp3"_s))});
    EXPECT_EQ(deviceLog->calls.filter(u"Font"_s).join(u' '),
              u"FontName(\"IPAGothic\") FontSize(10) "_s.repeated(3).trimmed());

    EXPECT_EQ(versionText(1, 5), u"Tunedeck Version 1.05"_s);

    w.menuClipCopy->trigger();
    EXPECT_EQ(shell.clipboardText(), u"one\r\n二曲目\r\nth r e e\r\nx.mp3\r\ny.mp3\r\n"_s);
    folder.setUpPlayer(u"a:"_s);
    w.menuRefSong->trigger();
    settle();
    w.menuClipCopy->trigger();
    EXPECT_EQ(shell.clipboardText(), u""_s);
}

// The box offers the stored format. Stored as typed (in code page 932, whose wave dash comes back as the
// full-width tilde); cancelled or empty keeps the stored format. The next title follows the new format.
TEST_F(WindowTest, DisplayFormatCommandAndASettingsFileThatCannotBeWritten) {
    const QString song =
        writeFile(folder.path() + u"/song.mp3"_s, mp3File({.title = "Title", .artist = "Artist"}, 100));
    frmTunedeck& w = start();
    for (const auto& [answer, offered] : {std::pair{u"%2〜%B"_s, u"%1 - %2"_s}, {u""_s, u"%2～%B"_s}}) {
        prompts.answerInput(answer);
        w.menuCustom->trigger();
        EXPECT_EQ(prompts.shown().last().defaultText, offered);
        EXPECT_EQ(folder.settingsBytes(), "[tunedeck]\r\nDisplayFormat=%2\x81\x60%B\r\n");
    }
    TagRecord record;
    EXPECT_EQ(displayTitleFor(song, record, w.settings()), u"Title～song.mp3"_s);
    // What the file keeps otherwise than typed is said; the stored format is what titles use.
    const QString cut = u"表示形式が1023バイトを超えたため、それより後は使われません。"_s;
    const QString unknown = u"表示形式のうち保存できない文字は「?」になりました。"_s;
    for (const auto& [answer, said, title] :
         {std::tuple{u"♫%2"_s, unknown, u"?Title"_s},
          {QString(1022, u'-') + u"%2"_s, cut, QString(1022, u'-')},
          {u"♫"_s + QString(1022, u'-') + u"%2"_s, unknown + u' ' + cut, u"?"_s + QString(1022, u'-')}}) {
        prompts.answerInput(answer);
        takeStatusTexts();
        w.menuCustom->trigger();
        EXPECT_EQ(takeStatusTexts(), QStringList{said});
        EXPECT_EQ(displayTitleFor(song, record, w.settings()), title);
    }

    // A settings file that cannot be written: the user is told that what was chosen is not kept.
    ASSERT_TRUE(QFile::remove(folder.settings().path()) && QDir(folder.path()).mkdir(u"tunedeck.INI"_s));
    prompts.answerInput(u"%1"_s);
    prompts.answerFont({u"IPAGothic"_s, 9});
    w.menuCustom->trigger();
    w.menuFont->trigger();
    EXPECT_EQ(takeStatusTexts().last(2),
              QStringList(2, u"保存先フォルダに書き込めません。 "_s + folder.path()));
}

// Runs `act` on the dialog of type D from inside its own event loop, once it is shown.
template <class D>
void whenShown(std::function<void(D&)> act) {
    QTimer::singleShot(0, [act] {
        if (D* dialog = qobject_cast<D*>(QApplication::activeModalWidget()))
            return act(*dialog);
        ADD_FAILURE() << "no such dialog shown";
    });
}

// The list's texts as the views read them: one line a cell, the header's captions and alignments, a row's
// key or its first text, and the value kept with it; a cell or value outside the rows and columns is nothing.
TEST(ListModel, CellsHeadersKeysAndValues) {
    ListModel model;
    const QList<ListModel::Header> headers{{u"名前"_s, Qt::AlignLeft}, {u"サイズ"_s, Qt::AlignRight}};
    model.setHeaders(headers);
    model.setRows({{{u"gone"_s}}});
    model.setHeaders(headers);
    EXPECT_EQ(model.rowCount(), 0) << "rows kept under new headers";
    model.setRows({{{u"b"_s, u"2"_s}, {}, qint64(7)}, {{u"x\ny"_s}, u"key"_s}});
    QStringList cells;
    for (int row = -1; row <= model.rowCount(); ++row)
        for (int column = -1; column <= 2; ++column)
            cells << model.text(row, column);
    EXPECT_EQ(cells.join(u'|'), u"|||||b|2|||x y||||||"_s);
    EXPECT_EQ(model.key(0) + u'|' + model.key(1), u"b|key"_s);
    EXPECT_EQ(std::any_cast<qint64>(model.value(0)), 7);
    EXPECT_FALSE(model.value(-1).has_value() || model.value(1).has_value() || model.value(2).has_value());
    EXPECT_EQ(model.data(model.index(0, 1), Qt::TextAlignmentRole), int(Qt::AlignRight | Qt::AlignVCenter));
    EXPECT_FALSE(model.data(model.index(0, 0), Qt::ToolTipRole).isValid());
    const auto header = [&](int section, Qt::Orientation orientation) {
        return model.headerData(section, orientation, Qt::DisplayRole).toString();
    };
    EXPECT_EQ(header(1, Qt::Horizontal) + header(0, Qt::Vertical) + header(2, Qt::Horizontal), u"サイズ13"_s);
}

// A text pasted into the input box keeps its first line, and only that of the text pasted. A folder's name
// may hold tags: a question shows its text as it is. The buttons speak Japanese. The font dialog opens on the
// font chosen before, its size too.
TEST(DialogPrompts, PastedTextsKeepTheirFirstLineQuestionsShowMarkupAsTextAndFontsTheirSize) {
    whenShown<QInputDialog>([](QInputDialog& dialog) {
        QLineEdit* box = dialog.findChild<QLineEdit*>();
        box->setCursorPosition(3);
        QApplication::clipboard()->setText(u"- %2\r\n(%3)"_s);
        box->paste();
        dialog.accept();
    });
    EXPECT_EQ(DialogPrompts().input(nullptr, u"prompt"_s, u"title"_s, u"%1  %5"_s), u"%1 - %2 %5"_s);
    QTranslator translator;
    ASSERT_TRUE(installJapaneseTranslation(translator));
    whenShown<QMessageBox>([](QMessageBox& box) {
        EXPECT_TRUE(box.textFormat() == Qt::PlainText && box.defaultButton()->text().startsWith(u"はい"_s));
        box.defaultButton()->click();
    });
    EXPECT_TRUE(
        DialogPrompts().confirm(nullptr, uR"(<b>x</b><img src="/tmp/x.png">を削除します。)"_s, u"確認"_s));
    QCoreApplication::removeTranslator(&translator);
    whenShown<QFontDialog>([](QFontDialog& dialog) {
        EXPECT_EQ(dialog.currentFont().pointSizeF(), 15);
        dialog.accept();
    });
    EXPECT_EQ(DialogPrompts().chooseFont(nullptr, {u"IPAGothic"_s, 15}).pointSize, 15);
}

// The sync's question shows the summary of the choice as it changes: the player folder chosen first where
// there is one, else only the new folder; the removal off. A folder's "&" is a character of its name, not a
// shortcut's mark. Yes, the default, gives the choice made; No and Esc say No.
TEST(DialogPrompts, TheSyncQuestionSummarisesTheChoiceAsItChanges) {
    QTranslator translator;
    ASSERT_TRUE(installJapaneseTranslation(translator));
    const auto summaryFor = [](const SyncChoice& choice) {
        return (choice.newFolder ? u"new "_s : u"chosen "_s) +
               (choice.removeOnlyOnPlayer ? u"remove"_s : u"keep"_s);
    };
    // The dialog's options and summary as shown, then each one clicked in turn and the summary after it.
    const auto asked = [](QDialog& dialog, const QList<int>& clicks) {
        QStringList seen;
        const QList<QAbstractButton*> options =
            dialog.findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly);
        const QLabel* summary = dialog.findChild<QLabel*>();
        for (const QAbstractButton* option : options)
            seen << option->text() + (option->isChecked() ? u"*"_s : u""_s);
        seen << summary->text();
        for (const int click : clicks) {
            options[click]->click();
            seen << summary->text();
        }
        return seen.join(u'|');
    };
    const std::tuple<std::optional<QString>, QList<int>, Qt::Key, QString, SyncChoice> cases[] = {
        {u"R&B"_s,
         {2, 1},
         Qt::Key_Return,
         u"プレーヤーのフォルダ「R&&B」*|コンピュータのフォルダと同じ名前のフォルダ「m&&m」|"
         u"プレーヤーにだけある曲を削除する|chosen keep|chosen remove|new remove"_s,
         {.newFolder = true, .removeOnlyOnPlayer = true, .accepted = true}},
        // Key_N: the No button clicked.
        {u"a"_s,
         {},
         Qt::Key_N,
         u"プレーヤーのフォルダ「a」*|コンピュータのフォルダと同じ名前のフォルダ「m&&m」|"
         u"プレーヤーにだけある曲を削除する|chosen keep"_s,
         {}},
        {std::nullopt,
         {},
         Qt::Key_Return,
         u"コンピュータのフォルダと同じ名前のフォルダ「m&&m」*|プレーヤーにだけある曲を削除する|new keep"_s,
         {.newFolder = true, .accepted = true}}};
    for (const auto& [playerFolder, clicks, key, shown, chosen] : cases) {
        QString seen;
        whenShown<QDialog>([&, clicks = clicks, key = key](QDialog& dialog) {
            seen = asked(dialog, clicks);
            const auto* buttons = dialog.findChild<QDialogButtonBox*>();
            const QPushButton* yes = buttons->button(QDialogButtonBox::Yes);
            seen += u"|"_s + yes->text() + (yes->isDefault() ? u"*|"_s : u"|"_s) +
                    buttons->button(QDialogButtonBox::No)->text();
            if (key == Qt::Key_N)
                buttons->button(QDialogButtonBox::No)->click();
            else
                QTest::keyClick(&dialog, key);
        });
        const SyncChoice choice =
            DialogPrompts().chooseSync(nullptr, u"フォルダを同期"_s, playerFolder, u"m&m"_s, summaryFor);
        EXPECT_EQ(seen, shown + u"|はい(&Y)*|いいえ(&N)"_s);
        EXPECT_EQ(std::tuple(choice.newFolder, choice.removeOnlyOnPlayer, choice.accepted),
                  std::tuple(chosen.newFolder, chosen.removeOnlyOnPlayer, chosen.accepted));
    }
    QCoreApplication::removeTranslator(&translator);
}

}  // namespace
}  // namespace tunedeck::testing
