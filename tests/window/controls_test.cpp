#include "window_fixture.h"

#include "layout.h"

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
