#include "folder_path.h"
#include "music_file_listing.h"
#include "music_files.h"
#include "program_folder.h"
#include "qt_printers.h"
#include "volumes.h"

#include <QDir>

#include <gtest/gtest.h>

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
        EXPECT_EQ(folderUp(c.folder, c.driveRoot), c.up) << c.folder;
        EXPECT_EQ(withSeparator(c.folder), c.withSeparator) << c.folder;
    }
}

TEST(FileListRow, TagsAndSizeOfOneFile) {
    const ProgramFolder folder;
    folder.writeSettingsBytes("[tunedeck]\r\nDisplayFormat=%3\r\n");
    folder.writeFile("tagged.mp3", mp3File({.title = "T", .artist = "A"}, 2048 - 128));
    folder.writeFile("odd.rmp", rmp3File({listChunk({riffChunk("IART", "Choir")})}));
    const struct {
        const char* name;
        FileListRow row;
    } cases[] = {
        {"tagged.mp3", {.artist = "A", .title = "T", .size = "2KB"}},
        {"odd.rmp", {.artist = "Choir", .title = "", .size = "0KB"}},
        {"gone.mp3", {}},  // vanished after the listing: no tags, no size, and no stop
    };
    for (const auto& c : cases)
        EXPECT_EQ(fileListRow(folder.path() + '/', c.name, folder.settings()), c.row) << c.name;
}

TEST(BrowsableVolumes, RootFirstWithoutPseudoFileSystems) {
    const Volume root{.rootPath = "/", .fileSystemType = "ext4"};
    const Volume home{.rootPath = "/home", .name = "data", .fileSystemType = "btrfs"};
    const Volume stick{.rootPath = "/media/user/STICK", .name = "STICK", .fileSystemType = "vfat"};
    const Volume run{.rootPath = "/run", .fileSystemType = "tmpfs"};
    const Volume scratch{.rootPath = "/tmp", .fileSystemType = "tmpfs"};
    const Volume snap{.rootPath = "/snap/core/1", .fileSystemType = "squashfs"};
    const Volume cgroup{.rootPath = "/sys/fs/cgroup/cpu", .fileSystemType = "cgroup"};
    const Volume hosts{.rootPath = "/etc/hosts", .fileSystemType = "ext4", .rootIsFolder = false};
    const Volume overlayRoot{.rootPath = "/", .fileSystemType = "overlay"};
    const QList<Volume> mounted = {cgroup, run, home, root, hosts, snap, scratch, stick, root};

    EXPECT_EQ(browsableVolumes(mounted, "/"), QList<Volume>({root, home, stick}));
    EXPECT_EQ(browsableVolumes(mounted, "/tmp"), QList<Volume>({root, home, scratch, stick}))
        << "the working folder's volume is listed whatever it is";
    EXPECT_EQ(browsableVolumes({scratch, overlayRoot}, "/"), QList<Volume>({overlayRoot}));
}

TEST(DriveCurrentFolder, WorkingFolderOnlyOnItsOwnDrive) {
    EXPECT_EQ(driveCurrentFolder("/", "/home/user/music", "/"), "/home/user/music");
    EXPECT_EQ(driveCurrentFolder("/media/stick", "/home/user/music", "/"), "/media/stick");
    EXPECT_EQ(driveCurrentFolder("/home", "/home/user", "/home"), "/home/user");
}

}  // namespace
}  // namespace tunedeck
