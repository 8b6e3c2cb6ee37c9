#include "window_fixture.h"

#include "window_geometry.h"

#include <QAccessible>
#include <QComboBox>
#include <QRegularExpression>
#include <QTest>

namespace tunedeck::testing {
namespace {

using ControlsTest = WindowTest;

QString spokenName(QObject* control) {
    return QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
}

// A screen reader hears what every control is, in the language of the window, and a changing text after what
// it is. On Linux, Qt names a combo box after its choice and leaves what it is to the description; the two
// memory buttons' names tell them apart. Keyboard users open a list's pop-up menu with the Menu key or
// Shift+F10 (F10 alone is not the menu key); the Delete key deletes on the song list and nowhere else.
TEST_F(ControlsTest, ScreenReadersAndKeyboardUsersReachEveryControl) {
    setUpPlayer(u"a:s1"_s);
    frmTunedeck& w = start();
    const QRegularExpression japanese(u"[\\x{3040}-\\x{30ff}\\x{4e00}-\\x{9fff}]"_s);
    for (const QString& name :
         u"drvList dirlst lvwFile picSep fraSong optRam(0) optRam(1) cmbFolder lvwSong "
         u"stbRioInfo statMsg statMem lblFileTotalSize"_s.split(u' ')) {
        QWidget* control = w.findChild<QWidget*>(name);
        ASSERT_NE(control, nullptr) << name.toStdString();
        EXPECT_TRUE((qobject_cast<QComboBox*>(control) || spokenName(control).contains(japanese)) &&
                    control->accessibleDescription().contains(japanese))
            << name.toStdString();
    }
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
    prompts.answerConfirm(false);
    for (QWidget* list : {w.lvwSong, w.lvwFile}) {
        list->setFocus();
        QTest::keyClick(w.windowHandle(), Qt::Key_Delete);
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

// The splitter moves only with the left button held (1 left, 2 right, 4 middle), strictly inside the margins
// of a client 5910 high, from 2000. On two screens side by side, a pixel being 15 twips, a window one pixel
// on the second stays where it was; one left of both, with an unknown state, or one at the 32-bit limit
// comes back to the first screen's corner in the normal state, no larger than the screens.
TEST(Layout, TheSplitterStaysInsideItsMarginsAndTheWindowOnTheScreens) {
    for (const auto& [buttons, y, top] : {std::tuple{1 | 2 | 4, -1699, std::optional(301)},
                                          {1, -1700, std::nullopt},
                                          {1, 3609, 5609},
                                          {1, 3610, std::nullopt},
                                          {2 | 4, 10, std::nullopt}})
        EXPECT_EQ(layout::draggedSplitterTop(buttons, 2000, y, 5910), top) << buttons << " " << y;
    for (const auto& [stored, usable] :
         {std::pair{StoredGeometry{57585, 100, 15, 15, 2}, QList{57585, 100, 15, 15, 2}},
          {StoredGeometry{-9000, 0, 8000, 6000, 3}, QList{0, 0, 8000, 6000, 0}},
          {StoredGeometry{2147483647, 2147483647, 2147483647, 600000, 0}, QList{0, 0, 57600, 16200, 0}}}) {
        const StoredGeometry g = usableGeometry(stored, {{0, 0, 28800, 16200}, {28800, 0, 28800, 16200}}, 15);
        EXPECT_EQ(QList({g.left, g.top, g.width, g.height, g.state}), usable) << stored.left;
    }
}

}  // namespace
}  // namespace tunedeck::testing
