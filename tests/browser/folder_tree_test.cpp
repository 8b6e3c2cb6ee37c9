#include "browser_fixture.h"

#include "folder_tree.h"
#include "music_files.h"

#include <QSignalSpy>
#include <QStorageInfo>
#include <QTest>

#include <functional>

namespace tunedeck::testing {
namespace {

// The tree's entries, indented by level, the highlighted one marked.
QStringList entries(const QTreeWidget& tree) {
    QStringList lines;
    const std::function<void(const QTreeWidgetItem*, int)> walk = [&](const QTreeWidgetItem* item,
                                                                      int level) {
        lines << QString(level * 2, ' ') + item->text(0) + (item == tree.currentItem() ? " *" : "");
        for (int i = 0; i < item->childCount(); ++i)
            walk(item->child(i), level + 1);
    };
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        walk(tree.topLevelItem(i), 0);
    return lines;
}

TEST(FolderTree, ShowsAncestorsAndSubfoldersAndReportsEverySetting) {
    const QTemporaryDir dir;
    for (const char* name : {"b", "A", ".hidden", "c/deeper"})
        ASSERT_TRUE(QDir(dir.path()).mkpath(name));
    writeBytes(dir.path() + "/file.mp3", "x");

    FolderTree tree;
    const QSignalSpy changes(&tree, &FolderTree::changed);
    ASSERT_TRUE(tree.setPath(dir.path() + "/"));
    EXPECT_EQ(tree.path(), dir.path());
    QStringList expected{"/"};
    const QStringList parts = dir.path().split('/', Qt::SkipEmptyParts);
    for (int i = 0; i < parts.size(); ++i)
        expected << QString((i + 1) * 2, ' ') + parts[i] + (i + 1 == parts.size() ? " *" : "");
    const QString below(parts.size() * 2 + 2, ' ');
    expected << below + ".hidden" << below + "A" << below + "b" << below + "c";
    EXPECT_EQ(entries(tree), expected);
    EXPECT_EQ(tree.highlightedPath(), dir.path());

    ASSERT_TRUE(tree.setPath(dir.path()));
    EXPECT_EQ(changes.count(), 2) << "setting the same folder again is a change too";

    EXPECT_FALSE(tree.setPath(dir.path() + "/missing"));
    EXPECT_FALSE(tree.setPath(dir.path() + "/file.mp3"));
    EXPECT_EQ(tree.path(), dir.path());
    EXPECT_EQ(changes.count(), 2);
}

TEST(FolderTree, RefreshReadsNewSubfoldersWithoutAChange) {
    const QTemporaryDir dir;
    FolderTree tree;
    ASSERT_TRUE(tree.setPath(dir.path()));
    const QSignalSpy changes(&tree, &FolderTree::changed);
    ASSERT_TRUE(QDir(dir.path()).mkdir("new"));
    tree.refresh();
    EXPECT_TRUE(entries(tree).last().endsWith("  new"));
    EXPECT_EQ(changes.count(), 0);
}

TEST(FolderTree, OpeningAFolderThatIsGoneStopsAtTheNearestOneThatExists) {
    const QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath("a/b"));
    FolderTree tree;
    ASSERT_TRUE(tree.setPath(dir.path() + "/a/b"));
    tree.open(dir.path() + "/a/gone/deeper");
    EXPECT_EQ(tree.path(), dir.path() + "/a");
    tree.open("/");
    EXPECT_EQ(tree.path(), "/");
}

// Chooses a drive mounted at `root`, as the user picks a volume from the drive list.
void chooseDrive(DriveList& drives, const QString& root) {
    drives.addItem(root, root);
    drives.setCurrentIndex(drives.count() - 1);
}

using FolderTreeKeysTest = BrowserTest;

TEST_F(FolderTreeKeysTest, BackspaceGoesUpAndStaysAtTheRoot) {
    writeFile("top.mp3", "x");
    const QString sub = makeFolder("sub");
    writeBytes(sub + "/inner.mp3", "x");
    frmTunedeck& w = start();
    ASSERT_TRUE(w.dirlst->setPath(sub));
    ASSERT_EQ(fileNames(), QStringList({"inner.mp3"}));

    QTest::keyClick(w.dirlst, Qt::Key_Backspace);
    EXPECT_EQ(w.dirlst->path(), working.path());
    EXPECT_EQ(fileNames(), QStringList({"top.mp3"}));

    ASSERT_TRUE(w.dirlst->setPath("/"));
    takeStatusTexts();
    QTest::keyClick(w.dirlst, Qt::Key_Backspace);
    EXPECT_EQ(w.dirlst->path(), "/");
    EXPECT_EQ(takeStatusTexts(), QStringList({u"ファイル情報を取得中..."_qs, "Ready"})) << "filled again";
    EXPECT_EQ(QDir::currentPath(), working.path()) << "the tree never moves the working folder";

    chooseDrive(*w.drvList, sub);
    ASSERT_EQ(w.dirlst->path(), sub);
    QTest::keyClick(w.dirlst, Qt::Key_Backspace);
    EXPECT_EQ(w.dirlst->path(), sub) << "a mounted drive's root is a root too";
    EXPECT_EQ(fileNames(), QStringList({"inner.mp3"}));
}

TEST_F(FolderTreeKeysTest, EnterOpensTheHighlightedFolder) {
    const QString sub = makeFolder("sub");
    writeBytes(sub + "/inner.mp3", "x");
    makeFolder("vanishing");
    frmTunedeck& w = start();
    const auto highlight = [&](const QString& name) {
        const QList<QTreeWidgetItem*> found =
            w.dirlst->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
        ASSERT_EQ(found.size(), 1);
        w.dirlst->setCurrentItem(found.first());
    };

    highlight("sub");
    EXPECT_TRUE(fileNames().isEmpty());
    QTest::keyClick(w.dirlst, Qt::Key_Return);
    EXPECT_EQ(w.dirlst->path(), sub);
    EXPECT_EQ(fileNames(), QStringList({"inner.mp3"}));

    QTest::keyClick(w.dirlst, Qt::Key_Backspace);
    highlight("vanishing");
    ASSERT_TRUE(QDir(working.path()).rmdir("vanishing"));
    QTest::keyClick(w.dirlst, Qt::Key_Return);
    EXPECT_EQ(w.dirlst->path(), working.path());
    EXPECT_TRUE(w.isEnabled());
    EXPECT_EQ(w.stbRioInfo->panelText(1), "Ready");
}

TEST_F(FolderTreeKeysTest, DoubleClickOpensAFolder) {
    const QString sub = makeFolder("sub");
    writeBytes(sub + "/inner.mp3", "x");
    frmTunedeck& w = start();
    const QList<QTreeWidgetItem*> found = w.dirlst->findItems("sub", Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(found.size(), 1);
    w.dirlst->scrollToItem(found.first());
    doubleClick(w.dirlst->viewport(), w.dirlst->visualItemRect(found.first()).center());
    EXPECT_EQ(w.dirlst->path(), sub);
    EXPECT_EQ(fileNames(), QStringList({"inner.mp3"}));
}

using DriveChangeTest = BrowserTest;

TEST_F(DriveChangeTest, StartUpFillsTheTreeAndListFromTheWorkingFolder) {
    writeFile("song.mp3", "x");
    frmTunedeck& w = start();
    EXPECT_EQ(w.dirlst->path(), working.path());
    EXPECT_EQ(w.drvList->drive(), QStorageInfo(working.path()).rootPath());
    EXPECT_EQ(w.drvList->itemData(0).toString(), "/") << "the root volume first";
    EXPECT_EQ(fileNames(), QStringList({"song.mp3"}));
    const QStringList texts = takeStatusTexts();
    EXPECT_EQ(texts.mid(0, 4), QStringList({u"ディスクのフォルダ情報を取得中..."_qs,
                                            u"ファイル情報を取得中..."_qs, "Ready", "Ready"}));
}

TEST_F(DriveChangeTest, RefreshBringsTheTreeBackToTheWorkingFolder) {
    writeFile("song.mp3", "x");
    const QString sub = makeFolder("sub");
    frmTunedeck& w = start();
    ASSERT_TRUE(w.dirlst->setPath(sub));
    ASSERT_TRUE(fileNames().isEmpty());
    makeFolder("made meanwhile");
    takeStatusTexts();

    w.menuFolRef->trigger();
    EXPECT_EQ(w.dirlst->path(), working.path());
    EXPECT_EQ(fileNames(), QStringList({"song.mp3"}));
    EXPECT_FALSE(w.dirlst->findItems("made meanwhile", Qt::MatchExactly | Qt::MatchRecursive).isEmpty());
    EXPECT_EQ(takeStatusTexts(), QStringList({u"ディスクのフォルダ情報を取得中..."_qs,
                                              u"ファイル情報を取得中..."_qs, "Ready", "Ready"}));
}

TEST_F(DriveChangeTest, ADriveThatCannotBeReadKeepsTheTreeWhereItWasAndReReadsIt) {
    writeFile("song.mp3", "x");
    frmTunedeck& w = start();
    makeFolder("made meanwhile");
    takeStatusTexts();

    const QString gone = working.path() + "/unmounted";
    chooseDrive(*w.drvList, gone);
    EXPECT_EQ(w.drvList->drive(), gone);
    EXPECT_EQ(w.dirlst->path(), working.path());
    EXPECT_EQ(fileNames(), QStringList({"song.mp3"}));
    EXPECT_FALSE(w.dirlst->findItems("made meanwhile", Qt::MatchExactly | Qt::MatchRecursive).isEmpty());
    EXPECT_EQ(takeStatusTexts(), QStringList({u"ディスクのフォルダ情報を取得中..."_qs, "Ready"}));
}

}  // namespace
}  // namespace tunedeck::testing
