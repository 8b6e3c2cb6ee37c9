// SPDX-License-Identifier: GPL-3.0-or-later
#include "window_fixture.h"

#include "cp932.h"
#include "desktop_shell.h"
#include "folder_entries.h"
#include "local_path.h"
#include "music_file_listing.h"
#include "volumes.h"

#include <QStorageInfo>

#include <sys/stat.h>

namespace tunedeck::testing {
namespace {

using ComputerPaneTest = WindowTest;

// The tree opens on the working folder, its subfolders sorted, hidden ones too; the list holds the folder's
// music files in Windows' name order, a line break shown as a space: plain files with a music extension, no
// folders, pipes or hidden files; tags and sizes in their columns. A name in Shift-JIS shows decoded, one
// that decodes as nothing shows its bytes, and both open as they are. Enter and a double-click open the
// highlighted folder, and one that is gone leaves the tree at the nearest that exists; Backspace goes up.
// Moving through the tree never moves the working folder, so the refresh brings the tree back to it, with
// folders made meanwhile; a fill lists in name order, sorting off and its key kept. A drive that cannot be
// read keeps the tree where it was; Backspace stays at a drive's root and fills the list again.
TEST_F(ComputerPaneTest, TheTreeAndTheListFollowTheKeysTheDrivesAndTheRefresh) {
    const QString shiftJis = pathFromBytes("\x83\x65\x83\x58\x83\x67.mp3");  // テスト.mp3
    for (const QString& name :
         u"b.mp3|A.Mp3|c.rmp|long name 曲.mp3|line\nbreak.mp3|a_b.mp3|aab.mp3|9.mp3|10.mp3|"
         u"x.mp3.bak|x.rmp3|x_mp3|._b.mp3|folder.mp3/x|sub/s.mp3|.hidden/x|vanishing/x"_s.split(u'|') +
             QStringList{shiftJis, pathFromBytes("x\x83.mp3")})
        workFile(name);
    workFile(u"tagged.mp3"_s, mp3File({.title = "Theme", .artist = "Artist"}, 1048576 - 128));
    workFile(pathFromBytes(cp932::encode(u"曲集/"_s)) + shiftJis, mp3File({.title = "\x8B\xC8"}, 2048));
    ASSERT_EQ(::mkfifo(QFile::encodeName(working.filePath(u"pipe.mp3"_s)).constData(), 0600), 0);
    const QString inNameOrder =
        u"10.mp3|9.mp3|A.Mp3|aab.mp3|a_b.mp3|b.mp3|c.rmp|line break.mp3|"
        u"long name 曲.mp3|tagged.mp3|x\\x83.mp3|テスト.mp3"_s;
    const QStringList filling =
        u"ディスクのフォルダ情報を取得中...|ファイル情報を取得中...|Ready|Ready"_s.split(u'|');
    frmTunedeck& w = start();
    // Makes the folder `name` the tree's current item.
    const auto highlight = [&](const QString& name) {
        const auto found = w.dirlst->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
        w.dirlst->setCurrentItem(found.value(0));
        return found.value(0);
    };
    EXPECT_EQ(w.drvList->drive(), QStorageInfo(working.path()).rootPath());
    EXPECT_EQ(rows(*w.lvwFile, 1).join(u'|'), inNameOrder);
    EXPECT_TRUE(rows(*w.lvwFile).contains(u"tagged.mp3|Artist|Theme|1,024KB"_s));
    EXPECT_EQ(w.dirlst->currentItem()->child(0)->text(0), u".hidden"_s) << "sorted, hidden ones too";
    highlight(u"曲集"_s);
    QTest::keyClick(w.dirlst, Qt::Key_Return);
    EXPECT_EQ(rows(*w.lvwFile), QStringList({u"テスト.mp3||曲|2KB"_s}));
    QTest::keyClick(w.dirlst, Qt::Key_Backspace);
    EXPECT_EQ(w.dirlst->path(), working.path());
    clickColumn(*w.lvwFile, 4);
    ASSERT_TRUE(QDir(working.filePath(u"vanishing"_s)).removeRecursively());
    highlight(u"vanishing"_s);
    QTest::keyClick(w.dirlst, Qt::Key_Return);
    EXPECT_EQ(w.dirlst->path(), working.path());
    // A double-click as the window system delivers it: a click, then the double-click itself.
    const QPoint sub = w.dirlst->visualItemRect(highlight(u"sub"_s)).center();
    QTest::mouseClick(w.dirlst->viewport(), Qt::LeftButton, {}, sub);
    QTest::mouseDClick(w.dirlst->viewport(), Qt::LeftButton, {}, sub);
    EXPECT_EQ(w.dirlst->path(), working.filePath(u"sub"_s));

    // The volumes read again, and the choice kept, are no change of drive: no fill but the refresh's.
    workFile(u"made meanwhile/x"_s);
    takeStatusTexts();
    w.drvList->showPopup();
    w.drvList->hidePopup();
    w.menuFolRef->trigger();
    EXPECT_EQ(w.dirlst->path() + u'>' + rows(*w.lvwFile, 1).join(u'|'), working.path() + u'>' + inNameOrder);
    EXPECT_TRUE(!w.lvwFile->isSorted() && w.lvwFile->sortKey() == 3);
    EXPECT_NE(highlight(u"made meanwhile"_s), nullptr);

    w.drvList->addItem(working.filePath(u"unmounted"_s), working.filePath(u"unmounted"_s));
    w.drvList->setCurrentIndex(w.drvList->count() - 1);
    EXPECT_EQ(w.dirlst->path(), working.path());
    w.drvList->addItem(working.filePath(u"sub"_s), working.filePath(u"sub"_s));
    w.drvList->setCurrentIndex(w.drvList->count() - 1);
    QTest::keyClick(w.dirlst, Qt::Key_Backspace);
    EXPECT_EQ(w.dirlst->path(), working.filePath(u"sub"_s));
    // The refresh's fill; the drive that could not be read, tried once; the other's fill, then Backspace's.
    EXPECT_EQ(takeStatusTexts(), filling + filling.first(1) + filling.last(1) + filling + filling.mid(1, 2));
}

// The total counts the kilobytes as shown and follows every change of the selection and every fill. A
// header click sorts by its column (sizes as text, case ignored), a second one on the same column switches
// sorting off and keeps the order; the selection stays on the same files. Enter and a double-click open the
// current file with the desktop, a shell code of 32 or less being an error; nothing is opened without a
// current file. The right button pops up the menu of the list or the tree.
TEST_F(ComputerPaneTest, SelectionTotalSortingAndOpening) {
    for (const auto& [name, kilobytes] : {std::pair{u"c.mp3"_s, 9}, {u"B1.mp3"_s, 1000}, {u"a2.mp3"_s, 10}})
        workFile(name, QByteArray(kilobytes * 1024 + 1000, 'x'));
    frmTunedeck& w = start();
    const auto rowCentre = [&](int row) {
        return w.lvwFile->visualRect(w.lvwFile->model()->index(row, 0)).center();
    };
    // The total a left click leaves, and whether it popped the menu up.
    const auto click = [&](QPoint at, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(w.lvwFile->viewport(), Qt::LeftButton, modifiers, at);
        return w.lblFileTotalSize->text() + (w.menuFileList->isVisible() ? u" menu"_s : u""_s);
    };
    const auto clickHeader = [&](int column) {
        clickColumn(*w.lvwFile, column);
        return rows(*w.lvwFile, 1).join(u' ') + (w.lvwFile->isSorted() ? u" sorted"_s : u""_s);
    };
    // Each step in turn, what it leaves; the sizes 1,000KB, 10KB and 9KB sort as text.
    EXPECT_EQ(QStringList({clickHeader(1), click(rowCentre(0)), click(rowCentre(2), Qt::ShiftModifier),
                           click(rowCentre(1)), clickHeader(4), clickHeader(4)}),
              QStringList({u"a2.mp3 B1.mp3 c.mp3 sorted"_s, u"10kbyte選択"_s, u"1,019kbyte選択"_s,
                           u"1,000kbyte選択"_s, u"B1.mp3 a2.mp3 c.mp3 sorted"_s, u"B1.mp3 a2.mp3 c.mp3"_s}));
    EXPECT_TRUE(w.lvwFile->isItemSelected(0) && !w.lvwFile->isItemSelected(1)) << "B1.mp3, chosen by the key";

    shell.answerOpen(33);
    QTest::keyClick(w.lvwFile, Qt::Key_Return);
    shell.answerOpen(32);
    QTest::mouseClick(w.lvwFile->viewport(), Qt::LeftButton, {}, rowCentre(0));
    QTest::mouseDClick(w.lvwFile->viewport(), Qt::LeftButton, {}, rowCentre(0));
    EXPECT_EQ(shell.opened(), QStringList(2, working.path() + u"/|B1.mp3"_s));
    // Only the code of 32 is an error.
    EXPECT_EQ(
        std::tuple(prompts.shown().size(), prompts.shown().value(0).text, prompts.shown().value(0).icon),
        std::tuple(1, u"ShellExecuteでエラーになりました。"_s, Prompts::Icon::Exclamation));
    EXPECT_EQ(click(rowCentre(2) + QPoint(0, 40)), u"0kbyte選択"_s) << "a click beside the items";
    QTest::keyClick(w.lvwFile, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(w.lblFileTotalSize->text(), u"1,019kbyte選択"_s);
    w.menuFolRef->trigger();
    EXPECT_EQ(w.lblFileTotalSize->text(), u"0kbyte選択"_s) << "a fill selects nothing";
    w.lvwFile->setCurrentIndex({});
    QTest::keyClick(w.lvwFile, Qt::Key_Return);  // the shell fails the test if anything is opened
    for (const auto& [over, menu] :
         {std::pair{w.lvwFile->viewport(), w.menuFileList}, {w.dirlst->viewport(), w.menuFolder}}) {
        QTest::mouseClick(over, Qt::RightButton, {}, {5, 5});
        EXPECT_TRUE(menu->isVisible() && menu->close());
    }
}

// Unit by unit in upper case, in the first four units, the next four and the rest alike; a unit from 0x8000
// up counts whole; names of one key in the order of their bytes.
TEST(NameOrder, UnitByUnitInUpperCaseThenByBytes) {
    QStringList names = u"語 世 abcd語 abcd世 abcdefgh語 abcdefgh世 _ Z b B"_s.split(u' ');
    sortByName(names);
    EXPECT_EQ(names.join(u' '), u"abcdefgh世 abcdefgh語 abcd世 abcd語 B b Z _ 世 語"_s);
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
// shell as the opener, each file is the script of what its opener does: "song 1.mp3" checks where it runs
// and what it was given; an opener that has not ended by the time the answer is due has started.
TEST(DesktopShell, OpensInTheFilesFolderAndAnswersWithTheShellsCodes) {
    const QTemporaryDir dir;
    const QString folder = dir.path() + u"/曲 folder"_s;
    writeFile(folder + u"/slow.mp3"_s, "sleep 3");
    writeFile(folder + u"/song 1.mp3"_s, "[ \"$0\" = \"$(pwd)/song 1.mp3\" ]");
    for (const auto& [opener, inFolder, file, code] :
         {std::tuple{u"true"_s, dir.path() + u"/gone"_s, u"song 1.mp3"_s, 3},
          {u"true"_s, folder, u"gone.mp3"_s, 2},
          {dir.path() + u"/no such opener"_s, folder, u"song 1.mp3"_s, 31},
          {u"false"_s, folder, u"song 1.mp3"_s, 31},
          {u"sh"_s, folder, u"slow.mp3"_s, 42},
          {u"sh"_s, folder, u"song 1.mp3"_s, 42}})
        EXPECT_EQ(DesktopShell(opener).open(inFolder, file), code) << file.toStdString();
}

}  // namespace
}  // namespace tunedeck::testing
