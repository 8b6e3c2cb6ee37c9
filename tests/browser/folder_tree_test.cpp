#include "browser_fixture.h"

#include "folder_tree.h"
#include "music_files.h"

#include <QSignalSpy>
#include <QStorageInfo>
#include <QTest>

#include <functional>

using namespace Qt::StringLiterals;

namespace tunedeck::testing {
namespace {

// The tree's entries, indented by level, the highlighted one marked.
QStringList entries(const QTreeWidget& tree) {
    QStringList lines;
    const std::function<void(const QTreeWidgetItem*, int)> walk = [&](const QTreeWidgetItem* item,
                                                                      int level) {
        lines << QString(level * 2, QLatin1Char(' ')) + item->text(0) +
                     (item == tree.currentItem() ? u" *"_s : u""_s);
        for (int i = 0; i < item->childCount(); ++i)
            walk(item->child(i), level + 1);
    };
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        walk(tree.topLevelItem(i), 0);
    return lines;
}

TEST(FolderTree, ShowsAncestorsAndSubfoldersAndReportsEverySetting) {
    const QTemporaryDir dir;
    for (const QString& name : {u"b"_s, u"A"_s, u".hidden"_s, u"c/deeper"_s})
        ASSERT_TRUE(QDir(dir.path()).mkpath(name));
    writeBytes(dir.path() + u"/file.mp3"_s, "x");

    FolderTree tree;
    const QSignalSpy changes(&tree, &FolderTree::changed);
    ASSERT_TRUE(tree.setPath(dir.path() + u"/"_s));
    EXPECT_EQ(tree.path(), dir.path());
    QStringList expected{u"/"_s};
    const QStringList parts = dir.path().split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (int i = 0; i < parts.size(); ++i)
        expected << QString((i + 1) * 2, QLatin1Char(' ')) + parts[i] +
                        (i + 1 == parts.size() ? u" *"_s : u""_s);
    const QString below(parts.size() * 2 + 2, QLatin1Char(' '));
    expected << below + u".hidden"_s << below + u"A"_s << below + u"b"_s << below + u"c"_s;
    EXPECT_EQ(entries(tree), expected);
    EXPECT_EQ(tree.highlightedPath(), dir.path());

    ASSERT_TRUE(tree.setPath(dir.path()));
    EXPECT_EQ(changes.count(), 2) << "setting the same folder again is a change too";

    EXPECT_FALSE(tree.setPath(dir.path() + u"/missing"_s));
    EXPECT_FALSE(tree.setPath(dir.path() + u"/file.mp3"_s));
    EXPECT_EQ(tree.path(), dir.path());
    EXPECT_EQ(changes.count(), 2);
}

TEST(FolderTree, RefreshReadsNewSubfoldersWithoutAChange) {
    const QTemporaryDir dir;
    FolderTree tree;
    ASSERT_TRUE(tree.setPath(dir.path()));
    const QSignalSpy changes(&tree, &FolderTree::changed);
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"new"_s));
    tree.refresh();
    EXPECT_TRUE(entries(tree).last().endsWith(u"  new"_s));
    EXPECT_EQ(changes.count(), 0);
}

TEST(FolderTree, OpeningAFolderThatIsGoneStopsAtTheNearestOneThatExists) {
    const QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath(u"a/b"_s));
    FolderTree tree;
    ASSERT_TRUE(tree.setPath(dir.path() + u"/a/b"_s));
    tree.open(dir.path() + u"/a/gone/deeper"_s);
    EXPECT_EQ(tree.path(), dir.path() + u"/a"_s);
    tree.open(u"/"_s);
    EXPECT_EQ(tree.path(), u"/"_s);
}

// Chooses a drive mounted at `root`, as the user picks a volume from the drive list.
void chooseDrive(DriveList& drives, const QString& root) {
    drives.addItem(root, root);
    drives.setCurrentIndex(drives.count() - 1);
}

using FolderTreeKeysTest = BrowserTest;

TEST_F(FolderTreeKeysTest, BackspaceGoesUpAndStaysAtTheRoot) {
    writeFile(u"top.mp3"_s, "x");
    const QString sub = makeFolder(u"sub"_s);
    writeBytes(sub + u"/inner.mp3"_s, "x");
    frmTunedeck& w = start();
    ASSERT_TRUE(w.dirlst->setPath(sub));
    ASSERT_EQ(fileNames(), QStringList({u"inner.mp3"_s}));

    QTest::keyClick(w.dirlst, Qt::Key_Backspace);
    EXPECT_EQ(w.dirlst->path(), working.path());
    EXPECT_EQ(fileNames(), QStringList({u"top.mp3"_s}));

    ASSERT_TRUE(w.dirlst->setPath(u"/"_s));
    takeStatusTexts();
    QTest::keyClick(w.dirlst, Qt::Key_Backspace);
    EXPECT_EQ(w.dirlst->path(), u"/"_s);
    EXPECT_EQ(takeStatusTexts(), QStringList({u"ファイル情報を取得中..."_s, u"Ready"_s})) << "filled again";
    EXPECT_EQ(QDir::currentPath(), working.path()) << "the tree never moves the working folder";

    chooseDrive(*w.drvList, sub);
    ASSERT_EQ(w.dirlst->path(), sub);
    QTest::keyClick(w.dirlst, Qt::Key_Backspace);
    EXPECT_EQ(w.dirlst->path(), sub) << "a mounted drive's root is a root too";
    EXPECT_EQ(fileNames(), QStringList({u"inner.mp3"_s}));
}

TEST_F(FolderTreeKeysTest, EnterOpensTheHighlightedFolder) {
    const QString sub = makeFolder(u"sub"_s);
    writeBytes(sub + u"/inner.mp3"_s, "x");
    makeFolder(u"vanishing"_s);
    frmTunedeck& w = start();
    const auto highlight = [&](const QString& name) {
        const QList<QTreeWidgetItem*> found =
            w.dirlst->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
        ASSERT_EQ(found.size(), 1);
        w.dirlst->setCurrentItem(found.first());
    };

    highlight(u"sub"_s);
    EXPECT_TRUE(fileNames().isEmpty());
    QTest::keyClick(w.dirlst, Qt::Key_Return);
    EXPECT_EQ(w.dirlst->path(), sub);
    EXPECT_EQ(fileNames(), QStringList({u"inner.mp3"_s}));

    QTest::keyClick(w.dirlst, Qt::Key_Backspace);
    highlight(u"vanishing"_s);
    ASSERT_TRUE(QDir(working.path()).rmdir(u"vanishing"_s));
    QTest::keyClick(w.dirlst, Qt::Key_Return);
    EXPECT_EQ(w.dirlst->path(), working.path());
    EXPECT_TRUE(w.isEnabled());
    EXPECT_EQ(w.stbRioInfo->panelText(1), u"Ready"_s);
}

TEST_F(FolderTreeKeysTest, DoubleClickOpensAFolder) {
    const QString sub = makeFolder(u"sub"_s);
    writeBytes(sub + u"/inner.mp3"_s, "x");
    frmTunedeck& w = start();
    const QList<QTreeWidgetItem*> found =
        w.dirlst->findItems(u"sub"_s, Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(found.size(), 1);
    w.dirlst->scrollToItem(found.first());
    doubleClick(w.dirlst->viewport(), w.dirlst->visualItemRect(found.first()).center());
    EXPECT_EQ(w.dirlst->path(), sub);
    EXPECT_EQ(fileNames(), QStringList({u"inner.mp3"_s}));
}

using DriveChangeTest = BrowserTest;

TEST_F(DriveChangeTest, StartUpFillsTheTreeAndListFromTheWorkingFolder) {
    writeFile(u"song.mp3"_s, "x");
    frmTunedeck& w = start();
    EXPECT_EQ(w.dirlst->path(), working.path());
    EXPECT_EQ(w.drvList->drive(), QStorageInfo(working.path()).rootPath());
    EXPECT_EQ(w.drvList->itemData(0).toString(), u"/"_s) << "the root volume first";
    EXPECT_EQ(fileNames(), QStringList({u"song.mp3"_s}));
    const QStringList texts = takeStatusTexts();
    EXPECT_EQ(texts.mid(0, 4), QStringList({u"ディスクのフォルダ情報を取得中..."_s,
                                            u"ファイル情報を取得中..."_s, u"Ready"_s, u"Ready"_s}));
}

TEST_F(DriveChangeTest, RefreshBringsTheTreeBackToTheWorkingFolder) {
    writeFile(u"song.mp3"_s, "x");
    const QString sub = makeFolder(u"sub"_s);
    frmTunedeck& w = start();
    ASSERT_TRUE(w.dirlst->setPath(sub));
    ASSERT_TRUE(fileNames().isEmpty());
    makeFolder(u"made meanwhile"_s);
    takeStatusTexts();

    w.menuFolRef->trigger();
    EXPECT_EQ(w.dirlst->path(), working.path());
    EXPECT_EQ(fileNames(), QStringList({u"song.mp3"_s}));
    EXPECT_FALSE(w.dirlst->findItems(u"made meanwhile"_s, Qt::MatchExactly | Qt::MatchRecursive).isEmpty());
    EXPECT_EQ(takeStatusTexts(), QStringList({u"ディスクのフォルダ情報を取得中..."_s,
                                              u"ファイル情報を取得中..."_s, u"Ready"_s, u"Ready"_s}));
}

TEST_F(DriveChangeTest, ADriveThatCannotBeReadKeepsTheTreeWhereItWasAndReReadsIt) {
    writeFile(u"song.mp3"_s, "x");
    frmTunedeck& w = start();
    makeFolder(u"made meanwhile"_s);
    takeStatusTexts();

    const QString gone = working.path() + u"/unmounted"_s;
    chooseDrive(*w.drvList, gone);
    EXPECT_EQ(w.drvList->drive(), gone);
    EXPECT_EQ(w.dirlst->path(), working.path());
    EXPECT_EQ(fileNames(), QStringList({u"song.mp3"_s}));
    EXPECT_FALSE(w.dirlst->findItems(u"made meanwhile"_s, Qt::MatchExactly | Qt::MatchRecursive).isEmpty());
    EXPECT_EQ(takeStatusTexts(), QStringList({u"ディスクのフォルダ情報を取得中..."_s, u"Ready"_s}));
}

}  // namespace
}  // namespace tunedeck::testing
