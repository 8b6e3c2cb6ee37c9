#include "browser_fixture.h"

#include "input_state.h"

#include <QHeaderView>
#include <QTest>

using namespace Qt::StringLiterals;

namespace tunedeck::testing {
namespace {

class FileListInteractionsTest : public BrowserTest {
  protected:
    QPoint rowCentre(int row) const {
        return window->lvwFile->visualRect(window->lvwFile->model()->index(row, 0)).center();
    }
    void clickRow(int row, Qt::KeyboardModifiers modifiers = {}) const {
        QTest::mouseClick(window->lvwFile->viewport(), Qt::LeftButton, modifiers, rowCentre(row));
    }
    void clickHeader(int column) const {
        const QHeaderView* header = window->lvwFile->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          {header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                           header->height() / 2});
    }
    QString total() const { return window->lblFileTotalSize->text(); }
};

TEST_F(FileListInteractionsTest, SelectionTotalFollowsClicksNotKeys) {
    for (const QString& name : {u"a.mp3"_s, u"b.mp3"_s, u"c.mp3"_s})
        writeFile(name, QByteArray(1500, 'x'));
    writeFile(u"d.mp3"_s, QByteArray(2 * 1024 * 1024 + 1023, 'x'));
    start();
    window->lvwFile_ColumnClick(1);  // a, b, c, d from the top

    clickRow(0);
    EXPECT_EQ(total(), u"1kbyte選択"_s);
    clickRow(2, Qt::ShiftModifier);
    EXPECT_EQ(total(), u"3kbyte選択"_s) << "the kilobytes as shown, each rounded down";
    clickRow(3, Qt::ControlModifier);
    EXPECT_EQ(total(), u"2,051kbyte選択"_s);

    QTest::keyClick(window->lvwFile, Qt::Key_Up);
    ASSERT_FALSE(window->lvwFile->isItemSelected(3));
    EXPECT_EQ(total(), u"2,051kbyte選択"_s) << "keys leave the total until the next click";

    const QPoint below(5, window->lvwFile->visualRect(window->lvwFile->model()->index(3, 0)).bottom() + 5);
    ASSERT_LT(below.y(), window->lvwFile->viewport()->height());
    QTest::mouseClick(window->lvwFile->viewport(), Qt::LeftButton, {}, below);
    EXPECT_EQ(total(), u"0kbyte選択"_s) << "a click beside the items clears the selection";
}

TEST_F(FileListInteractionsTest, HeaderClicksSortThenSwitchOffThenSortAgain) {
    const QStringList names = {u"c.mp3"_s, u"B1.mp3"_s, u"a2.mp3"_s, u"d.mp3"_s, u"e.mp3"_s};
    for (const QString& name : names)
        writeFile(name, "x");
    start();
    const QStringList listed = fileNames();
    const QStringList byName = {u"a2.mp3"_s, u"B1.mp3"_s, u"c.mp3"_s, u"d.mp3"_s,
                                u"e.mp3"_s};  // case does not count
    ASSERT_NE(listed, byName) << "the file system's order should differ from the sorted one";

    clickHeader(0);
    EXPECT_EQ(fileNames(), byName);
    EXPECT_TRUE(window->lvwFile->isSorted());
    clickHeader(0);
    EXPECT_EQ(fileNames(), byName) << "switching sorting off leaves the order";
    EXPECT_FALSE(window->lvwFile->isSorted());
    window->fillFileList(working.path());
    ASSERT_EQ(fileNames(), listed);
    clickHeader(0);
    EXPECT_EQ(fileNames(), byName);
    EXPECT_TRUE(window->lvwFile->isSorted());
}

TEST_F(FileListInteractionsTest, SortingKeepsTheSelectedFiles) {
    for (const QString& name : {u"c.mp3"_s, u"a.mp3"_s, u"b.mp3"_s, u"d.mp3"_s})
        writeFile(name, "x");
    start();
    const int rowOfB = int(fileNames().indexOf(u"b.mp3"_s));
    clickRow(rowOfB);
    clickRow(int(fileNames().indexOf(u"d.mp3"_s)), Qt::ControlModifier);

    clickHeader(0);
    ASSERT_EQ(fileNames(), QStringList({u"a.mp3"_s, u"b.mp3"_s, u"c.mp3"_s, u"d.mp3"_s}));
    QStringList selected;
    for (int row = 0; row < window->lvwFile->itemCount(); ++row)
        if (window->lvwFile->isItemSelected(row))
            selected << window->lvwFile->itemText(row);
    EXPECT_EQ(selected, QStringList({u"b.mp3"_s, u"d.mp3"_s}));
    EXPECT_EQ(window->lvwFile->itemText(window->lvwFile->currentRow()), u"d.mp3"_s);
}

TEST_F(FileListInteractionsTest, SizeColumnSortsAsText) {
    writeFile(u"nine.mp3"_s, QByteArray(9 * 1024, 'x'));
    writeFile(u"ten.mp3"_s, QByteArray(10 * 1024, 'x'));
    writeFile(u"hundred.mp3"_s, QByteArray(100 * 1024, 'x'));
    start();
    clickHeader(0);
    ASSERT_EQ(fileNames(), QStringList({u"hundred.mp3"_s, u"nine.mp3"_s, u"ten.mp3"_s}));
    clickHeader(3);
    EXPECT_EQ(fileNames(), QStringList({u"hundred.mp3"_s, u"ten.mp3"_s, u"nine.mp3"_s}))
        << "100KB, 10KB, 9KB";
    EXPECT_EQ(window->lvwFile->sortKey(), 3);
}

TEST_F(FileListInteractionsTest, EnterAndDoubleClickOpenTheCurrentFile) {
    writeFile(u"song.mp3"_s, "x");
    start();
    const struct {
        int code;
        bool failed;
    } cases[] = {{42, false}, {33, false}, {32, true}, {2, true}, {0, true}};
    const QString folder = working.path() + QLatin1Char('/');
    for (const auto& c : cases) {
        for (const bool byKey : {true, false}) {
            SCOPED_TRACE(QStringLiteral("code %1 by %2")
                             .arg(c.code)
                             .arg(byKey ? u"Enter"_s : u"double-click"_s)
                             .toStdString());
            const qsizetype shownBefore = prompts.shown().size();
            shell.answerOpen(c.code);
            if (byKey) {
                window->lvwFile->setCurrentIndex(window->lvwFile->model()->index(0, 0));
                QTest::keyClick(window->lvwFile, Qt::Key_Return);
            } else {
                doubleClick(window->lvwFile->viewport(), rowCentre(0));
            }
            ASSERT_EQ(shell.opened().last(), (ScriptedShell::Opened{folder, u"song.mp3"_s}));
            const QList<ScriptedPrompts::Shown> shown = prompts.shown().mid(shownBefore);
            if (!c.failed) {
                EXPECT_TRUE(shown.isEmpty());
                continue;
            }
            ASSERT_EQ(shown.size(), 1);
            EXPECT_EQ(shown[0].kind, u"message"_s);
            EXPECT_EQ(shown[0].text, u"ShellExecuteでエラーになりました。"_s);
            EXPECT_EQ(shown[0].title, u"エラー"_s);
            EXPECT_EQ(shown[0].icon, Prompts::Icon::Exclamation);
        }
    }
    EXPECT_EQ(shell.opened().size(), 10);
}

TEST_F(FileListInteractionsTest, NothingToOpenInAnEmptyListOrWithoutACurrentItem) {
    start();
    doubleClick(window->lvwFile->viewport(), {10, 10});
    QTest::keyClick(window->lvwFile, Qt::Key_Return);

    writeFile(u"song.mp3"_s, "x");
    window->fillFileList(working.path());
    ASSERT_EQ(window->lvwFile->itemCount(), 1);
    window->lvwFile->setCurrentIndex({});
    window->lvwFile_KeyDown(input::kKeyReturn, 0);
    EXPECT_TRUE(shell.opened().isEmpty());
    EXPECT_TRUE(prompts.shown().isEmpty());
}

TEST_F(FileListInteractionsTest, RightButtonPopsUpTheMenuOfTheControl) {
    writeFile(u"song.mp3"_s, "x");
    start();
    const struct {
        const char* name;
        QWidget* over;
        QMenu* menu;
    } cases[] = {
        {"file list", window->lvwFile->viewport(), window->menuFileList},
        {"folder tree", window->dirlst->viewport(), window->menuFolder},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTest::mouseClick(c.over, Qt::LeftButton, {}, {5, 5});
        EXPECT_FALSE(c.menu->isVisible());
        QTest::mouseClick(c.over, Qt::RightButton, {}, {5, 5});
        EXPECT_TRUE(c.menu->isVisible());
        c.menu->close();
    }
}

}  // namespace
}  // namespace tunedeck::testing
