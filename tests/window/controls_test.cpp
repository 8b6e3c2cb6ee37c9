#include "window_fixture.h"

#include "window_geometry.h"

#include <QAccessible>
#include <QComboBox>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

using namespace Qt::StringLiterals;

namespace tunedeck::testing {
namespace {

using ControlsTest = WindowTest;

QString spokenName(QObject* control) {
    return QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
}

// A screen reader hears what every control is, in the language of the window, and a changing text after what
// it is. On Linux, Qt names a combo box after its choice and leaves what it is to the description; only the
// two memory buttons share a description, and their names tell them apart.
TEST_F(ControlsTest, EveryControlSaysWhatItIs) {
    frmTunedeck& w = start();
    const QStringList controls =
        u"drvList dirlst lvwFile picSep fraSong optRam(0) optRam(1) cmbFolder lvwSong stbRioInfo statMsg "
        u"statMem "
        u"lblFileTotalSize"_s.split(u" "_s);
    const QRegularExpression japanese(u"[\\x{3040}-\\x{30ff}\\x{4e00}-\\x{9fff}]"_s);
    QSet<QString> descriptions;
    for (const QString& name : controls) {
        QWidget* control = w.findChild<QWidget*>(name);
        ASSERT_NE(control, nullptr) << name.toStdString();
        EXPECT_TRUE(qobject_cast<QComboBox*>(control) || spokenName(control).contains(japanese))
            << name.toStdString();
        EXPECT_TRUE(control->accessibleDescription().contains(japanese)) << name.toStdString();
        descriptions.insert(control->accessibleDescription());
    }
    EXPECT_EQ(descriptions.size(), controls.size() - 1);
    EXPECT_NE(spokenName(w.optRam[0]), spokenName(w.optRam[1]));
    w.stbRioInfo->setPanelText(1, u"転送中"_s);
    w.lvwFile_Click();
    QWidget* const statMsg = w.stbRioInfo->panel(u"statMsg"_s);
    EXPECT_EQ(spokenName(statMsg), statMsg->accessibleDescription() + u"：転送中"_s);
    EXPECT_TRUE(spokenName(w.lblFileTotalSize).endsWith(u"0kbyte選択"_s));
}

// Keyboard users open each list's pop-up menu with the Menu key or Shift+F10 (F10 alone is not the menu key),
// and leave a list with Tab.
TEST_F(ControlsTest, KeyboardReachesTheMenusAndLeavesTheLists) {
    frmTunedeck& w = start();
    for (const auto& [list, menu] : {std::pair<QWidget*, QMenu*>{w.dirlst, w.menuFolder},
                                     {w.lvwFile, w.menuFileList},
                                     {w.lvwSong, w.menuSongList}}) {
        for (const QKeyCombination key :
             {QKeyCombination(Qt::Key_Menu), Qt::SHIFT | Qt::Key_F10, QKeyCombination(Qt::Key_F10)}) {
            list->setFocus();
            QTest::keyClick(w.windowHandle(), key.key(), key.keyboardModifiers());
            EXPECT_EQ(menu->isVisible(), key != QKeyCombination(Qt::Key_F10))
                << list->objectName().toStdString() << " " << key.key();
            menu->close();
        }
    }
    w.lvwFile->addItem(u"a"_s);
    w.lvwFile->addItem(u"b"_s);
    w.lvwFile->setFocus();
    QTest::keyClick(w.windowHandle(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), w.optRam[0]) << "Tab leaves a list rather than walking its cells";
}

// The bar follows the left button within the margins (their arithmetic is the layout's test) and the panes
// follow the bar and the window; the shutdown stores where the bar ended.
TEST_F(ControlsTest, TheSplitterAndTheWindowSizeArrangeThePanes) {
    frmTunedeck& w = start();
    for (const auto& [top, button, moves] : {std::tuple{3000, Qt::LeftButton, true},
                                             {200, Qt::LeftButton, false},
                                             {1500, Qt::RightButton, false}}) {
        const int before = w.splitterTop();
        const int y = w.twips().toPixels(top) - w.picSep->y();
        QMouseEvent move(QEvent::MouseMove, QPointF(50, y), w.picSep->mapToGlobal(QPointF(50, y)),
                         Qt::NoButton, button, Qt::NoModifier);
        QCoreApplication::sendEvent(w.picSep, &move);
        EXPECT_EQ(w.splitterTop(), moves ? before + w.twips().toTwips(y) : before) << top;
        EXPECT_EQ(w.lvwFile->height(), w.twips().toPixels(w.splitterTop())) << top;
        EXPECT_EQ(w.fraSong->y(), w.picSep->y() + w.picSep->height()) << top;
    }
    for (const int width :
         {700, 150}) {  // the second narrower than the folder tree: the file list keeps its width
        const int fileListWidth = w.lvwFile->width();
        w.resize(width, 500);
        QCoreApplication::processEvents();
        EXPECT_EQ(w.lvwSong->width(), w.centralWidget()->width());
        EXPECT_EQ(w.fraSong->y() + w.fraSong->height(), w.stbRioInfo->y());
        EXPECT_EQ(w.lvwFile->x() + w.lvwFile->width(),
                  width == 700 ? w.centralWidget()->width() : w.lvwFile->x() + fileListWidth);
    }
    const int last = w.splitterTop();
    closeWindow();
    EXPECT_EQ(folder.settings().readInt(u"Separate"_s, -1), last);
}

// The window as designed (client 9240 x 5910, splitter 75, drive list 300, tree 3135, combo 300, status bar
// 255), in clients of other sizes too. A size that would vanish keeps its last value, here 1 to 9.
TEST(Layout, ArrangesFromTheSplitterAndKeepsSizesThatWouldVanish) {
    const auto arranged = [](int width, int height, int splitterTop) {
        const layout::Sizes s = layout::arrange({width, height, 75, 300, 3135, 300, 255}, splitterTop,
                                                {1, 2, 3, 4, 5, 6, 7, 8, 9});
        return std::vector{s.frameWidth,     s.frameTop,         s.frameHeight,
                           s.fileListHeight, s.folderTreeHeight, s.fileListWidth,
                           s.songListWidth,  s.songListHeight,   s.splitterWidth};
    };
    using V = std::vector<int>;
    EXPECT_EQ(arranged(9240, 5910, 2400), V({9240, 2475, 3180, 2400, 2100, 6060, 9240, 2880, 9240}));
    EXPECT_EQ(arranged(9240, 5910, 300), V({9240, 375, 5280, 300, 5, 6060, 9240, 4980, 9240}));
    EXPECT_EQ(arranged(9240, 5910, 5700), V({9240, 5775, 3, 5700, 5400, 6060, 9240, 8, 9240}));
    EXPECT_EQ(arranged(9240, 3030, 2400), V({9240, 2475, 300, 2400, 2100, 6060, 9240, 8, 9240}));
    EXPECT_EQ(arranged(3180, 5910, 2400), V({3180, 2475, 3180, 2400, 2100, 6, 3180, 2880, 3180}));
    EXPECT_EQ(arranged(3181, 5910, 2400), V({3181, 2475, 3180, 2400, 2100, 1, 3181, 2880, 3181}));
}

// From 2000 in a client 5910 high, with the buttons held (1 left, 2 right, 4 middle).
TEST(Layout, SplitterMovesOnlyWithTheLeftButtonStrictlyInsideTheMargins) {
    for (const auto& [buttons, y, top] : {std::tuple{1, 10, std::optional(2010)},
                                          {1 | 2 | 4, -1699, 301},
                                          {1, -1700, std::nullopt},
                                          {1, 3609, 5609},
                                          {1, 3610, std::nullopt},
                                          {2, 10, std::nullopt},
                                          {4, 10, std::nullopt}})
        EXPECT_EQ(layout::draggedSplitterTop(buttons, 2000, y, 5910), top) << buttons << " " << y;
    for (const auto& [stored, client, bounded] :
         {std::tuple{2000, 5910, 2000}, {-500, 5910, 301}, {99999, 5910, 5609}, {2000, 400, 301}})
        EXPECT_EQ(layout::boundedSplitterTop(stored, client), bounded) << stored << " in " << client;
}

TEST(WindowGeometry, StoredValuesTheWindowCannotTakeAreMadeUsable) {
    const QList<QRect> screens{{0, 0, 28800, 16200}, {28800, 0, 28800, 16200}};
    const auto usable = [&](StoredGeometry stored) {
        const StoredGeometry g = usableGeometry(stored, screens, 15);
        return std::vector{g.left, g.top, g.width, g.height, g.state};
    };
    using V = std::vector<int>;
    EXPECT_EQ(usable({-1200, -600, 8000, 6000, 1}), V({-1200, -600, 8000, 6000, 1})) << "partly on a screen";
    EXPECT_EQ(usable({40000, 100, 15, 15, 2}), V({40000, 100, 15, 15, 2}))
        << "one pixel on the second screen";
    EXPECT_EQ(usable({90000, 90000, 8000, 6000, 0}), V({0, 0, 8000, 6000, 0})) << "off every screen";
    EXPECT_EQ(usable({-9000, 0, 8000, 6000, 3}), V({0, 0, 8000, 6000, 0})) << "left of them, unknown state";
    EXPECT_EQ(usable({15, 15, 14, -5, 65538}), V({15, 15, 8000, 6000, 0}))
        << "under a pixel, state over 16 bits";
    EXPECT_EQ(usable({0, 0, 2147483647, 600000, 0}), V({0, 0, 57600, 16200, 0})) << "larger than the screens";
    EXPECT_EQ(usable({2147483647, 2147483647, 8000, 6000, 0}), V({0, 0, 8000, 6000, 0}))
        << "at the 32-bit limit";
}

}  // namespace
}  // namespace tunedeck::testing
