#include "folder_path.h"
#include "music_file_listing.h"
#include "music_files.h"
#include "program_folder.h"
#include "qt_printers.h"
#include "volumes.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tunedeck {
namespace {

using namespace testing;

TEST(IsMusicFileName, LastFourCharactersInAnyCase) {
    const struct {
        const char* name;
        bool music;
    } cases[] = {
        {"song.mp3", true}, {"song.Mp3", true},  {"SONG.MP3", true},   {"song.rmp", true},
        {".MP3", true},     {".mp3", true},      {"曲.mp3", true},     {"song.mp3.bak", false},
        {"song.mp", false}, {"mp3", false},      {"song.rmp3", false}, {"song_mp3", false},
        {"", false},        {"song.wav", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isMusicFileName(QString::fromUtf8(c.name)), c.music) << c.name;
}

TEST(FolderPath, UpAndSeparator) {
    const struct {
        const char* folder;
        const char* driveRoot;
        const char* up;
        const char* withSeparator;
    } cases[] = {
        {"/home/user/music", "/", "/home/user/", "/home/user/music/"},
        {"/home", "/", "/", "/home/"},
        {"/", "/", "/", "/"},
        {"/media/stick/music", "/media/stick", "/media/stick/", "/media/stick/music/"},
        {"/media/stick", "/media/stick/", "/media/stick", "/media/stick/"},
        {"/media/stick", "/", "/media/", "/media/stick/"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(folderUp(QLatin1String(c.folder), QLatin1String(c.driveRoot)), QLatin1String(c.up))
            << c.folder;
        EXPECT_EQ(withSeparator(QLatin1String(c.folder)), QLatin1String(c.withSeparator)) << c.folder;
    }
}

TEST(FileListRow, TagsAndSizeOfOneFile) {
    const ProgramFolder folder;
    folder.writeFile(u"tagged.mp3"_s, mp3File({.title = "T", .artist = "A"}, 2048 - 128));
    folder.writeFile(u"odd.rmp"_s, rmp3File({listChunk({riffChunk("IART", "Choir")})}));
    const struct {
        const char* name;
        FileListRow row;
    } cases[] = {
        {"tagged.mp3", {.artist = u"A"_s, .title = u"T"_s, .size = u"2KB"_s}},
        {"odd.rmp", {.artist = u"Choir"_s, .title = u""_s, .size = u"0KB"_s}},
        {"gone.mp3", {}},  // vanished after the listing: no tags, no size, and no stop
    };
    for (const auto& c : cases)
        EXPECT_EQ(fileListRow(folder.path() + QLatin1Char('/'), QLatin1String(c.name), u"%3"_s), c.row)
            << c.name;
}

TEST(BrowsableVolumes, RootFirstWithoutPseudoFileSystems) {
    const Volume root{.rootPath = u"/"_s, .fileSystemType = "ext4"};
    const Volume home{.rootPath = u"/home"_s, .name = u"data"_s, .fileSystemType = "btrfs"};
    const Volume stick{.rootPath = u"/media/user/STICK"_s, .name = u"STICK"_s, .fileSystemType = "vfat"};
    const Volume run{.rootPath = u"/run"_s, .fileSystemType = "tmpfs"};
    const Volume scratch{.rootPath = u"/tmp"_s, .fileSystemType = "tmpfs"};
    const Volume snap{.rootPath = u"/snap/core/1"_s, .fileSystemType = "squashfs"};
    const Volume cgroup{.rootPath = u"/sys/fs/cgroup/cpu"_s, .fileSystemType = "cgroup"};
    const Volume hosts{.rootPath = u"/etc/hosts"_s, .fileSystemType = "ext4", .rootIsFolder = false};
    const Volume overlayRoot{.rootPath = u"/"_s, .fileSystemType = "overlay"};
    const QList<Volume> mounted = {cgroup, run, home, root, hosts, snap, scratch, stick, root};

    EXPECT_EQ(browsableVolumes(mounted, u"/"_s), QList<Volume>({root, home, stick}));
    EXPECT_EQ(browsableVolumes(mounted, u"/tmp"_s), QList<Volume>({root, home, scratch, stick}))
        << "the working folder's volume is listed whatever it is";
    EXPECT_EQ(browsableVolumes({scratch, overlayRoot}, u"/"_s), QList<Volume>({overlayRoot}));
}

TEST(DriveCurrentFolder, WorkingFolderOnlyOnItsOwnDrive) {
    EXPECT_EQ(driveCurrentFolder(u"/"_s, u"/home/user/music"_s, u"/"_s), u"/home/user/music"_s);
    EXPECT_EQ(driveCurrentFolder(u"/media/stick"_s, u"/home/user/music"_s, u"/"_s), u"/media/stick"_s);
    EXPECT_EQ(driveCurrentFolder(u"/home"_s, u"/home/user"_s, u"/home"_s), u"/home/user"_s);
}

}  // namespace
}  // namespace tunedeck
