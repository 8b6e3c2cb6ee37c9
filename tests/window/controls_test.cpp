// SPDX-License-Identifier: GPL-3.0-or-later
#include "window_fixture.h"

#include "layout.h"
#include "program_version.h"
#include "version_command.h"

#include <QMenuBar>

#include <QTest>

namespace tunedeck::testing {
namespace {

using ControlsTest = WindowTest;

// Keyboard users open a list's pop-up menu with the Menu key or Shift+F10; neither F10 alone nor a letter
// typed into the folder tree opens it.
TEST_F(ControlsTest, TheKeyboardOpensTheMenus) {
    frmTunedeck& w = start();
    for (const auto& [list, menu, key, opens] :
         {std::tuple<QWidget*, QMenu*, QKeyCombination, bool>{w.dirlst, w.menuFolder, Qt::Key_Menu, true},
          {w.dirlst, w.menuFolder, Qt::Key_F10, false},
          {w.dirlst, w.menuFolder, Qt::Key_A, false},
          {w.lvwSong, w.menuSongList, Qt::Key_Menu, true},
          {w.lvwFile, w.menuFileList, Qt::SHIFT | Qt::Key_F10, true}}) {
        list->setFocus();
        QTest::keyClick(w.windowHandle(), key.key(), key.keyboardModifiers());
        EXPECT_EQ(menu->isVisible(), opens) << list->objectName().toStdString();
        menu->close();
    }
}

// Every item of the menu bar's menus and of the pop-up menus, chosen in its open menu with the keyboard,
// reaches its command and leaves what a user sees: a question or a dialog (answered No, empty or as offered),
// status texts, the clipboard (copied once, so no other row finds its text), the window closed. An item that
// has no row here fails the test too.
TEST_F(ControlsTest, EveryMenuItemReachesItsCommand) {
    folder.setUpPlayer(u"a:s1,s2"_s);
    workFile(u"b.mp3"_s);
    frmTunedeck& w = start();
    selectPositions(*w.lvwFile, {1});
    selectPositions(*w.lvwSong, {1});
    const std::map<QString, QString> shows{
        {u"menuDel"_s, u"削除します。"_s},
        {u"menuDown"_s, u"曲を取得します。"_s},
        {u"menuRefSong"_s, u"曲リスト取得中..."_s},
        {u"menuClipCopy"_s, u"s1\r\ns2\r\n"_s},
        {u"menuSend"_s, u"b.mp3 をRioに転送しています..."_s},
        {u"menuFolRef"_s, u"ディスクのフォルダ情報を取得中..."_s},
        {u"menuMkDir"_s, u"作るフォルダの名前を指定します。"_s},
        {u"menuRmDir"_s, u"aを削除します。"_s},
        {u"menuFormat"_s, u"内蔵メモリをフォーマットします。"_s},
        {u"menuFont"_s, u"MS UI Gothic"_s},
        {u"menuCustom"_s, u"Rio500のディスプレイに表示する形式を入力します。"_s},
        {u"menuAbout"_s, versionText(program_version::kMajor, program_version::kMinor)},
        {u"menuEnd"_s, u"closed"_s},
    };
    for (int question = 0; question < 4; ++question)
        prompts.answerConfirm(false);
    prompts.answerInput({});
    prompts.answerInput({});
    prompts.answerFont({u"MS UI Gothic"_s, 9});
    // The items in menu order, but 終了 last.
    std::vector<std::pair<QMenu*, QAction*>> items;
    QList<QMenu*> menus{w.menuSongList, w.menuFileList, w.menuFolder};
    for (const QAction* inBar : w.menuBar()->actions())
        menus << inBar->menu();
    for (QMenu* menu : menus)
        for (QAction* item : menu->actions())
            if (!item->isSeparator())
                items.emplace_back(menu, item);
    std::stable_partition(items.begin(), items.end(), [&](auto& item) { return item.second != w.menuEnd; });
    for (const auto& [menu, item] : items) {
        const qsizetype asked = prompts.shown().size();
        takeStatusTexts();
        menu->popup({});
        menu->setActiveAction(item);
        QTest::keyClick(menu, Qt::Key_Return);
        QStringList seen = takeStatusTexts();
        for (const ScriptedPrompts::Shown& shown : prompts.shown().mid(asked))
            seen << shown.text + shown.font.name;
        seen << shell.clipboardText() << (w.isVisible() ? u"shown"_s : u"closed"_s);
        const auto row = shows.find(item->objectName());
        EXPECT_TRUE(row != shows.end() && seen.join(u'|').contains(row->second))
            << seen.join(u'|').toStdString();
    }
    EXPECT_EQ(items.size(), shows.size());
}

// The bar follows the left button within the margins (their arithmetic is the layout's test) and the panes
// follow the bar; the shutdown stores where the bar ended.
TEST_F(ControlsTest, ThePanesFollowTheSplitter) {
    frmTunedeck& w = start();
    for (const auto& [top, button, moves] :
         {std::tuple{3000, Qt::LeftButton, true}, {1500, Qt::RightButton, false}}) {
        const int before = w.splitterTop();
        const int y = w.twips().toPixels(top) - w.picSep->y();
        QMouseEvent move(QEvent::MouseMove, QPointF(50, y), w.picSep->mapToGlobal(QPointF(50, y)),
                         Qt::NoButton, button, Qt::NoModifier);
        QCoreApplication::sendEvent(w.picSep, &move);
        EXPECT_EQ(w.splitterTop(), moves ? before + w.twips().toTwips(y) : before) << top;
        EXPECT_TRUE(w.lvwFile->height() == w.twips().toPixels(w.splitterTop()) &&
                    w.fraSong->y() == w.picSep->y() + w.picSep->height())
            << top;
    }
    window->close();
    EXPECT_EQ(folder.settings().readInt(u"Separate"_s, -1), w.splitterTop());
}

// Strictly inside the margins of a client 5910 high, here from 2000.
TEST(Layout, TheSplitterMovesStrictlyInsideItsMargins) {
    for (const auto& [y, top] :
         {std::pair{-1699, std::optional(301)}, {-1700, std::nullopt}, {3609, 5609}, {3610, std::nullopt}})
        EXPECT_EQ(layout::draggedSplitterTop(1, 2000, y, 5910), top) << y;
}

}  // namespace
}  // namespace tunedeck::testing
