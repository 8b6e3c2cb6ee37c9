#include "desktop_shell.h"
#include "folder_path.h"
#include "music_file_listing.h"
#include "music_files.h"
#include "program_folder.h"
#include "qt_printers.h"
#include "volumes.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tunedeck {
namespace {

using namespace testing;

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
    folder.writeSettingsBytes("[tunedeck]\r\nDisplayFormat=%3\r\n");
    folder.writeFile(u"tagged.mp3"_s, mp3File({.title = "T", .artist = "A"}, 2048 - 128));
    for (const auto& [name, row] : {std::pair{"tagged.mp3", FileListRow{u"A"_s, u"T"_s, u"2KB"_s}},
                                    {"gone.mp3", FileListRow{}}})  // vanished after the listing: no stop
        EXPECT_EQ(fileListRow(folder.path() + u"/"_s, QLatin1String(name), folder.settings()), row) << name;

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
    writeBytes(opener, "#!/bin/sh\n" + script + '\n');
    EXPECT_TRUE(QFile::setPermissions(opener, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    return opener;
}

// The Windows shell's codes; the opener gets the file's full path and runs in the file's folder.
TEST(DesktopShell, OpensInTheFilesFolderAndAnswersWithTheShellsCodes) {
    const QTemporaryDir dir;
    const QString folder = dir.path() + u"/曲 folder"_s;
    ASSERT_TRUE(QDir().mkpath(folder));
    writeBytes(folder + u"/song 1.mp3"_s, "x");
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
}  // namespace tunedeck
