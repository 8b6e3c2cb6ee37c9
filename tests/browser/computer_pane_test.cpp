#include "window_fixture.h"

#include "cp932.h"
#include "music_files.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QStorageInfo>
#include <QTest>

#include <dirent.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace tunedeck::testing {
namespace {

// The music files of a folder in the order the file system hands its names out, read without Qt.
QStringList directoryOrder(const QString& folder, const QStringList& music) {
    QStringList names;
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    while (const dirent* entry = dir ? ::readdir(dir) : nullptr)
        if (music.contains(QFile::decodeName(entry->d_name)))
            names << QFile::decodeName(entry->d_name);
    if (dir)
        ::closedir(dir);
    return names;
}

class ComputerPaneTest : public WindowTest {
  protected:
    const QStringList texts = {u"ディスクのフォルダ情報を取得中..."_s, u"ファイル情報を取得中..."_s,
                               u"Ready"_s, u"Ready"_s};

    QPoint rowCentre(int row) const {
        return window->lvwFile->visualRect(window->lvwFile->model()->index(row, 0)).center();
    }
    void clickRow(int row, Qt::KeyboardModifiers modifiers = {}) const {
        QTest::mouseClick(window->lvwFile->viewport(), Qt::LeftButton, modifiers, rowCentre(row));
    }
    void clickHeader(int column) const {
        const QHeaderView* header = window->lvwFile->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          {header->sectionViewportPosition(column) + 5, header->height() / 2});
    }
    void highlight(const QString& name) const {
        const auto found = window->dirlst->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
        ASSERT_EQ(found.size(), 1);
        window->dirlst->setCurrentItem(found.first());
    }
};

// The tree opens on the working folder and the list holds its music files as the file system orders them:
// plain files with a music extension, no folders, pipes or hidden files; tags and sizes in their columns.
TEST_F(ComputerPaneTest, StartUpListsTheWorkingFolder) {
    const QStringList music = {u"b.mp3"_s, u"A.Mp3"_s, u"c.rmp"_s, u"long name 曲.mp3"_s, u"tagged.mp3"_s};
    for (const QString& name :
         music + QStringList{u"x.mp3.bak"_s, u"z.txt"_s, u"._b.mp3"_s, u"folder.mp3/x"_s})
        working.write(name);
    working.write(u"tagged.mp3"_s,
                  mp3File({.title = cp932::encode(u"テーマ"), .artist = "Artist"}, 1048576 - 128));
    ASSERT_EQ(::mkfifo(QFile::encodeName(working.path() + u"/pipe.mp3"_s).constData(), 0600), 0);
    frmTunedeck& w = start();
    EXPECT_EQ(w.dirlst->path(), working.path());
    EXPECT_EQ(w.drvList->drive(), QStorageInfo(working.path()).rootPath());
    EXPECT_EQ(w.drvList->itemData(0).toString(), u"/"_s) << "the root volume first";
    EXPECT_EQ(names(*w.lvwFile), directoryOrder(working.path(), music));
    EXPECT_TRUE(listRows(*w.lvwFile).contains(u"tagged.mp3|Artist|テーマ|1,024KB"_s));
    EXPECT_TRUE(listRows(*w.lvwFile).contains(u"b.mp3|||0KB"_s));
    EXPECT_EQ(takeStatusTexts().mid(0, 4), texts);
}

// Moving through the tree never moves the working folder, so the refresh brings the tree back to it, with
// folders made meanwhile; a fill lists in file-system order whatever sorting was on, keeping its key.
TEST_F(ComputerPaneTest, RefreshBringsTheTreeBackToTheWorkingFolder) {
    for (const QString& name : {u"b.mp3"_s, u"a.mp3"_s, u"c.mp3"_s, u"sub/s.mp3"_s})
        working.write(name);
    frmTunedeck& w = start();
    w.lvwFile_ColumnClick(4);
    ASSERT_TRUE(w.dirlst->setPath(working.path() + u"/sub"_s));
    EXPECT_EQ(names(*w.lvwFile), QStringList({u"s.mp3"_s}));
    working.write(u"made meanwhile/x"_s);
    takeStatusTexts();
    w.menuFolRef->trigger();
    EXPECT_EQ(w.dirlst->path(), working.path());
    EXPECT_EQ(names(*w.lvwFile), directoryOrder(working.path(), {u"a.mp3"_s, u"b.mp3"_s, u"c.mp3"_s}));
    EXPECT_FALSE(w.lvwFile->isSorted());
    EXPECT_EQ(w.lvwFile->sortKey(), 3);
    EXPECT_FALSE(w.dirlst->findItems(u"made meanwhile"_s, Qt::MatchExactly | Qt::MatchRecursive).isEmpty());
    EXPECT_EQ(takeStatusTexts(), texts);
    EXPECT_EQ(QDir::currentPath(), working.path());

    // A drive that cannot be read keeps the tree where it was; a folder that cannot be listed lists nothing.
    w.drvList->addItem(working.path() + u"/unmounted"_s, working.path() + u"/unmounted"_s);
    w.drvList->setCurrentIndex(w.drvList->count() - 1);
    EXPECT_EQ(w.dirlst->path(), working.path());
    EXPECT_EQ(takeStatusTexts(), QStringList({texts[0], u"Ready"_s}));
    w.fillFileList(working.path() + u"/a.mp3"_s);
    EXPECT_EQ(w.lvwFile->itemCount(), 0);
    EXPECT_EQ(takeStatusTexts(), texts.mid(1, 2));
}

// Backspace goes up and stays at a root, which a mounted drive's root is too; Enter and a double-click open
// the highlighted folder, and one that is gone leaves the tree at the nearest that exists.
TEST_F(ComputerPaneTest, KeysAndDoubleClicksMoveThroughTheTree) {
    const QString sub = QFileInfo(working.write(u"sub/inner.mp3"_s)).path();
    working.write(u"vanishing/x"_s);
    frmTunedeck& w = start();
    highlight(u"sub"_s);
    QTest::keyClick(w.dirlst, Qt::Key_Return);
    EXPECT_EQ(names(*w.lvwFile), QStringList({u"inner.mp3"_s}));
    QTest::keyClick(w.dirlst, Qt::Key_Backspace);
    EXPECT_EQ(w.dirlst->path(), working.path());
    highlight(u"vanishing"_s);
    ASSERT_TRUE(QDir(working.path() + u"/vanishing"_s).removeRecursively());
    QTest::keyClick(w.dirlst, Qt::Key_Return);
    EXPECT_EQ(w.dirlst->path(), working.path());
    EXPECT_EQ(lastStatus(), u"Ready"_s);
    highlight(u"sub"_s);
    doubleClick(w.dirlst->viewport(), w.dirlst->visualItemRect(w.dirlst->currentItem()).center());
    EXPECT_EQ(w.dirlst->path(), sub);

    for (const QString& root : {u"/"_s, sub}) {
        w.drvList->addItem(root, root);
        w.drvList->setCurrentIndex(w.drvList->count() - 1);
        ASSERT_TRUE(w.dirlst->setPath(root));
        takeStatusTexts();
        QTest::keyClick(w.dirlst, Qt::Key_Backspace);
        EXPECT_EQ(w.dirlst->path(), root);
        EXPECT_EQ(takeStatusTexts(), texts.mid(1, 2)) << "filled again";
    }
}

// The tree shows the ancestors and, sorted, the subfolders of its folder, and reports every setting, also of
// the same folder; a folder that is not there is refused.
TEST(FolderTree, ShowsAncestorsAndSubfoldersAndReportsEverySetting) {
    const QTemporaryDir dir;
    for (const QString& name : {u"b"_s, u"A"_s, u".hidden"_s, u"c/deeper"_s})
        ASSERT_TRUE(QDir(dir.path()).mkpath(name));
    FolderTree tree;
    const QSignalSpy changes(&tree, &FolderTree::changed);
    ASSERT_TRUE(tree.setPath(dir.path() + u"/"_s));
    ASSERT_TRUE(tree.setPath(dir.path()));
    EXPECT_EQ(changes.count(), 2);
    EXPECT_EQ(tree.highlightedPath(), dir.path());
    QStringList shown;
    for (QTreeWidgetItem* item = tree.topLevelItem(0); item; item = tree.itemBelow(item))
        shown << item->text(0);
    const QStringList parts = dir.path().split(QLatin1Char('/'), Qt::SkipEmptyParts);
    EXPECT_EQ(shown, QStringList{u"/"_s} + parts + QStringList({u".hidden"_s, u"A"_s, u"b"_s, u"c"_s}));
    EXPECT_FALSE(tree.setPath(dir.path() + u"/missing"_s));
    EXPECT_EQ(tree.path(), dir.path());
    tree.open(dir.path() + u"/c/gone/deeper"_s);
    EXPECT_EQ(tree.path(), dir.path() + u"/c"_s);
}

// The total counts the kilobytes as shown and follows clicks, not keys; a click beside the items clears it.
TEST_F(ComputerPaneTest, SelectionTotalFollowsClicks) {
    for (const QString& name : {u"a.mp3"_s, u"b.mp3"_s, u"c.mp3"_s})
        working.write(name, QByteArray(1500, 'x'));
    working.write(u"d.mp3"_s, QByteArray(2 * 1024 * 1024 + 1023, 'x'));
    frmTunedeck& w = start();
    w.lvwFile_ColumnClick(1);
    const struct {
        int row;
        Qt::KeyboardModifiers modifiers;
        QString total;
    } clicks[] = {{0, {}, u"1kbyte選択"_s},
                  {2, Qt::ShiftModifier, u"3kbyte選択"_s},
                  {3, Qt::ControlModifier, u"2,051kbyte選択"_s}};
    for (const auto& c : clicks) {
        clickRow(c.row, c.modifiers);
        EXPECT_EQ(w.lblFileTotalSize->text(), c.total);
    }
    QTest::keyClick(w.lvwFile, Qt::Key_Up);
    EXPECT_EQ(w.lblFileTotalSize->text(), u"2,051kbyte選択"_s);
    QTest::mouseClick(w.lvwFile->viewport(), Qt::LeftButton, {}, rowCentre(3) + QPoint(0, 40));
    EXPECT_EQ(w.lblFileTotalSize->text(), u"0kbyte選択"_s);
}

// A header click sorts by its column (sizes as text, case ignored), the next switches sorting off and keeps
// the order, and the selection stays on the same files.
TEST_F(ComputerPaneTest, HeaderClicksSortAndSwitchSortingOff) {
    for (const auto& [name, kilobytes] : {std::pair{u"c.mp3"_s, 9}, {u"B1.mp3"_s, 100}, {u"a2.mp3"_s, 10}})
        working.write(name, QByteArray(kilobytes * 1024, 'x'));
    frmTunedeck& w = start();
    const QStringList byName = {u"a2.mp3"_s, u"B1.mp3"_s, u"c.mp3"_s};
    clickRow(int(names(*w.lvwFile).indexOf(u"c.mp3"_s)));
    for (const auto& [column, sorted, order] :
         {std::tuple{0, true, byName},
          {0, false, byName},
          {3, true, QStringList{u"B1.mp3"_s, u"a2.mp3"_s, u"c.mp3"_s}}}) {
        clickHeader(column);
        EXPECT_EQ(names(*w.lvwFile), order);
        EXPECT_EQ(w.lvwFile->isSorted(), sorted);
        EXPECT_EQ(w.lvwFile->itemText(w.lvwFile->currentRow()), u"c.mp3"_s);
        EXPECT_TRUE(w.lvwFile->isItemSelected(w.lvwFile->currentRow()));
    }
}

// Enter and a double-click open the current file with the desktop; a shell code of 32 or less is an error.
// Nothing is opened without a current file; the right button pops up the menu of the list or the tree.
TEST_F(ComputerPaneTest, OpeningFilesAndPopUpMenus) {
    working.write(u"song.mp3"_s);
    frmTunedeck& w = start();
    for (const auto& [code, failed] : {std::pair{33, false}, {32, true}}) {
        for (const bool byKey : {true, false}) {
            const qsizetype shownBefore = prompts.shown().size();
            shell.answerOpen(code);
            if (byKey) {
                w.lvwFile->setCurrentIndex(w.lvwFile->model()->index(0, 0));
                QTest::keyClick(w.lvwFile, Qt::Key_Return);
            } else {
                doubleClick(w.lvwFile->viewport(), rowCentre(0));
            }
            EXPECT_EQ(shell.opened().last(), (ScriptedShell::Opened{working.path() + u"/"_s, u"song.mp3"_s}));
            QStringList messages;
            for (const auto& shown : prompts.shown().mid(shownBefore))
                messages << shown.text + u"|"_s + shown.title + u"|"_s + QString::number(int(shown.icon));
            const QString error =
                u"ShellExecuteでエラーになりました。|エラー|%1"_s.arg(int(Prompts::Icon::Exclamation));
            EXPECT_EQ(messages, failed ? QStringList{error} : QStringList()) << code;
        }
    }
    w.lvwFile->setCurrentIndex({});
    QTest::keyClick(w.lvwFile, Qt::Key_Return);
    EXPECT_EQ(shell.opened().size(), 4);

    for (const auto& [over, menu] :
         {std::pair{w.lvwFile->viewport(), w.menuFileList}, {w.dirlst->viewport(), w.menuFolder}}) {
        QTest::mouseClick(over, Qt::LeftButton, {}, {5, 5});
        EXPECT_FALSE(menu->isVisible());
        QTest::mouseClick(over, Qt::RightButton, {}, {5, 5});
        EXPECT_TRUE(menu->isVisible());
        menu->close();
    }
}

}  // namespace
}  // namespace tunedeck::testing
