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
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
    return accessible ? accessible->text(QAccessible::Name) : QString();
}

// A screen reader hears what every control is, in the language of the window, and a changing text after what
// it is. On Linux, Qt names a combo box after its choice and leaves what it is to the description.
TEST_F(ControlsTest, EveryControlSaysWhatItIs) {
    frmTunedeck& w = start();
    QWidget* const statMsg = w.stbRioInfo->panel(u"statMsg"_s);
    QWidget* const controls[] = {w.drvList,
                                 w.dirlst,
                                 w.lvwFile,
                                 w.picSep,
                                 w.fraSong,
                                 w.optRam[0],
                                 w.optRam[1],
                                 w.cmbFolder,
                                 w.lvwSong,
                                 w.stbRioInfo,
                                 w.lblFileTotalSize,
                                 statMsg,
                                 w.stbRioInfo->panel(u"statMem"_s)};
    const QRegularExpression japanese(u"[\\x{3040}-\\x{30ff}\\x{4e00}-\\x{9fff}]"_s);
    QSet<QString> descriptions;
    for (QWidget* control : controls) {
        const QString name = spokenName(control);
        const QString description = control->accessibleDescription();
        EXPECT_TRUE(qobject_cast<QComboBox*>(control) || name.contains(japanese)) << name.toStdString();
        EXPECT_TRUE(description.contains(japanese)) << control->objectName().toStdString();
        descriptions.insert(description);
    }
    // Only the two memory buttons are alike; their names tell them apart.
    EXPECT_EQ(descriptions.size(), qsizetype(std::size(controls)) - 1);
    EXPECT_NE(spokenName(w.optRam[0]), spokenName(w.optRam[1]));

    for (const auto& [control, change] : {std::pair<QWidget*, std::function<void()>>{
                                              statMsg, [&] { w.stbRioInfo->setPanelText(1, u"転送中"_s); }},
                                          {w.lblFileTotalSize, [&] { w.lvwFile_Click(); }}}) {
        const QString before = spokenName(control);
        change();
        EXPECT_NE(spokenName(control), before);
        EXPECT_TRUE(spokenName(control).startsWith(control->accessibleDescription()));
        EXPECT_TRUE(spokenName(control).endsWith(control == statMsg ? u"転送中"_s : u"0kbyte選択"_s));
    }
}

// Keyboard users open each list's pop-up menu with the Menu key or Shift+F10, and leave a list that holds
// items with Tab and Shift+Tab rather than walking its cells.
TEST_F(ControlsTest, KeyboardReachesEveryMenuAndLeavesTheLists) {
    frmTunedeck& w = start();
    const struct {
        QWidget* list;
        QMenu* menu;
    } lists[] = {{w.dirlst, w.menuFolder}, {w.lvwFile, w.menuFileList}, {w.lvwSong, w.menuSongList}};
    for (const auto& l : lists) {
        for (const QKeyCombination key : {QKeyCombination(Qt::Key_Menu), Qt::SHIFT | Qt::Key_F10}) {
            l.list->setFocus();
            QTest::keyClick(w.windowHandle(), key.key(), key.keyboardModifiers());
            EXPECT_TRUE(l.menu->isVisible()) << l.list->objectName().toStdString() << " " << key.key();
            l.menu->close();
        }
    }
    QTest::keyClick(w.windowHandle(), Qt::Key_F10);
    EXPECT_FALSE(w.menuSongList->isVisible()) << "F10 alone is not the menu key";

    for (ListView* list : {w.lvwFile, w.lvwSong})
        list->addItem(u"a"_s), list->addItem(u"b"_s);
    const struct {
        QWidget* from;
        Qt::Key key;
        QWidget* to;
    } moves[] = {{w.lvwFile, Qt::Key_Tab, w.optRam[0]},
                 {w.lvwFile, Qt::Key_Backtab, w.dirlst},
                 {w.lvwSong, Qt::Key_Backtab, w.cmbFolder}};
    for (const auto& m : moves) {
        m.from->setFocus();
        QTest::keyClick(w.windowHandle(), m.key);
        EXPECT_EQ(QApplication::focusWidget(), m.to) << m.from->objectName().toStdString() << " " << m.key;
    }
}

// Sends a mouse move to the bar with `buttons` held, `y` pixels below its top edge.
void moveOverBar(frmTunedeck& w, int y, Qt::MouseButtons buttons) {
    QMouseEvent move(QEvent::MouseMove, QPointF(50, y), w.picSep->mapToGlobal(QPointF(50, y)), Qt::NoButton,
                     buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(w.picSep, &move);
}

// The bar follows the left button within the margins, the panes follow the bar and the window, and the
// shutdown stores where the bar ended.
TEST_F(ControlsTest, TheSplitterAndTheWindowSizeArrangeThePanes) {
    frmTunedeck& w = start();
    const int clientHeight = w.twips().toTwips(w.centralWidget()->height());
    const struct {
        int pointerTop;  // twips from the client's top
        Qt::MouseButton button;
        bool moves;
    } steps[] = {{3000, Qt::LeftButton, true},
                 {200, Qt::LeftButton, false},
                 {clientHeight - 100, Qt::LeftButton, false},
                 {1500, Qt::RightButton, false},
                 {1500, Qt::LeftButton, true}};
    for (const auto& step : steps) {
        const int before = w.splitterTop();
        const int y = w.twips().toPixels(step.pointerTop) - w.picSep->y();
        moveOverBar(w, y, step.button);
        EXPECT_EQ(w.splitterTop(), before + (step.moves ? w.twips().toTwips(y) : 0)) << step.pointerTop;
        EXPECT_EQ(w.lvwFile->height(), w.twips().toPixels(w.splitterTop())) << step.pointerTop;
        EXPECT_EQ(w.fraSong->y(), w.picSep->y() + w.picSep->height()) << step.pointerTop;
    }

    w.resize(700, 500);
    QCoreApplication::processEvents();
    const int clientWidth = w.centralWidget()->width();
    EXPECT_EQ(w.lvwSong->width(), clientWidth);
    EXPECT_EQ(w.lvwFile->x() + w.lvwFile->width(), clientWidth);
    EXPECT_EQ(w.fraSong->y() + w.fraSong->height(), w.stbRioInfo->y());
    const int fileListWidth = w.lvwFile->width();
    w.resize(150, 500);  // narrower than the folder tree: the file list keeps its width
    QCoreApplication::processEvents();
    EXPECT_EQ(w.lvwFile->width(), fileListWidth);
    EXPECT_EQ(w.lvwSong->width(), w.centralWidget()->width());

    const int last = w.splitterTop();
    closeWindow();
    EXPECT_EQ(folder.settings().readInt(u"Separate"_s, -1), last);
}

}  // namespace
}  // namespace tunedeck::testing
