#include "window_fixture.h"

#include "cp932.h"
#include "desktop_shell.h"
#include "folder_path.h"
#include "music_file_listing.h"
#include "music_files.h"
#include "volumes.h"

#include <QDeadlineTimer>
#include <QHeaderView>
#include <QStorageInfo>
#include <QTest>
#include <QThread>

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
TEST_F(ComputerPaneTest, StartUpListsTheWorkingFolder) {
    const QStringList music = {u"b.mp3"_s, u"A.Mp3"_s, u"c.rmp"_s, u"long name 曲.mp3"_s, u"tagged.mp3"_s};
    for (const QString& name : music + QStringList{u"x.mp3.bak"_s, u"._b.mp3"_s, u"folder.mp3/x"_s})
        workFile(name);
    workFile(u"tagged.mp3"_s,
             mp3File({.title = cp932::encode(u"テーマ"), .artist = "Artist"}, 1048576 - 128));
    ASSERT_EQ(::mkfifo(QFile::encodeName(working.filePath(u"pipe.mp3"_s)).constData(), 0600), 0);
    frmTunedeck& w = start();
    EXPECT_EQ(w.dirlst->path(), working.path());
    EXPECT_EQ(w.drvList->drive(), QStorageInfo(working.path()).rootPath());
    EXPECT_EQ(w.drvList->itemData(0).toString(), u"/"_s) << "the root volume first";
    EXPECT_EQ(rows(*w.lvwFile, 1), directoryOrder(working.path(), music));
    EXPECT_TRUE(rows(*w.lvwFile).contains(u"tagged.mp3|Artist|テーマ|1,024KB"_s));
    EXPECT_TRUE(rows(*w.lvwFile).contains(u"b.mp3|||0KB"_s));
    EXPECT_EQ(takeStatusTexts().mid(0, 4), kFillTexts);
}

// Moving through the tree never moves the working folder, so the refresh brings the tree back to it, with
// folders made meanwhile; a fill lists in file-system order whatever sorting was on, keeping its key. A drive
// that cannot be read keeps the tree where it was; a folder that cannot be listed lists nothing.
TEST_F(ComputerPaneTest, RefreshBringsTheTreeBackToTheWorkingFolder) {
    for (const QString& name : {u"b.mp3"_s, u"a.mp3"_s, u"c.mp3"_s, u"sub/s.mp3"_s})
        workFile(name);
    frmTunedeck& w = start();
    w.lvwFile_ColumnClick(4);
    ASSERT_TRUE(w.dirlst->setPath(working.filePath(u"sub"_s)));
    EXPECT_EQ(rows(*w.lvwFile, 1), QStringList({u"s.mp3"_s}));
    workFile(u"made meanwhile/x"_s);
    takeStatusTexts();
    w.menuFolRef->trigger();
    EXPECT_EQ(w.dirlst->path(), working.path());
    EXPECT_EQ(rows(*w.lvwFile, 1), directoryOrder(working.path(), {u"a.mp3"_s, u"b.mp3"_s, u"c.mp3"_s}));
    EXPECT_FALSE(w.lvwFile->isSorted());
    EXPECT_EQ(w.lvwFile->sortKey(), 3);
    EXPECT_FALSE(w.dirlst->findItems(u"made meanwhile"_s, Qt::MatchExactly | Qt::MatchRecursive).isEmpty());
    EXPECT_EQ(takeStatusTexts(), kFillTexts);
    w.menuFolRef->trigger();
    EXPECT_EQ(takeStatusTexts(), kFillTexts) << "the same folder is read again";

    chooseDrive(working.filePath(u"unmounted"_s));
    EXPECT_EQ(w.dirlst->path(), working.path());
    EXPECT_EQ(takeStatusTexts(), QStringList({kFillTexts[0], u"Ready"_s}));
    w.fillFileList(working.filePath(u"a.mp3"_s));
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

    for (const QString& root : {u"/"_s, sub}) {
        chooseDrive(root);
        ASSERT_TRUE(w.dirlst->setPath(root));
        takeStatusTexts();
        QTest::keyClick(w.dirlst, Qt::Key_Backspace);
        EXPECT_EQ(w.dirlst->path(), root);
        EXPECT_EQ(takeStatusTexts(), kFillTexts.mid(1, 2)) << "filled again";
    }
}

// The total counts the kilobytes as shown and follows clicks, not keys; a click beside the items clears it. A
// header click sorts by its column (sizes as text, case ignored), a second one on the same column switches
// sorting off and keeps the order; the selection stays on the same files.
TEST_F(ComputerPaneTest, SelectionTotalAndSorting) {
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
    EXPECT_EQ(click(rowCentre(2) + QPoint(0, 40)), u"0kbyte選択"_s) << "a click beside the items";
}

// Enter and a double-click open the current file with the desktop; a shell code of 32 or less is an error.
// Nothing is opened without a current file; the right button pops up the menu of the list or the tree.
TEST_F(ComputerPaneTest, OpeningFilesAndPopUpMenus) {
    workFile(u"song.mp3"_s);
    frmTunedeck& w = start();
    const QString error =
        u"ShellExecuteでエラーになりました。|エラー|%1"_s.arg(int(Prompts::Icon::Exclamation));
    for (const auto& [code, byKey, messages] : {std::tuple{33, true, QStringList()},
                                                {33, false, QStringList()},
                                                {32, true, QStringList{error}},
                                                {32, false, QStringList{error}}}) {
        const qsizetype shownBefore = prompts.shown().size();
        shell.answerOpen(code);
        w.lvwFile->setCurrentIndex(w.lvwFile->model()->index(0, 0));
        if (byKey)
            QTest::keyClick(w.lvwFile, Qt::Key_Return);
        else
            doubleClick(w.lvwFile->viewport(), rowCentre(0));
        EXPECT_EQ(shell.opened().last(), (ScriptedShell::Opened{working.path() + u"/"_s, u"song.mp3"_s}));
        QStringList shown;
        for (const auto& box : prompts.shown().mid(shownBefore))
            shown << box.text + u"|"_s + box.title + u"|"_s + QString::number(int(box.icon));
        EXPECT_EQ(shown, messages) << code << byKey;
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

TEST(MusicFileListing, NamesFoldersRowsAndVolumes) {
    for (const char* name : {"SONG.Mp3", ".mp3", "曲.rmp"})
        EXPECT_TRUE(isMusicFileName(QString::fromUtf8(name))) << name;
    for (const char* name : {"song.mp3.bak", "song.rmp3", "song_mp3"})
        EXPECT_FALSE(isMusicFileName(QString::fromUtf8(name))) << name;

    for (const auto& [folder, root, up, separated] :
         {std::tuple{"/home/user", "/", "/home/", "/home/user/"},
          {"/", "/", "/", "/"},
          {"/media/stick", "/media/stick/", "/media/stick", "/media/stick/"}}) {
        EXPECT_EQ(folderUp(QLatin1String(folder), QLatin1String(root)), QLatin1String(up)) << folder;
        EXPECT_EQ(withSeparator(QLatin1String(folder)), QLatin1String(separated)) << folder;
    }

    const ProgramFolder folder;
    writeFile(folder.path() + u"/tagged.mp3"_s, mp3File({.title = "T", .artist = "A"}, 2048 - 128));
    for (const auto& [name, row] : {std::pair{"tagged.mp3", FileListRow{u"A"_s, u"T"_s, u"2KB"_s}},
                                    {"gone.mp3", FileListRow{}}})  // vanished after the listing: no stop
        EXPECT_EQ(fileListRow(folder.path() + u"/"_s, QLatin1String(name), u"%3"_s), row) << name;

    const Volume root{.rootPath = u"/"_s, .fileSystemType = "overlay"};  // the root, whatever it is
    const Volume stick{.rootPath = u"/media/STICK"_s, .name = u"STICK"_s, .fileSystemType = "vfat"};
    const Volume scratch{.rootPath = u"/tmp"_s, .fileSystemType = "tmpfs"};
    const Volume hosts{.rootPath = u"/etc/hosts"_s, .fileSystemType = "ext4", .rootIsFolder = false};
    const Volume proc{.rootPath = u"/proc"_s, .fileSystemType = "proc"};
    const QList<Volume> mounted = {proc, stick, root, hosts, scratch, root};
    EXPECT_EQ(browsableVolumes(mounted, u"/"_s), QList<Volume>({root, stick}));
    EXPECT_EQ(browsableVolumes(mounted, u"/tmp"_s), QList<Volume>({root, stick, scratch}))
        << "the working folder's volume is listed whatever it is";
    EXPECT_EQ(driveCurrentFolder(u"/"_s, u"/home/user"_s, u"/"_s), u"/home/user"_s);
    EXPECT_EQ(driveCurrentFolder(u"/media/stick"_s, u"/home/user"_s, u"/"_s), u"/media/stick"_s);
}

// A shell script in `folder` that the test uses as the opener.
QString writeOpener(const QString& folder, const QByteArray& script) {
    const QString opener = folder + u"/opener"_s;
    writeFile(opener, "#!/bin/sh\n" + script + '\n');
    EXPECT_TRUE(QFile::setPermissions(opener, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    return opener;
}

// The Windows shell's codes; the opener gets the file's full path and runs in the file's folder.
TEST(DesktopShell, OpensInTheFilesFolderAndAnswersWithTheShellsCodes) {
    const QTemporaryDir dir;
    const QString folder = dir.path() + u"/曲 folder"_s;
    ASSERT_TRUE(QDir().mkpath(folder));
    writeFile(folder + u"/song 1.mp3"_s, "x");
    const QString song = u"song 1.mp3"_s;
    for (const auto& [opener, inFolder, file, code] :
         {std::tuple{u"true"_s, dir.path() + u"/gone"_s, song, 3},
          {u"true"_s, folder, u"gone.mp3"_s, 2},
          {dir.path() + u"/no such opener"_s, folder, song, 31},
          {u"false"_s, folder, song, 31},
          {writeOpener(folder, "sleep 3"), folder, song, 42}})
        EXPECT_EQ(DesktopShell(opener).open(inFolder, file), code) << opener.toStdString();

    const QString report = dir.path() + u"/report"_s;
    const QString opener = writeOpener(
        dir.path(), (u"{ pwd; echo \"$1\"; } > '%1.part' && mv '%1.part' '%1'"_s.arg(report)).toUtf8());
    EXPECT_EQ(DesktopShell(opener).open(folder, song), 42);
    // The opener may outlive its answer; its report appears whole, by a rename.
    const QDeadlineTimer deadline(30000);
    while (!QFile::exists(report) && !deadline.hasExpired())
        QThread::msleep(20);
    QFile file(report);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "the opener did not run";
    EXPECT_EQ(QString::fromUtf8(file.readAll()), folder + u"\n"_s + folder + u"/song 1.mp3\n"_s);
}

}  // namespace
}  // namespace tunedeck::testing
