#include "window_fixture.h"

#include "layout.h"

#include <QAccessible>
#include <QTest>

namespace tunedeck::testing {
namespace {

using ControlsTest = WindowTest;

QString spokenName(QObject* control) {
    return QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
}

// A screen reader tells the two memory buttons apart and hears a changing text after what it is. Keyboard
// users open a list's pop-up menu with the Menu key or Shift+F10 (F10 alone is not the menu key).
TEST_F(ControlsTest, ScreenReadersAndKeyboardUsers) {
    frmTunedeck& w = start();
    EXPECT_NE(spokenName(w.optRam[0]), spokenName(w.optRam[1]));
    w.stbRioInfo->setPanelText(1, u"転送中"_s);
    w.lvwFile_Click();
    QWidget* const statMsg = w.stbRioInfo->panel(u"statMsg"_s);
    EXPECT_EQ(spokenName(statMsg), statMsg->accessibleDescription() + u"：転送中"_s);
    EXPECT_TRUE(spokenName(w.lblFileTotalSize).endsWith(u"0kbyte選択"_s));
    for (const auto& [list, menu, key] :
         {std::tuple<QWidget*, QMenu*, QKeyCombination>{w.dirlst, w.menuFolder, Qt::Key_Menu},
          {w.dirlst, w.menuFolder, Qt::Key_F10},
          {w.lvwSong, w.menuSongList, Qt::Key_Menu},
          {w.lvwFile, w.menuFileList, Qt::SHIFT | Qt::Key_F10}}) {
        list->setFocus();
        QTest::keyClick(w.windowHandle(), key.key(), key.keyboardModifiers());
        EXPECT_EQ(menu->isVisible(), key != QKeyCombination(Qt::Key_F10)) << list->objectName().toStdString();
        menu->close();
    }
}

// The bar follows the left button within the margins (their arithmetic is the layout's test) and the panes
// follow the bar and the window; the shutdown stores where the bar ended.
TEST_F(ControlsTest, TheSplitterAndTheWindowSizeArrangeThePanes) {
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
    // The second narrower than the folder tree: the file list keeps its width.
    for (const int width : {700, 150}) {
        const int fileListRight = width == 700 ? 0 : w.lvwFile->x() + w.lvwFile->width();
        w.resize(width, 500);
        QCoreApplication::processEvents();
        EXPECT_TRUE(w.lvwSong->width() == w.centralWidget()->width() &&
                    w.fraSong->y() + w.fraSong->height() == w.stbRioInfo->y());
        EXPECT_EQ(w.lvwFile->x() + w.lvwFile->width(),
                  fileListRight ? fileListRight : w.centralWidget()->width());
    }
    const int last = w.splitterTop();
    window->close();
    EXPECT_EQ(folder.settings().readInt(u"Separate"_s, -1), last);
}

// Strictly inside the margins of a client 5910 high, here from 2000.
TEST(Layout, TheSplitterMovesStrictlyInsideItsMargins) {
    for (const auto& [y, top] :
         {std::pair{-1699, std::optional(301)}, {-1700, std::nullopt}, {3609, 5609}, {3610, std::nullopt}})
        EXPECT_EQ(layout::draggedSplitterTop(1, 2000, y, 5910), top) << y;
}

}  // namespace
}  // namespace tunedeck::testing
