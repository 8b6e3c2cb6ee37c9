// SPDX-License-Identifier: GPL-3.0-or-later
#include "entry_order.h"
#include "mass_storage_kind.h"
#include "media_player_info.h"
#include "music_files.h"
#include "player_kinds.h"
#include "player_words.h"
#include "qt_printers.h"
#include "usb_players.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>
#include <linux/magic.h>

namespace tunedeck {
namespace {

using namespace Qt::StringLiterals;

TEST(MediaPlayerInfo, ReadsListsWholeAndSectionsWithoutRegardToCaseAndEveryInstalledFile) {
    const MediaPlayerInfo info = parseMediaPlayerInfo(
        "[Device]\nVendor=SanDisk\nProduct=Sansa Clip+\nAccessProtocol=storage\n# a comment=no\n"
        "[Media]\nOutputFormats=audio/mpeg;audio/x-ms-wma\n\n[Storage]\n"
        "audiofolders = MUSIC/; PODCAST/ ;;RECORD/FM/\nPlaylistPath=\n"_ba);
    EXPECT_EQ(std::tuple(info.vendor, info.product, info.accessProtocols, info.playlistPath),
              std::tuple(u"SanDisk"_s, u"Sansa Clip+"_s, QStringList{u"storage"_s}, std::optional(u""_s)));
    EXPECT_EQ(info.audioFolders, (QStringList{u"MUSIC/"_s, u"PODCAST/"_s, u"RECORD/FM/"_s}));

    for (const auto& [text, order] :
         {std::pair{"[Device]\nVendor=Rockbox\n"_ba, std::optional(SongOrder::Name)},
          {"[Device]\nVendor=Rockbox\n[storage]\nSongOrder=Playlist\n"_ba,
           std::optional(SongOrder::Playlist)},
          {"[storage]\nSongOrder=directory\n"_ba, std::optional(SongOrder::Directory)},
          {"[storage]\nSongOrder=shuffle\n"_ba, std::optional<SongOrder>()},
          {"[Device]\nVendor=Rockboxer\n"_ba, std::optional<SongOrder>()}})
        EXPECT_EQ(parseMediaPlayerInfo(text).order, order) << text.constData();

    // Every file media-player-info installs: each is read whole, lists past their first ";" included.
    const QDir folder(u"/usr/share/media-player-info"_s);
    const QStringList files = folder.entryList({u"*.mpi"_s}, QDir::Files);
    if (files.isEmpty())
        GTEST_SKIP() << "media-player-info is not installed";
    int storage = 0;
    for (const QString& file : files) {
        const std::optional<MediaPlayerInfo> info = readMediaPlayerInfo(file.chopped(4), {folder.path()});
        ASSERT_TRUE(info && !info->vendor.isEmpty()) << file.toStdString();
        // As many folders as the file names (none where it names none), however its section is spelt.
        const QString named =
            QString::fromUtf8(testing::readFile(folder.filePath(file))).section(u"AudioFolders="_s, 1);
        EXPECT_EQ(info->audioFolders.size(),
                  named.section(u'\n', 0, 0).simplified().remove(u' ').split(u';', Qt::SkipEmptyParts).size())
            << file.toStdString();
        storage += info->accessProtocols.contains(u"storage"_s) ? 1 : 0;
    }
    EXPECT_GT(storage, 200);
    for (const QString& unsafe : {u"../media-player-info/rockbox"_s, u"/rockbox"_s, u""_s, u".hidden"_s})
        EXPECT_FALSE(readMediaPlayerInfo(unsafe, {folder.path()})) << unsafe.toStdString();
}

const QString kPort = u"pci-0000:00:04.0-usb-0:1:1.0"_s, kOtherPort = u"pci-0000:00:04.0-usb-0:2:1.0"_s;

// A volume on logical unit `lun` of the device at `port`.
UsbVolume volume(const QString& device, int lun, const QString& fileSystem = u"vfat"_s,
                 const QString& serial = u"0781:74d1:ABC"_s, const QString& port = kPort) {
    UsbVolume made{.device = device, .fileSystem = fileSystem, .vendor = u"SanDisk"_s, .serial = serial};
    made.label = device.section(u'/', -1).toUpper();
    made.model = u"Sansa Clip+"_s;
    made.idPath = port + u"-scsi-0:0:0:"_s + QString::number(lun);
    return made;
}

// The players as "id: memory 0 device, memory 1 device".
QStringList described(const std::vector<UsbPlayer>& players) {
    const auto device = [](const auto& memory) { return memory ? memory->device : u"-"_s; };
    QStringList lines;
    for (const UsbPlayer& player : players)
        lines << player.id + u": "_s + device(player.memories[0]) + u", "_s + device(player.memories[1]);
    return lines;
}

TEST(UsbPlayers, MemoriesFollowTheLogicalUnitAndEntriesAreNamed) {
    // What the volumes are; the volumes; the players they make.
    const std::tuple<const char*, std::vector<UsbVolume>, QStringList> cases[] = {
        {"the kernel named LUN 1 sda and LUN 0 sdb",
         {volume(u"/dev/sda"_s, 1), volume(u"/dev/sdb"_s, 0)},
         {u"usb:0781:74d1:ABC: /dev/sdb, /dev/sda"_s}},
        {"one unit: no card", {volume(u"/dev/sdc"_s, 0)}, {u"usb:0781:74d1:ABC: /dev/sdc, -"_s}},
        {"the first partition of a unit",
         {volume(u"/dev/sdb2"_s, 0), volume(u"/dev/sdb1"_s, 0)},
         {u"usb:0781:74d1:ABC: /dev/sdb1, -"_s}},
        {"two players without serial numbers, told apart by their ports",
         {volume(u"/dev/sdb"_s, 0, u"vfat"_s, {}), volume(u"/dev/sdc"_s, 0, u"exfat"_s, {}, kOtherPort)},
         {u"usb:"_s + kPort + u": /dev/sdb, -"_s, u"usb:"_s + kOtherPort + u": /dev/sdc, -"_s}},
        {"other file systems, other buses and a third unit are no memories",
         {volume(u"/dev/sdb"_s, 0, u"ext4"_s),
          volume(u"/dev/sda1"_s, 0, u"vfat"_s, {}, u"pci-0000:00:1f.2-ata-1"_s), volume(u"/dev/sdd"_s, 2)},
         {}},
    };
    for (const auto& [what, volumes, players] : cases)
        EXPECT_EQ(described(usbPlayers(volumes)), players) << what;
    EXPECT_TRUE(logicalUnitOf(kPort + u"-scsi-0:0:0:12"_s) == 12 && !logicalUnitOf(kPort));

    // An entry is named by media-player-info where it knows the player, else by the drive, and labelled.
    UsbPlayer player = usbPlayers({volume(u"/dev/sdb"_s, 0)}).front();
    player.memories[0]->mountPoints = {u"/media/u/SDB"_s};
    PlayerEntry entry = usbPlayerEntry(player);
    EXPECT_EQ(
        std::tuple(entry.variety, entry.name, entry.memories, entry.removable),
        std::tuple(u"usb-disk"_s, u"SanDisk Sansa Clip+ (SDB)"_s, QStringList{u"/media/u/SDB"_s}, true));

    if (!QFile::exists(u"/usr/share/media-player-info/rockbox.mpi"_s))
        GTEST_SKIP() << "media-player-info is not installed";
    player.mediaPlayer = u"rockbox"_s;
    entry = usbPlayerEntry(player);
    EXPECT_EQ(std::tuple(entry.variety, entry.name, entry.order),
              std::tuple(u"player"_s, u"Rockbox (SDB)"_s, std::optional(SongOrder::Name)));
}

// A swap in directory order rewrites a folder's entries, which only FAT and the kernel's exFAT keep in the
// order written: not ext4 or tmpfs, nor exFAT through FUSE, whose type says FUSE and nothing of what lies
// under it.
TEST(EntryOrder, KeptByFatAndTheKernelsExfatAlone) {
    for (const auto type : {MSDOS_SUPER_MAGIC, EXFAT_SUPER_MAGIC})
        EXPECT_TRUE(keepsEntryOrder(type)) << std::hex << type;
    for (const auto type : {EXT4_SUPER_MAGIC, TMPFS_MAGIC, FUSE_SUPER_MAGIC})
        EXPECT_FALSE(keepsEntryOrder(type)) << std::hex << type;
    EXPECT_FALSE(folderKeepsEntryOrder(u"/no/such/folder"_s));
}

// The texts were written for the emulated player: it stays "Rio" and "Rio500", whatever its entry is called.
// Any other player, of every built-in kind, a folder and an id no kind claims, is called by its name in both,
// and one without a name "プレーヤー".
TEST(PlayerWords, TheEmulatedPlayersOwnElseThePlayersNameElsePlayer) {
    const PlayerKinds kinds = builtInKinds();
    const PlayerWords player{u"プレーヤー"_s, u"プレーヤー"_s};
    const std::pair<PlayerEntry, PlayerWords> cases[] = {
        {kinds.absent({}, {}), {u"Rio"_s, u"Rio500"_s}},
        {kinds.absent(u"emulated"_s, u"Sansa Clip"_s), {u"Rio"_s, u"Rio500"_s}},
        {kinds.absent(u"usb:0781:74d1:1234"_s, u"Sansa Clip"_s), {u"Sansa Clip"_s, u"Sansa Clip"_s}},
        {kinds.absent(u"usb:0781:74d1:1234"_s, {}), player},
        {kinds.absent(u"mtp:1d6b:0100:MTP0001"_s, u"Pixel 7"_s), {u"Pixel 7"_s, u"Pixel 7"_s}},
        {kinds.absent(u"/media/me/SANSA"_s, {}), {u"/media/me/SANSA"_s, u"/media/me/SANSA"_s}},
        {PlayerEntry{.id = u"?"_s, .name = u"Acme"_s}, {u"Acme"_s, u"Acme"_s}},
        {PlayerEntry{}, player},
    };
    for (const auto& [entry, words] : cases)
        EXPECT_EQ(std::pair(playerWords(entry).name, playerWords(entry).model),
                  std::pair(words.name, words.model))
            << entry.id.toStdString() << " " << entry.name.toStdString();
}

}  // namespace
}  // namespace tunedeck
