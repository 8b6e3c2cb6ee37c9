#include "window_fixture.h"

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

}  // namespace
}  // namespace tunedeck::testing
