#include "window_fixture.h"

#include <QAccessible>
#include <QComboBox>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

using namespace Qt::StringLiterals;

namespace tunedeck::testing {
namespace {

class AccessibilityTest : public WindowTest {
  protected:
    static QString spokenName(QObject* control) {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
        return accessible ? accessible->text(QAccessible::Name) : QString();
    }
};

// A screen reader hears what every control is, in the language of the window. On Linux, Qt names a combo box
// after its choice and leaves what it is to the description.
TEST_F(AccessibilityTest, EveryControlSaysWhatItIs) {
    frmTunedeck& w = start();
    QWidget* const controls[] = {w.drvList,
                                 w.dirlst,
                                 w.lvwFile,
                                 w.picSep,
                                 w.fraSong,
                                 w.optRam[0],
                                 w.optRam[1],
                                 w.cmbFolder,
                                 w.lvwSong,
                                 w.lblFileTotalSize,
                                 w.stbRioInfo,
                                 w.stbRioInfo->panel(u"statMsg"_s),
                                 w.stbRioInfo->panel(u"statMem"_s)};
    const QRegularExpression japanese(u"[\\x{3040}-\\x{30ff}\\x{4e00}-\\x{9fff}]"_s);
    QSet<QString> descriptions;
    for (QWidget* control : controls) {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
        ASSERT_NE(accessible, nullptr);
        const QString name = accessible->text(QAccessible::Name);
        const QString description = accessible->text(QAccessible::Description);
        const std::string which = control->objectName().toStdString();
        EXPECT_FALSE(name.isEmpty()) << which;
        if (!qobject_cast<QComboBox*>(control)) {
            EXPECT_TRUE(name.contains(japanese) && name == control->accessibleName())
                << which << ": " << name.toStdString();
        }
        EXPECT_TRUE(description.contains(japanese)) << which << ": " << description.toStdString();
        descriptions.insert(description);
    }
    // Only the two memory buttons are alike; their names tell them apart.
    EXPECT_EQ(descriptions.size(), qsizetype(std::size(controls)) - 1);
    EXPECT_NE(spokenName(w.optRam[0]), spokenName(w.optRam[1]));
}

// A screen reader hears a status text or the selection size as it changes, after what it is. (Qt announces a
// changed name; the offscreen platform has no accessibility to observe it with.)
TEST_F(AccessibilityTest, ChangingTextsAreSpokenAfterWhatTheyAre) {
    frmTunedeck& w = start();
    const struct {
        QWidget* control;
        std::function<void()> change;
        QString shown;
    } cases[] = {
        {w.stbRioInfo->panel(u"statMsg"_s), [&] { w.stbRioInfo->setPanelText(1, u"転送中"_s); }, u"転送中"_s},
        {w.stbRioInfo->panel(u"statMem"_s), [&] { w.stbRioInfo->setPanelText(2, u"使用:1KB"_s); },
         u"使用:1KB"_s},
        {w.lblFileTotalSize, [&] { w.lvwFile_Click(); }, u"0kbyte選択"_s},
    };
    for (const auto& c : cases) {
        const QString before = spokenName(c.control);
        c.change();
        const QString after = spokenName(c.control);
        EXPECT_NE(after, before);
        EXPECT_TRUE(after.startsWith(c.control->accessibleDescription()) && after.endsWith(c.shown))
            << after.toStdString();
    }
}

// Keyboard users open each list's pop-up menu with the Menu key or Shift+F10.
TEST_F(AccessibilityTest, MenuKeyAndShiftF10OpenTheListsPopUpMenus) {
    frmTunedeck& w = start();
    const struct {
        QWidget* list;
        QMenu* menu;
    } lists[] = {{w.dirlst, w.menuFolder}, {w.lvwFile, w.menuFileList}, {w.lvwSong, w.menuSongList}};
    const QKeyCombination keys[] = {Qt::Key_Menu, Qt::SHIFT | Qt::Key_F10};
    for (const auto& l : lists) {
        for (const QKeyCombination key : keys) {
            l.list->setFocus();
            QTest::keyClick(w.windowHandle(), key.key(), key.keyboardModifiers());
            EXPECT_TRUE(l.menu->isVisible()) << l.list->objectName().toStdString() << " " << key.key();
            l.menu->close();
        }
    }
    // F10 alone is not the menu key.
    w.lvwSong->setFocus();
    QTest::keyClick(w.windowHandle(), Qt::Key_F10);
    EXPECT_FALSE(w.menuSongList->isVisible());
}

// Tab and Shift+Tab leave a list that holds items for the next and the previous control, rather than walking
// its cells round and round.
TEST_F(AccessibilityTest, TabLeavesTheLists) {
    frmTunedeck& w = start();
    for (ListView* list : {w.lvwFile, w.lvwSong}) {
        list->addItem(u"a"_s);
        list->addItem(u"b"_s);
    }
    const struct {
        QWidget* from;
        Qt::Key key;
        QWidget* to;
    } cases[] = {{w.lvwFile, Qt::Key_Tab, w.optRam[0]},
                 {w.lvwFile, Qt::Key_Backtab, w.dirlst},
                 {w.lvwSong, Qt::Key_Backtab, w.cmbFolder}};
    for (const auto& c : cases) {
        c.from->setFocus();
        QTest::keyClick(w.windowHandle(), c.key);
        const QWidget* focused = QApplication::focusWidget();
        EXPECT_EQ(focused ? focused->objectName() : QString(), c.to->objectName())
            << c.from->objectName().toStdString() << " " << c.key;
    }
}

}  // namespace
}  // namespace tunedeck::testing
