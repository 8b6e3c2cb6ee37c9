#include "window_fixture.h"

#include "cp932.h"
#include "desktop_shell.h"
#include "music_file_listing.h"
#include "music_files.h"
#include "volumes.h"

#include <QHeaderView>
#include <QStorageInfo>
#include <QTest>

#include <dirent.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace tunedeck::testing {
namespace {

// The names out of `wanted` in the order the file system hands them out, read without Qt.
QStringList directoryOrder(const QString& folder, const QStringList& wanted) {
    QStringList names;
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    while (const dirent* entry = ::readdir(dir))
        if (wanted.contains(QFile::decodeName(entry->d_name)))
            names << QFile::decodeName(entry->d_name);
    ::closedir(dir);
    return names;
}

// A double-click as the window system delivers it: a click, then the double-click itself.
void doubleClick(QWidget* widget, QPoint at) {
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
}

class ComputerPaneTest : public WindowTest {
  protected:
    const QStringList kFillTexts = {u"ディスクのフォルダ情報を取得中..."_s, u"ファイル情報を取得中..."_s,
                                    u"Ready"_s, u"Ready"_s};

    QPoint rowCentre(int row) const {
        return window->lvwFile->visualRect(window->lvwFile->model()->index(row, 0)).center();
    }
    void highlight(const QString& name) const {
        const auto found = window->dirlst->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
        ASSERT_EQ(found.size(), 1);
        window->dirlst->setCurrentItem(found.first());
    }
    void chooseDrive(const QString& root) const {
        window->drvList->addItem(root, root);
        window->drvList->setCurrentIndex(window->drvList->count() - 1);
    }
};

// The tree opens on the working folder, and the list holds its music files as the file system orders them:
// plain files with a music extension, no folders, pipes or hidden files; tags and sizes in their columns.
// Moving through the tree never moves the working folder, so the refresh brings the tree back to it, with
// folders made meanwhile; a fill lists in file-system order, sorting off and its key kept. A drive that
// cannot be read keeps the tree where it was; a folder that cannot be listed lists nothing.
TEST_F(ComputerPaneTest, StartUpAndTheRefreshListTheWorkingFolder) {
    const QStringList music = {u"b.mp3"_s, u"A.Mp3"_s, u"c.rmp"_s, u"long name 曲.mp3"_s, u"tagged.mp3"_s};
    for (const QString& name : music + QStringList{u"x.mp3.bak"_s, u"x.rmp3"_s, u"x_mp3"_s, u"._b.mp3"_s,
                                                   u"folder.mp3/x"_s, u"sub/s.mp3"_s})
        workFile(name);
    workFile(u"tagged.mp3"_s,
             mp3File({.title = cp932::encode(u"テーマ"), .artist = "Artist"}, 1048576 - 128));
    ASSERT_EQ(::mkfifo(QFile::encodeName(working.filePath(u"pipe.mp3"_s)).constData(), 0600), 0);
    frmTunedeck& w = start();
    EXPECT_EQ(w.dirlst->path(), working.path());
    EXPECT_EQ(w.drvList->drive(), QStorageInfo(working.path()).rootPath());
    EXPECT_EQ(rows(*w.lvwFile, 1), directoryOrder(working.path(), music));
    EXPECT_TRUE(rows(*w.lvwFile).contains(u"tagged.mp3|Artist|テーマ|1,024KB"_s) &&
                rows(*w.lvwFile).contains(u"b.mp3|||0KB"_s));
    EXPECT_EQ(takeStatusTexts().mid(0, 4), kFillTexts);

    w.lvwFile_ColumnClick(4);
    ASSERT_TRUE(w.dirlst->setPath(working.filePath(u"sub"_s)));
    EXPECT_EQ(rows(*w.lvwFile, 1), QStringList({u"s.mp3"_s}));
    workFile(u"made meanwhile/x"_s);
    takeStatusTexts();
    w.menuFolRef->trigger();
    EXPECT_EQ(w.dirlst->path(), working.path());
    EXPECT_EQ(rows(*w.lvwFile, 1), directoryOrder(working.path(), music));
    EXPECT_TRUE(!w.lvwFile->isSorted() && w.lvwFile->sortKey() == 3);
    EXPECT_FALSE(w.dirlst->findItems(u"made meanwhile"_s, Qt::MatchExactly | Qt::MatchRecursive).isEmpty());
    EXPECT_EQ(takeStatusTexts(), kFillTexts);
    w.menuFolRef->trigger();
    EXPECT_EQ(takeStatusTexts(), kFillTexts) << "the same folder is read again";

    chooseDrive(working.filePath(u"unmounted"_s));
    EXPECT_EQ(w.dirlst->path(), working.path());
    EXPECT_EQ(takeStatusTexts(), QStringList({kFillTexts[0], u"Ready"_s}));
    w.fillFileList(working.filePath(u"b.mp3"_s));
    EXPECT_EQ(w.lvwFile->itemCount(), 0);
    EXPECT_EQ(takeStatusTexts(), kFillTexts.mid(1, 2));
    EXPECT_EQ(QDir::currentPath(), working.path());
}

// The tree shows the subfolders of its folder, sorted, hidden ones too. Enter and a double-click open the
// highlighted folder, and one that is gone leaves the tree at the nearest that exists; Backspace goes up and
// stays at a root, which a mounted drive's root is too.
TEST_F(ComputerPaneTest, KeysAndDoubleClicksMoveThroughTheTree) {
    const QString sub = QFileInfo(workFile(u"sub/inner.mp3"_s)).path();
    for (const QString& name : {u"vanishing/x"_s, u".hidden/x"_s, u"A/x"_s})
        workFile(name);
    frmTunedeck& w = start();
    QStringList subfolders;
    for (int i = 0; i < w.dirlst->currentItem()->childCount(); ++i)
        subfolders << w.dirlst->currentItem()->child(i)->text(0);
    EXPECT_EQ(subfolders.join(u" "_s), u".hidden A sub vanishing"_s);
    highlight(u"sub"_s);
    QTest::keyClick(w.dirlst, Qt::Key_Return);
    EXPECT_EQ(rows(*w.lvwFile, 1), QStringList({u"inner.mp3"_s}));
    QTest::keyClick(w.dirlst, Qt::Key_Backspace);
    EXPECT_EQ(w.dirlst->path(), working.path());
    highlight(u"vanishing"_s);
    ASSERT_TRUE(QDir(working.filePath(u"vanishing"_s)).removeRecursively());
    QTest::keyClick(w.dirlst, Qt::Key_Return);
    EXPECT_EQ(w.dirlst->path(), working.path());
    highlight(u"sub"_s);
    doubleClick(w.dirlst->viewport(), w.dirlst->visualItemRect(w.dirlst->currentItem()).center());
    EXPECT_EQ(w.dirlst->path(), sub);

    chooseDrive(sub);
    takeStatusTexts();
    QTest::keyClick(w.dirlst, Qt::Key_Backspace);
    EXPECT_EQ(w.dirlst->path(), sub);
    EXPECT_EQ(takeStatusTexts(), kFillTexts.mid(1, 2)) << "filled again";
}

// The total counts the kilobytes as shown and follows clicks, not keys; a click beside the items clears it. A
// header click sorts by its column (sizes as text, case ignored), a second one on the same column switches
// sorting off and keeps the order; the selection stays on the same files. Enter and a double-click open the
// current file with the desktop, a shell code of 32 or less being an error; nothing is opened without a
// current file. The right button pops up the menu of the list or the tree.
TEST_F(ComputerPaneTest, SelectionTotalSortingAndOpening) {
    for (const auto& [name, bytes] : {std::pair{u"c.mp3"_s, 9 * 1024 + 1000},
                                      {u"B1.mp3"_s, 100 * 1024 + 1023},
                                      {u"a2.mp3"_s, 10 * 1024 + 1000}})
        workFile(name, QByteArray(bytes, 'x'));
    frmTunedeck& w = start();
    const auto click = [&](QPoint at, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(w.lvwFile->viewport(), Qt::LeftButton, modifiers, at);
        return w.lblFileTotalSize->text();
    };
    const auto clickHeader = [&](int column) {
        const QHeaderView* header = w.lvwFile->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          {header->sectionViewportPosition(column) + 5, 5});
        QStringList selected;
        for (int row = 0; row < w.lvwFile->itemCount(); ++row)
            selected << (w.lvwFile->isItemSelected(row) ? u"+"_s : u""_s) + w.lvwFile->itemText(row);
        return selected.join(u" "_s) + (w.lvwFile->isSorted() ? u" sorted"_s : u""_s);
    };
    EXPECT_EQ(clickHeader(0), u"a2.mp3 B1.mp3 c.mp3 sorted"_s);
    EXPECT_EQ(click(rowCentre(0)), u"10kbyte選択"_s);
    EXPECT_EQ(click(rowCentre(2), Qt::ShiftModifier), u"119kbyte選択"_s);
    QTest::keyClick(w.lvwFile, Qt::Key_Up);
    EXPECT_EQ(w.lblFileTotalSize->text(), u"119kbyte選択"_s);
    EXPECT_EQ(clickHeader(3), u"+B1.mp3 a2.mp3 c.mp3 sorted"_s);  // 100KB, 10KB, 9KB
    EXPECT_EQ(clickHeader(3), u"+B1.mp3 a2.mp3 c.mp3"_s);
    EXPECT_EQ(w.lvwFile->itemText(w.lvwFile->currentRow()), u"B1.mp3"_s);

    shell.answerOpen(33);
    QTest::keyClick(w.lvwFile, Qt::Key_Return);
    shell.answerOpen(32);
    doubleClick(w.lvwFile->viewport(), rowCentre(0));
    EXPECT_EQ(shell.opened(), QList<ScriptedShell::Opened>(2, {working.path() + u"/"_s, u"B1.mp3"_s}));
    ASSERT_EQ(prompts.shown().size(), 1) << "only the code of 32 is an error";
    const ScriptedPrompts::Shown& box = prompts.shown().last();
    EXPECT_EQ(box.text + u"|"_s + box.title + u"|"_s + QString::number(int(box.icon)),
              u"ShellExecuteでエラーになりました。|エラー|%1"_s.arg(int(Prompts::Icon::Exclamation)));
    EXPECT_EQ(click(rowCentre(2) + QPoint(0, 40)), u"0kbyte選択"_s) << "a click beside the items";
    w.lvwFile->setCurrentIndex({});
    QTest::keyClick(w.lvwFile, Qt::Key_Return);
    EXPECT_EQ(shell.opened().size(), 2);
    for (const auto& [over, menu] :
         {std::pair{w.lvwFile->viewport(), w.menuFileList}, {w.dirlst->viewport(), w.menuFolder}}) {
        QTest::mouseClick(over, Qt::RightButton, {}, {5, 5});
        EXPECT_TRUE(menu->isVisible());
        menu->close();
    }
}

// A file gone after the listing stops nothing. Among the mounted volumes: the root first, whatever it is, and
// once; a folder on a real file system; the working folder's volume, whatever it is; no pseudo file system
// and no root that is not a folder.
TEST(MusicFileListing, RowsAndVolumes) {
    EXPECT_EQ(fileListRow(u"/nonexistent/"_s, u"gone.mp3"_s, u"%3"_s), FileListRow{});
    const Volume root{.rootPath = u"/"_s, .fileSystemType = "overlay"};
    const Volume stick{.rootPath = u"/media/STICK"_s, .name = u"STICK"_s, .fileSystemType = "vfat"};
    const Volume scratch{.rootPath = u"/tmp"_s, .fileSystemType = "tmpfs"};
    const Volume hosts{.rootPath = u"/etc/hosts"_s, .fileSystemType = "ext4", .rootIsFolder = false};
    const Volume proc{.rootPath = u"/proc"_s, .fileSystemType = "proc"};
    EXPECT_EQ(browsableVolumes({proc, stick, root, hosts, scratch, root}, u"/tmp"_s),
              QList<Volume>({root, stick, scratch}));
}

// The Windows shell's codes; the opener gets the file's full path and runs in the file's folder. With the
// shell as the opener, each file is the script of what its opener does.
TEST(DesktopShell, OpensInTheFilesFolderAndAnswersWithTheShellsCodes) {
    const QTemporaryDir dir;
    const QString folder = dir.path() + u"/曲 folder"_s;
    const QString report = dir.path() + u"/report"_s;
    writeFile(folder + u"/slow.mp3"_s, "sleep 3");
    writeFile(folder + u"/song 1.mp3"_s,
              (u"{ pwd; echo \"$0\"; } > '%1.part' && mv '%1.part' '%1'"_s.arg(report)).toUtf8());
    for (const auto& [opener, inFolder, file, code] :
         {std::tuple{u"true"_s, dir.path() + u"/gone"_s, u"song 1.mp3"_s, 3},
          {u"true"_s, folder, u"gone.mp3"_s, 2},
          {dir.path() + u"/no such opener"_s, folder, u"song 1.mp3"_s, 31},
          {u"false"_s, folder, u"song 1.mp3"_s, 31},
          {u"sh"_s, folder, u"slow.mp3"_s, 42},
          {u"sh"_s, folder, u"song 1.mp3"_s, 42}})
        EXPECT_EQ(DesktopShell(opener).open(inFolder, file), code) << file.toStdString();
    // The opener may outlive its answer; its report appears whole, by a rename.
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(report); }, 30000)) << "the opener did not run";
    QFile written(report);
    EXPECT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(written.readAll()), folder + u"\n"_s + folder + u"/song 1.mp3\n"_s);
}

}  // namespace
}  // namespace tunedeck::testing
