// SPDX-License-Identifier: GPL-3.0-or-later
#include "device_recorder.h"
#include "fat_names.h"
#include "file_player_texts.h"
#include "file_size_limit.h"
#include "folder_listings.h"
#include "folder_locator.h"
#include "lock_turns.h"
#include "mass_storage_player.h"
#include "music_files.h"
#include "player_texts.h"
#include "playlist.h"
#include "program_folder.h"
#include "qt_printers.h"
#include "turn_probes.h"
#include "volume_files.h"

#include <QDir>
#include <QDirIterator>
#include <QRegularExpression>

#include <linux/magic.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statfs.h>

#include <algorithm>
#include <atomic>
#include <optional>
#include <thread>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tunedeck::testing {
namespace {

// A program's exit status (-1: it crashed or did not end) and what it wrote.
std::pair<int, QString> run(const QString& program, const QStringList& arguments) {
    const ProgramRun ran = runProgram(program, arguments, {u"MTOOLS_SKIP_CHECK=1"_s, u"LC_ALL=C.UTF-8"_s});
    return {ran.exitStatus, ran.out + ran.err};
}

QStringList namesIn(const QString& folder) {
    QStringList names = namesOf(listEntries(openFolder(folder)));
    names.sort();
    return names;
}

QString songsOf(DeviceComponent& player, qint16 folder = 0) {
    return namesOf(player.Songs(0, folder)).join(u',');
}

// How the folder's file system lists entries made one after the other: as made, or newest first; Unknown
// when it lists by some other rule (a hash; eight names, so that a hash does not pass for an order by
// chance). A FAT player plays in the order made.
enum class Listing { AsMade, NewestFirst, Unknown };
Listing listingOf(const QString& folder) {
    const QString probe = folder + u"/.probe"_s;
    const QStringList made{u"h"_s, u"c"_s, u"f"_s, u"a"_s, u"g"_s, u"b"_s, u"e"_s, u"d"_s};
    for (const QString& name : made)
        writeFile(probe + u'/' + name, {});
    const QStringList listed = namesOf(listEntries(openFolder(probe)));
    removeEntry(openFolder(folder), u".probe"_s);
    return listed == made                                      ? Listing::AsMade
           : listed == QStringList(made.rbegin(), made.rend()) ? Listing::NewestFirst
                                                               : Listing::Unknown;
}

// The order a FAT player plays in is the order the entries were made, which a tmpfs lists newest first.
QStringList made(const QString& listed, SongOrder order, Listing listing) {
    QStringList songs = listed.split(u',');
    if (order == SongOrder::Directory && listing == Listing::NewestFirst)
        std::reverse(songs.begin(), songs.end());
    return songs;
}

// Every file under `folder`, by its path there, and whether each still holds its path as its bytes.
QStringList filesUnder(const QString& folder) {
    QStringList files;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
        const QString path = it.next().mid(folder.size() + 1);
        files << (readFile(it.filePath()) == path.toUtf8() ? path : path + u" (changed)"_s);
    }
    files.sort();
    return files;
}

// Every entry under `folder` by its path there, with its inode and modification time: what a write, a rename
// or a folder made anew changes.
QStringList stampsUnder(const QString& folder) {
    QStringList stamps;
    for (QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
         it.hasNext();) {
        struct stat status {};
        EXPECT_EQ(::lstat(NativePath(it.next()).c_str(), &status), 0);
        stamps << u"%1 %2 %3.%4"_s.arg(it.filePath().mid(folder.size() + 1))
                      .arg(status.st_ino)
                      .arg(status.st_mtim.tv_sec)
                      .arg(status.st_mtim.tv_nsec);
    }
    stamps.sort();
    return stamps;
}

// A locator of the one memory.
PlayerLocator at(const MountedMemory& memory) {
    return [memory] { return MountedPlayer{.internal = memory}; };
}

// A locator that says of the folder what udev says of a USB player's volume: FAT, whose order of entries
// counts, whatever file system the test's folder is on, and nothing on it says where its songs are.
PlayerLocator fatLocator(const QString& folder) {
    return at({.audioFolder = folder, .fileSystem = u"vfat"_s, .audioFolderShared = true});
}

class StorageTest : public ::testing::Test {
  protected:
    StorageTest() { QDir().mkpath(volume()); }
    QString volume() const { return dir.path() + u"/volume"_s; }
    // How the volume lists entries: as it is where it lists them in some order of making (the kernel's vfat,
    // in the test machine), else with a tmpfs mounted on it.
    Listing listingInOrder() {
        const Listing plain = listingOf(volume());
        return plain != Listing::Unknown || !mountTmpfs() ? plain : listingOf(volume());
    }
    // Mounts a tmpfs of `size` on the volume until the test ends: its listing order is one the test can know
    // (a plain folder on ext4 lists by hash), and it can be made full or read-only.
    bool mountTmpfs(const char* size = "size=8m") {
        return ::mount("tmpfs", NativePath(volume()).c_str(), "tmpfs", 0, size) == 0;
    }
    // Mounts a fresh exFAT (SDXC cards) on `card` through the FUSE driver, until the test ends; the loop
    // device it lies on, or empty where this machine has no loop device, mkfs.exfat or FUSE exFAT.
    QString mountExfat(const QString& card) {
        const QString image = dir.path() + u"/exfat.img"_s;
        if (!QDir().mkpath(card) || ::truncate(NativePath(writeFile(image, {})).c_str(), 64 << 20) != 0)
            return {};
        loop_ = run(u"losetup"_s, {u"-f"_s, u"--show"_s, image}).second.trimmed();
        if (!loop_.startsWith(u"/dev/loop"_s) || run(u"mkfs.exfat"_s, {loop_}).first != 0 ||
            run(u"mount.exfat-fuse"_s, {loop_, card}).first != 0)
            return {};
        card_ = card;
        return loop_;
    }
    ~StorageTest() override {
        if (!card_.isEmpty())
            run(u"umount"_s, {card_});
        if (loop_.startsWith(u"/dev/loop"_s))
            run(u"losetup"_s, {u"-d"_s, loop_});
        ::umount2(NativePath(volume()).c_str(), MNT_DETACH);  // if mounted
    }
    // Empties the volume, which may be a mount point.
    void clearVolume() const {
        for (const QString& name : namesIn(volume()))
            removeEntry(openFolder(volume()), name);
    }
    // A song file on the computer; its bytes are its name over and over.
    QString source(const QString& name, qint64 size = 3000) const {
        return writeFile(dir.path() + u"/computer/"_s + name,
                         name.toUtf8().repeated(size / name.size() + 1).first(size));
    }
    // A FAT player on the test's folder, unless `locator` says otherwise.
    std::unique_ptr<MassStoragePlayer> player(SongOrder order = SongOrder::Directory, StepDone stepDone = {},
                                              PlayerLocator locator = {}) const {
        auto made = std::make_unique<MassStoragePlayer>(
            locator ? locator : at({.audioFolder = volume(), .fileSystem = u"vfat"_s}), std::move(stepDone));
        made->ChooseSongOrder(order);
        made->Open();
        return made;
    }
    // Folder "f" with songs s1..sN sent in that order.
    std::unique_ptr<MassStoragePlayer> withSongs(SongOrder order, int songs = 3,
                                                 PlayerLocator locator = {}) const {
        auto made = player(order, {}, std::move(locator));
        made->AddFolder(u"f"_s, u"0"_s);
        for (int i = 1; i <= songs; ++i)
            made->AddSong(0, u"s"_s + QString::number(i), source(u"s%1.mp3"_s.arg(i)), u"0"_s, {});
        return made;
    }
    TemporaryFolder dir;

  private:
    QString loop_, card_;  // of mountExfat
};

// The pure rules: FAT-safe names, name order, the .is_audio_player file, playlists; and the safe names as FAT
// keeps them.
TEST(StorageRules, NamesOrdersAndFiles) {
    const std::pair<QString, QString> safeNames[] = {
        {u"a\\b/c:d*e?f\"g<h>i|j"_s, u"a_b_c_d_e_f_g_h_i_j.mp3"_s},
        {u"semi;comma,[b]+="_s, u"semi;comma,[b]+=.mp3"_s},
        {u"tab\there"_s, u"tab_here.mp3"_s},
        {u"dots... "_s, u"dots.mp3"_s},
        {u""_s, u"_.mp3"_s},
        {u" . "_s, u"_.mp3"_s},
        {u"..\\..\\x"_s, u"_._.._x.mp3"_s},
        {u".hidden"_s, u"_hidden.mp3"_s},
        {u"日本語　タイトル"_s, u"日本語　タイトル.mp3"_s},
        {QString(300, u'x'), QString(251, u'x') + u".mp3"_s},
        {QString(250, u'x') + u"😀"_s, QString(250, u'x') + u".mp3"_s},
        {QString(249, u'x') + u"😀"_s, QString(249, u'x') + u"😀.mp3"_s},
        {pathFromBytes("\x82\xa0"), u"__.mp3"_s},
        {u"Case Song"_s, u"Case Song.mp3"_s},
        {u"case song"_s, u"case song.mp3"_s}};
    for (const auto& [title, name] : safeNames)
        EXPECT_EQ(fatSafeName(title, u".mp3"_s), name) << title.toStdString();
    EXPECT_EQ(freeFatName(u"Song"_s, u".mp3"_s, {u"SONG.MP3"_s, u"song (2).mp3"_s}), u"Song (3).mp3"_s);
    EXPECT_EQ(freeFatName(QString(300, u'x'), u".mp3"_s, {QString(251, u'x') + u".MP3"_s}),
              QString(247, u'x') + u" (2).mp3"_s);

    // A name that begins another goes first, whatever the case of its letters.
    QStringList names{u"10 x"_s, u"Bc"_s, u"2 x"_s, u"b"_s, u"A"_s, u"02 y"_s, u"1 z"_s};
    std::sort(names.begin(), names.end(), naturalLess);
    EXPECT_EQ(names, (QStringList{u"1 z"_s, u"2 x"_s, u"02 y"_s, u"10 x"_s, u"A"_s, u"b"_s, u"Bc"_s}));

    const std::tuple<QByteArray, QString, std::optional<SongOrder>> players[] = {
        {"audio_folders=MUSIC/,Podcasts/\nsong_order=name\n", u"MUSIC"_s, SongOrder::Name},
        {"audio_folders=\"Music/Rock;Pop\"\r\nsong_order = playlist\r\n", u"Music/Rock"_s,
         SongOrder::Playlist},
        {"audio_folders=../outside\nsong_order=random\n", u""_s, std::nullopt},
        {"audio_folders=/a/../../b\n", u""_s, std::nullopt},
        {"audio_folders=Music", u"Music"_s, std::nullopt},
        {"audio_folders=\"\"\n", u""_s, std::nullopt},
        {"audio_folders=;Music\n", u""_s, std::nullopt},
        {"output_formats=audio/mpeg\n", u""_s, std::nullopt}};
    for (const auto& [contents, folder, order] : players)
        EXPECT_EQ(std::pair(audioPlayerFile(contents).audioFolder, audioPlayerFile(contents).order),
                  std::pair(folder, order))
            << contents.constData();

    const QStringList songs{u"b.mp3"_s, u"a é.mp3"_s, pathFromBytes("\x82\xa0.mp3")};
    for (const QString& at : {u"/v/MUSIC/f"_s, u"/v/PLAYLISTS"_s, u"/w/PLAYLISTS"_s})
        EXPECT_EQ(playlistSongs(playlistText(songs, at, u"/v/MUSIC/f"_s), at, u"/v/MUSIC/f"_s), songs)
            << at.toStdString();
    const QByteArray other =
        "\xEF\xBB\xBF#EXTM3U\nx.mp3\r\n./y.mp3\n..\\f\\z.mp3\n/abs.mp3\nsub/w.mp3\nx.mp3\n";
    EXPECT_EQ(playlistSongs(other, u"/v/f"_s, u"/v/f"_s), (QStringList{u"x.mp3"_s, u"y.mp3"_s, u"z.mp3"_s}));

    // What fatSafeName makes of awkward titles, mcopy writes to a FAT16 image unchanged, and lists in the
    // order written; two names that differ only in case are one name there, hence " (2)".
    const TemporaryFolder dir;
    const QString image = dir.path() + u"/fat16.img"_s, file = writeFile(dir.path() + u"/s.mp3"_s, "mp3");
    if (run(u"mkfs.fat"_s, {u"-C"_s, u"-F"_s, u"16"_s, image, u"32768"_s}).first != 0 ||
        run(u"mdir"_s, {u"-i"_s, image, u"::"_s}).first != 0)
        GTEST_SKIP() << "no mtools or dosfstools";
    QStringList written;
    for (const auto& [title, safe] : safeNames) {
        const QString name = freeFatName(title, u".mp3"_s, written);
        if (name.contains(u"😀"_s))
            continue;  // mtools 4.0.32 drops characters beyond the BMP; the kernel's vfat keeps them
        EXPECT_EQ(run(u"mcopy"_s, {u"-i"_s, image, file, u"::"_s + name}).first, 0) << name.toStdString();
        written << name;
    }
    const QString listing = run(u"mdir"_s, {u"-b"_s, u"-i"_s, image, u"::"_s}).second;
    EXPECT_EQ(listing.split(u'\n', Qt::SkipEmptyParts).replaceInStrings(u"::/"_s, u""_s), written);
}

// Each order after sends, a delete of the 2nd song, a send and a swap of the 1st and 3rd: the songs as the
// player plays them, by their titles, and the files that order keeps. A swap in directory order makes the
// folder's entries anew in the order the list wants; where the file system keeps no such order, the player
// plays by name. A player that says its order is followed over the one chosen.
TEST_F(StorageTest, EveryOrderAfterSendsDeletesAndSwaps) {
    const QStringList sent{u"s1.mp3"_s, u"s3.mp3"_s, u"s4.mp3"_s},
        listed = QStringList{u"f.m3u8"_s} + sent, numbered{u"01 s4.mp3"_s, u"03 s3.mp3"_s, u"04 s1.mp3"_s};
    // The order chosen; whether the volume is FAT, as udev says of a USB player; the volume's
    // .is_audio_player (empty: none); the folder's files and playlist at the end.
    const std::tuple<SongOrder, bool, QByteArray, QStringList, QByteArray> rows[] = {
        {SongOrder::Directory, true, {}, sent, {}},
        {SongOrder::Directory, false, {}, numbered, {}},
        {SongOrder::Name, false, {}, numbered, {}},
        {SongOrder::Playlist, false, {}, listed, "#EXTM3U\r\ns4.mp3\r\ns3.mp3\r\ns1.mp3\r\n"},
        {SongOrder::Playlist, false, "audio_folders=MUSIC\nsong_order=name\n", numbered, {}},
    };
    const Listing listing = listingInOrder();
    // Whether the volume is on the kernel's vfat, as in the test machine.
    struct statfs status {};
    const bool fatVolume =
        ::statfs(NativePath(volume()).c_str(), &status) == 0 && status.f_type == MSDOS_SUPER_MAGIC;
    for (const auto& [order, fat, audioPlayer, files, playlist] : rows) {
        SCOPED_TRACE(songOrderKey(order).toStdString() + (fat ? " FAT " : " ") + audioPlayer.toStdString());
        const bool byEntries = order == SongOrder::Directory && (fat || fatVolume);
        if ((order == SongOrder::Directory && !fat && fatVolume) ||
            (byEntries && listing == Listing::Unknown))
            continue;  // the kernel's vfat keeps the order; a listing by hash has none to check
        const SongOrder plays = order == SongOrder::Directory && !byEntries ? SongOrder::Name : order;
        clearVolume();
        if (!audioPlayer.isEmpty())
            writeFile(volume() + u"/.is_audio_player"_s, audioPlayer);
        const auto device = withSongs(order, 3, fat ? fatLocator(volume()) : folderLocator(volume()));
        const auto send = [&](const QString& s) { device->AddSong(0, s, source(s + u".mp3"_s), u"0"_s, {}); };
        const auto played = [&] { return made(songsOf(*device), plays, listing).join(u','); };
        device->DeleteSong(0, 1, u"0"_s);
        EXPECT_EQ(played(), u"s1,s3"_s);
        send(u"s4"_s);
        // The kernel's vfat gives a new entry the first free slots it fits in: here the deleted song's.
        EXPECT_EQ(played(), byEntries && listing == Listing::AsMade ? u"s1,s4,s3"_s : u"s1,s3,s4"_s);
        QStringList wanted = songsOf(*device).split(u',');
        std::swap(wanted[0], wanted[2]);
        device->SwapSong(0, 0, 2, u"0"_s);
        EXPECT_EQ(played(), wanted.join(u','));
        const QString folder = volume() + (audioPlayer.isEmpty() ? u"/f"_s : u"/MUSIC/f"_s);
        EXPECT_EQ(std::pair(namesIn(folder), readFile(folder + u"/f.m3u8"_s)), std::pair(files, playlist));
        // Nothing a reordering left takes the place of the next song: it goes last.
        send(u"s5"_s);
        EXPECT_EQ(played(), (wanted << u"s5"_s).join(u','));
        if (playlist.isEmpty())
            continue;
        // Songs another program put there follow the playlist's, as the folder lists them. Put there between
        // two runs: within two seconds after one of Tunedeck's changes, FAT's times can leave a run's listing
        // none the wiser.
        device->Close();
        for (const char* name : {"x.mp3", "y.mp3", "z.mp3"})
            writeFile(folder + u'/' + QLatin1StringView(name), {});
        device->Open();
        QStringList others = namesOf(listEntries(openFolder(folder))).filter(QRegularExpression(u"^[xyz]"_s));
        EXPECT_EQ(played(), (wanted + others.replaceInStrings(u".mp3"_s, QString())).join(u','));
    }
}

// The name a player's list shows for a title, asked before the send, is the one the send then gives the song:
// on a volume that counts a name in bytes and plays by name (as the test's folder is, but on the test
// machine's vfat), and on a real exFAT, which counts it in UTF-16 units as FAT does, in each order. Each
// title is sent alone into the folder, so that no " (2)" is added.
TEST_F(StorageTest, TheNameShownForATitleIsTheOneASendGivesIt) {
    // Each sent from an MP3 and from an RMP: a title ends in one's extension only.
    const QString titles[] = {
        u"a\\b/c:d*e?f\"g<h>i|j"_s,
        u".hidden"_s,
        u"..."_s,
        u"dots... . "_s,
        u""_s,
        u"Title.MP3"_s,
        u"07 Numbered"_s,
        QString(300, u'x'),
        QString(249, u'x') + u"😀😀"_s,
        QString(100, u'曲'),  // 100 units, 300 bytes
        QString(83, u'曲') + u"ab"_s,
    };
    const QString card = volume() + u"/card"_s;
    const bool exfat = !mountExfat(card).isEmpty();
    std::vector<std::tuple<SongOrder, PlayerLocator, std::string>> players{
        {SongOrder::Directory, at({.audioFolder = volume() + u"/plain"_s}), "plain folder"}};
    if (exfat)
        for (const SongOrder order : {SongOrder::Directory, SongOrder::Name, SongOrder::Playlist})
            players.emplace_back(order, at({.audioFolder = card, .fileSystem = u"exfat"_s}), "exFAT");
    for (const auto& [order, locator, where] : players) {
        const auto device = withSongs(order, 0, locator);
        for (const QString& title : titles)
            for (const QString& file : {u"s.mp3"_s, u"s.rmp"_s}) {
                SCOPED_TRACE(where + ' ' + songOrderKey(order).toStdString() + ' ' + file.toStdString() +
                             ' ' + title.toStdString());
                const QString path = source(file), shown = device->ShownSongName(title, path, u"0"_s);
                device->AddSong(0, title, path, u"0"_s, {});
                EXPECT_EQ(songsOf(*device), shown);
                device->DeleteSong(0, 0, u"0"_s);
            }
        device->DeleteFolder(0, u"0"_s);
    }
    if (!exfat)
        GTEST_SKIP() << "no loop device, mkfs.exfat or FUSE exFAT: FAT's count of a name is not tried";
}

// A folder of six songs put into a new order at once, in each order a player keeps: the songs play in it,
// each the same file with its bytes, and the file beside them stays. The order they have already changes
// nothing on the volume, not even songs that have no numbers in a name-ordered folder.
TEST_F(StorageTest, AFolderTakesANewOrderWhole) {
    const Listing listing = listingInOrder();
    // Each song as the list shows it: its title, size and directory entry.
    const auto listed = [](const std::vector<DeviceSong>& songs) {
        QStringList shown;
        for (const DeviceSong& song : songs)
            shown << song.name + u' ' + QString::number(song.size) + u' ' + song.identity;
        return shown;
    };
    const std::vector<qint32> identity{0, 1, 2, 3, 4, 5}, order{3, 0, 5, 1, 4, 2};
    for (const SongOrder kept : {SongOrder::Directory, SongOrder::Name, SongOrder::Playlist}) {
        SCOPED_TRACE(songOrderKey(kept).toStdString());
        if (kept == SongOrder::Directory && listing == Listing::Unknown)
            continue;  // a listing by hash has no order to check
        clearVolume();
        withSongs(SongOrder::Directory, 6);
        writeFile(volume() + u"/f/cover.jpg"_s, "cover");
        const auto device = player(kept);
        const QStringList before = listed(device->Songs(0, 0)), stamps = stampsUnder(volume());
        device->ArrangeSongs(0, identity, u"0"_s);
        EXPECT_EQ(stampsUnder(volume()), stamps);
        device->ArrangeSongs(0, order, u"0"_s);
        QStringList wanted;
        for (const qint32 index : order)
            wanted << before[index];
        const std::vector<DeviceSong> songs = device->Songs(0, 0);
        // The kernel's vfat plays in the order the entries were made, which a tmpfs lists newest first.
        QStringList after = listed(songs);
        if (kept == SongOrder::Directory && listing == Listing::NewestFirst)
            std::reverse(after.begin(), after.end());
        EXPECT_EQ(after, wanted);
        const QString back = dir.path() + u"/back.mp3"_s;
        for (qint32 i = 0; i < qint32(songs.size()); ++i) {
            device->GetSong(0, i, back, u"0"_s, {});
            EXPECT_EQ(readFile(back), readFile(dir.path() + u"/computer/"_s + songs[i].name + u".mp3"_s));
        }
        const QStringList files = namesIn(volume() + u"/f"_s);
        EXPECT_EQ(std::tuple(files.filter(kOwnPrefix), files.filter(u".mp3"_s).size(),
                             readFile(volume() + u"/f/cover.jpg"_s)),
                  std::tuple(QStringList(), 6, "cover"_ba))
            << files.join(u' ').toStdString();
    }
}

// A reordering stopped after any of its steps on the device, by a crash or by a failure of the device: a
// failed renumbering is undone at once, what a crash left is finished at the next Open, or undone when it had
// not yet said what it does. The songs play as before or as after, never half of it; nothing is lost and
// nothing of ours is left. In name order the songs sent in directory order are first given numbers, all of
// them or none.
TEST_F(StorageTest, AStopDuringAReorderLeavesTheOrderAsBeforeOrAsAfter) {
    const Listing listing = listingInOrder();
    // The order the songs are sent in, the order of the reordering, whether it is stopped by a crash, else by
    // a failure of the device, and whether it is a new order for the whole folder, else a swap of the first
    // and the last song.
    const std::tuple<SongOrder, SongOrder, bool, bool> cases[] = {
        {SongOrder::Directory, SongOrder::Directory, true, false},
        {SongOrder::Directory, SongOrder::Directory, false, false},
        {SongOrder::Name, SongOrder::Name, true, false},
        {SongOrder::Directory, SongOrder::Name, true, false},
        {SongOrder::Directory, SongOrder::Name, false, false},
        {SongOrder::Directory, SongOrder::Directory, true, true},
        {SongOrder::Directory, SongOrder::Directory, false, true},
        {SongOrder::Name, SongOrder::Name, true, true},
        {SongOrder::Name, SongOrder::Name, false, true},
        {SongOrder::Directory, SongOrder::Name, true, true},
        {SongOrder::Directory, SongOrder::Name, false, true}};
    struct Crash {};
    for (const auto& [sentIn, swappedIn, crash, arranged] : cases) {
        for (int stopAt = 1;; ++stopAt) {
            SCOPED_TRACE(songOrderKey(sentIn).toStdString() + " then " +
                         songOrderKey(swappedIn).toStdString() + (crash ? " crash" : " failure") +
                         (arranged ? " arranging" : " swapping") + " after step " + std::to_string(stopAt));
            clearVolume();
            withSongs(sentIn);
            for (const QString& file : {u"cover.jpg"_s, u"sub/notes.txt"_s, u".tunedeck-part-1234"_s})
                writeFile(volume() + u"/f/"_s + file, file.toUtf8());
            const QString before = songsOf(*player(swappedIn));
            int steps = 0;
            try {
                const auto device = player(swappedIn, [&] {
                    if (++steps == stopAt)
                        crash ? throw Crash{} : throw DeviceError(u"故障"_s);
                });
                arranged ? device->ArrangeSongs(0, {2, 0, 1}, u"0"_s) : device->SwapSong(0, 0, 2, u"0"_s);
            } catch (const Crash&) {
            } catch (const DeviceError& error) {
                EXPECT_EQ(error.description(), u"故障"_s);
                // Renames are undone at once, without waiting for the next Open.
                const QStringList files = namesIn(volume() + u"/f"_s), songs = files.filter(u".mp3"_s);
                EXPECT_TRUE(swappedIn != SongOrder::Name ||
                            (files.filter(kOwnPrefix).isEmpty() &&
                             (numberedApart(songs) || songs.filter(QRegularExpression(u"^\\d"_s)).isEmpty())))
                    << files.join(u' ').toStdString();
            }
            const QStringList was = before.split(u',');
            const QStringList wanted =
                arranged ? QStringList{was[2], was[0], was[1]} : QStringList{was[2], was[1], was[0]};
            const QString after = songsOf(*player(swappedIn));
            // Where the order can be told: as before or as after; undone when stopped at once.
            EXPECT_TRUE((swappedIn == SongOrder::Directory && listing == Listing::Unknown) ||
                        after == before || made(after, swappedIn, listing) == wanted)
                << after.toStdString();
            EXPECT_TRUE(stopAt > 1 || swappedIn == SongOrder::Name || after == before) << after.toStdString();
            // Three songs, the other files as they were and nothing of ours, in f alone.
            const QStringList files = filesUnder(volume() + u"/f"_s);
            EXPECT_EQ(std::tuple(namesIn(volume()), files.filter(u".mp3"_s).size(),
                                 files.filter(QRegularExpression(u"^(?!.*\\.mp3)"_s))),
                      std::tuple(QStringList{u"f"_s}, 3, QStringList{u"cover.jpg"_s, u"sub/notes.txt"_s}))
                << files.join(u' ').toStdString();
            if (steps < stopAt) {  // the reordering went to its end
                EXPECT_EQ(made(after, swappedIn, listing), wanted);
                break;
            }
        }
    }
}

// What the player refuses, and with which words; a refused or stopped send leaves nothing behind.
TEST_F(StorageTest, RefusalsAndStoppedSendsLeaveNothing) {
    const auto device = withSongs(SongOrder::Name, 2);
    // What is no regular file, however it is named, is refused before anything could wait on it.
    const QString computer = dir.path() + u"/computer/"_s, x = source(u"x.mp3"_s, 200'000),
                  none = dir.path() + u"/none/got.mp3"_s, no = dir.path() + u"/no.mp3"_s,
                  pipe = computer + u"pipe.mp3"_s, socket = computer + u"socket.mp3"_s,
                  nullLink = computer + u"null.mp3"_s, pipeLink = computer + u"link.mp3"_s;
    const QString got = writeFile(dir.path() + u"/got.mp3"_s, "before"), sparse = computer + u"huge.mp3"_s;
    ASSERT_EQ(::truncate(NativePath(writeFile(sparse, {})).c_str(), 5LL << 30), 0);
    MassStoragePlayer closed(folderLocator(volume())), missing(folderLocator(dir.path() + u"/unplugged"_s));
    const auto send = [&](const QString& path) { device->AddSong(0, u"t"_s, path, u"0"_s, {}); };
    const TransferProgress stop = [](qint64, qint64) { return false; },
                           fail = [](qint64, qint64) -> bool { throw DeviceError(u"中"_s); };
    std::vector<std::pair<std::function<void()>, QString>> calls = {
        {[&] { device->AddSong(0, u"t"_s, x, u"0"_s, stop); }, player_texts::kCancelled},
        {[&] { device->AddSong(0, u"t"_s, x, u"0"_s, fail); }, u"中"_s},
        {[&] { device->GetSong(0, 0, got, u"0"_s, stop); }, player_texts::kCancelled},
        {[&] { device->GetSong(0, 0, none, u"0"_s, {}); }, player_texts::kUnwritableTarget + none},
        {[&] { withFileSizeLimit(65536, [&] { send(x); }); }, player_texts::kStoreUnwritable + u"03 t.mp3"_s},
        {[&] { send(source(u"x.wav"_s)); }, file_player_texts::kNotASong + computer + u"x.wav"_s},
        {[&] { send(sparse); }, file_player_texts::kTooLargeForFat},
        {[&] { device->AddSong(2, u"t"_s, x, u"0"_s, {}); }, player_texts::kFolderOutOfRange},
        {[&] { device->GetSong(0, 2, got, u"0"_s, {}); }, player_texts::kSongOutOfRange},
        {[&] { device->DeleteSong(0, -1, u"0"_s); }, player_texts::kSongOutOfRange},
        {[&] { device->SwapSong(0, 0, 2, u"0"_s); }, player_texts::kSongOutOfRange},
        {[&] { device->DeleteFolder(1, u"0"_s); }, player_texts::kFolderOutOfRange},
        {[&] { device->Songs(1, 0); }, player_texts::kNoCard},
        {[&] { device->AvailableMemory(u"2"_s); }, player_texts::kBadMemory},
        {[&] { device->AddFolder(u"  "_s, u"0"_s); }, player_texts::kEmptyFolderName},
        {[&] { device->AddFolder(u"F"_s, u"0"_s); }, file_player_texts::kFolderExists + u"F"_s},
        {[&] { device->Open(); }, player_texts::kAlreadyOpen},
        {[&] { closed.Folders(0); }, player_texts::kNotOpen},
        {[&] { closed.Open(); }, player_texts::kInUse},
        {[&] { closed.FontName(u"MS UI Gothic"_s); }, player_texts::kNotOpen},
        {[&] { closed.ShownSongName(u"t"_s, x, u"0"_s); }, player_texts::kNotOpen},
        {[&] { device->ShownSongName(u"t"_s, x, u"1"_s); }, player_texts::kNoCard},
        {[&] { missing.Open(); }, player_texts::kNotConnected},
    };
    ASSERT_EQ(::mkfifo(NativePath(pipe).c_str(), 0644), 0);
    ASSERT_EQ(::mknod(NativePath(socket).c_str(), S_IFSOCK | 0644, 0), 0);
    ASSERT_TRUE(QFile::link(u"/dev/null"_s, nullLink) && QFile::link(pipe, pipeLink));
    for (const QString& path : {no, pipe, socket, nullLink, pipeLink})
        calls.emplace_back([&send, path] { send(path); }, player_texts::kUnreadableSource + path);
    // An order must name every song of the folder once.
    for (const std::vector<qint32>& order :
         std::vector<std::vector<qint32>>{{1}, {1, 1}, {1, 2}, {-1, 0}, {1, 0, 1}})
        calls.emplace_back([&device, order] { device->ArrangeSongs(0, order, u"0"_s); },
                           player_texts::kSongOutOfRange);
    calls.emplace_back([&] { device->ArrangeSongs(1, {1, 0}, u"0"_s); }, player_texts::kFolderOutOfRange);
    // In braces, the call is made before what it left is read.
    for (const auto& [call, description] : calls)
        EXPECT_EQ(
            (std::tuple{refusal(call), namesIn(volume() + u"/f"_s), readFile(got), namesIn(dir.path())}),
            std::tuple(description, QStringList{u"01 s1.mp3"_s, u"02 s2.mp3"_s}, "before"_ba,
                       QStringList{u"computer"_s, u"got.mp3"_s, u"volume"_s}));
    device->GetSong(0, 1, got, u"0"_s, {});
    EXPECT_EQ(readFile(got), readFile(computer + u"s2.mp3"_s));
}

// Names from a caller or from the volume never lead outside the audio folder: unsafe characters become "_",
// links on the volume are not followed, and what lies outside is never listed, changed or removed.
TEST_F(StorageTest, NamesCannotEscapeTheAudioFolder) {
    const QString outside = writeFile(dir.path() + u"/outside/keep.mp3"_s, "keep"),
                  music = volume() + u"/MUSIC"_s, playlists = volume() + u"/PLAYLISTS"_s;
    for (const QString& file : {u"PLAYLISTS/other.txt"_s, u"MUSIC/.rockbox/config"_s, u"MUSIC/notes.txt"_s})
        writeFile(volume() + u'/' + file, file.toUtf8());
    const auto device =
        player(SongOrder::Playlist, {}, at({.audioFolder = music, .playlistFolder = playlists}));
    for (const QString& name : {u"../evil"_s, u".."_s, u"/tmp"_s, u"a/../../b"_s})
        device->AddFolder(name, u"0"_s);
    ASSERT_TRUE(QFile::link(dir.path() + u"/outside"_s, music + u"/link"_s) &&
                QFile::link(outside, music + u"/_._evil/link.mp3"_s));
    EXPECT_EQ(namesOf(device->Folders(0)), (QStringList{u"a_.._.._b"_s, u"_"_s, u"_._evil"_s, u"_tmp"_s}));
    device->AddSong(2, u"../../../x"_s, source(u"s.mp3"_s), u"0"_s, {});
    EXPECT_EQ(songsOf(*device, 2), u"_._.._.._x"_s);
    EXPECT_EQ(readFile(playlists + u"/_._evil.m3u8"_s), "#EXTM3U\r\n../MUSIC/_._evil/_._.._.._x.mp3\r\n");
    // A link is no song of the player's, whatever its name: it stays, and so does its folder.
    device->DeleteFolder(2, u"0"_s);
    EXPECT_EQ(device->FilesKept(), 1);
    device->Format(u"0"_s);
    EXPECT_EQ(device->FilesKept(), 1);
    EXPECT_EQ(namesIn(music), (QStringList{u".rockbox"_s, u"_._evil"_s, u"link"_s, u"notes.txt"_s}));
    EXPECT_EQ(namesIn(music + u"/_._evil"_s), QStringList{u"link.mp3"_s});
    EXPECT_TRUE(namesIn(playlists) == QStringList{u"other.txt"_s} && readFile(outside) == "keep");
}

// Removing a folder or formatting takes the songs the pane shows and what Tunedeck keeps beside them (the
// folder's playlist, what a crash left), and a folder once nothing else is in it: every other file stays as
// it was, with the folders that hold it, and the player tells how many it kept. On a volume that does not
// say where its songs are, as any USB stick, a folder of documents is no player folder at all.
TEST_F(StorageTest, RemovalsTakeSongsOnly) {
    // Sorted, as filesUnder lists them; the .is_audio_player goes first.
    const QStringList others{u"Album/sub/notes.txt"_s, u"Documents/Tax2025/return.pdf"_s,
                             u"Documents/report.txt"_s, u"Photos/a.jpg"_s},
        withHoliday = others + QStringList{u"Photos/holiday.mp3"_s}, marker{u".is_audio_player"_s},
        ours{u"Album/.tunedeck-part-1"_s, u"Album/Album.m3u8"_s, u"Album/s.mp3"_s},
        shared{u"Album"_s, u"Empty"_s, u"Photos"_s}, all{u"Album"_s, u"Documents"_s, u"Empty"_s, u"Photos"_s};
    // Whether the volume has an .is_audio_player; whether it is formatted, else its first folder removed; the
    // folders before and after; the files kept, and every file left.
    const std::tuple<bool, bool, QStringList, QStringList, int, QStringList> rows[] = {
        {false, false, shared, {u"Empty"_s, u"Photos"_s}, 1, withHoliday},
        {false, true, shared, {}, 2, others},
        {true, false, all, all, 1, marker + withHoliday},
        {true, true, all, {u"Album"_s, u"Documents"_s, u"Photos"_s}, 4, marker + others},
    };
    for (const auto& [marked, format, before, after, kept, left] : rows) {
        SCOPED_TRACE(std::string(marked ? "marked" : "shared") + (format ? " format" : " remove"));
        clearVolume();
        for (const QString& file : (marked ? marker : QStringList()) + withHoliday + ours)
            writeFile(volume() + u'/' + file, file.toUtf8());
        QDir(volume()).mkdir(u"Empty"_s);
        const auto device = player({}, {}, folderLocator(volume()));
        EXPECT_EQ(namesOf(device->Folders(0)), before);
        format ? device->Format(u"0"_s) : device->DeleteFolder(0, u"0"_s);
        EXPECT_EQ(std::tuple(device->FilesKept(), namesOf(device->Folders(0)), filesUnder(volume())),
                  std::tuple(kept, after, left));
    }
    // A folder being removed is hidden first; what a crash leaves of it is finished at the next Open.
    clearVolume();
    for (const QString& file : {u"Album/s.mp3"_s, u"Album/notes.txt"_s, u"Photos/a.mp3"_s})
        writeFile(volume() + u'/' + kRemovingPrefix + file, file.toUtf8());
    player({}, {}, folderLocator(volume()));
    EXPECT_EQ(namesIn(volume()), QStringList{u"Album"_s});
    EXPECT_EQ(filesUnder(volume()), QStringList{u"Album/notes.txt"_s});
}

// A name is cut to what the file system keeps, in its own unit (bytes on ext4, UTF-16 units on FAT), never
// inside a character: a title of 84 Japanese characters is sent, and songs of 83 that another program copied
// there are numbered and swapped all the same, each keeping the start of its title.
TEST_F(StorageTest, LongTitlesFitTheFileSystem) {
    const QString title = QString(84, u'曲');
    const auto long83 = [](int k) { return QString(82, u'曲') + QChar(u'あ' + k); };
    for (int k = 0; k < 17; ++k)
        writeFile(volume() + u"/f/"_s + long83(k) + u".mp3"_s, QByteArray::number(k));
    const auto device = player(SongOrder::Name, {}, at({.audioFolder = volume()}));
    device->AddSong(0, title, source(u"s.mp3"_s), u"0"_s, {});
    device->SwapSong(0, 0, 17, u"0"_s);
    const std::vector<DeviceSong> songs = device->Songs(0, 0);
    ASSERT_EQ(songs.size(), 18u);
    for (int k = 0; k < 18; ++k)  // the new song, sent last, and the first have changed places
        EXPECT_TRUE((k == 0 ? title : long83(k % 17)).startsWith(songs[k].name))
            << songs[k].name.toStdString();
}

// A swap that fails on the device names the song it was moving, never a hidden name of ours, and is undone.
TEST_F(StorageTest, AFailedSwapNamesTheSong) {
    withSongs(SongOrder::Name, 2);
    const QString blocker = volume() + u"/f/02 s1.mp3"_s;
    int steps = 0;
    const auto device = player(SongOrder::Name, [&] {
        if (++steps == 3)  // the first song is hidden, the second has its number
            QDir().mkdir(blocker);
    });
    EXPECT_EQ(refusal([&] { device->SwapSong(0, 0, 1, u"0"_s); }),
              player_texts::kStoreUnwritable + u"02 s1.mp3"_s);
    QDir().rmdir(blocker);
    EXPECT_EQ(namesIn(volume() + u"/f"_s), (QStringList{u"01 s1.mp3"_s, u"02 s2.mp3"_s}));
}

// Each song is known by its directory entry, so that two of one title and size are told apart, also once
// they are swapped.
TEST_F(StorageTest, SongsOfOneTitleAreToldApart) {
    const auto device = withSongs(SongOrder::Name, 0);
    for (const char* bytes : {"aaaa", "bbbb"})
        device->AddSong(0, u"x"_s, writeFile(dir.path() + u"/x.mp3"_s, bytes), u"0"_s, {});
    const std::vector<DeviceSong> before = device->Songs(0, 0);
    EXPECT_NE(before[0].identity, before[1].identity);
    device->SwapSong(0, 0, 1, u"0"_s);
    const std::vector<DeviceSong> after = device->Songs(0, 0);
    EXPECT_EQ(std::tuple(songsOf(*device), after[0].identity, after[1].identity),
              std::tuple(u"x,x"_s, before[1].identity, before[0].identity));
}

// One bracket lists a folder once and notes its own sends and deletions, yet sees what another program
// changed in it since it was listed: after each step, the songs listed are those a new bracket lists.
TEST_F(StorageTest, ABracketSeesWhatAnotherProgramChanged) {
    const auto device = withSongs(SongOrder::Name, 2);
    const QString f = volume() + u"/f/"_s;
    const std::pair<std::function<void()>, QString> steps[] = {
        {[&] { writeFile(f + u"other.mp3"_s, "o"); }, u"s1,s2,other"_s},
        {[&] { device->AddSong(0, u"s3"_s, source(u"s3.mp3"_s), u"0"_s, {}); }, u"s1,s2,other,s3"_s},
        {[&] { QFile::remove(f + u"01 s1.mp3"_s); }, u"s2,other,s3"_s},
        {[&] { device->DeleteSong(0, 0, u"0"_s); }, u"other,s3"_s},
        {[&] { QFile::rename(f + u"03 other.mp3"_s, f + u"03 moved.mp3"_s); }, u"moved,s3"_s},
    };
    for (const auto& [step, songs] : steps) {
        SCOPED_TRACE(songs.toStdString());
        songsOf(*device);
        step();
        EXPECT_EQ(songsOf(*device), songs);
        device->Close();
        EXPECT_EQ(songsOf(*player(SongOrder::Name)), songs);
        device->Open();
    }
    device->Folders(0);
    QDir().mkdir(volume() + u"/g"_s);
    EXPECT_EQ(device->Folders(0).size(), 2u);
}

// A listing is used again only while the folder's stamp holds and once its last change is older than a FAT
// time step; what the bracket notes keeps it. A file grown in place leaves the folder's stamp as it was, so
// the size listed shows whether the listing was used again ("a:3") or read anew ("a:5").
TEST(FolderListings, UsedAgainWhileTheStampHoldsAndWhatIsNotedKeepsIt) {
    const TemporaryFolder dir;
    const QString path = dir.path() + u"/f"_s;
    writeFile(path + u"/a.mp3"_s, "aaa");
    writeFile(path + u"/b.mp3"_s, "bbb");
    // Older than FAT's two seconds, so a listing of it may be kept.
    std::this_thread::sleep_for(std::chrono::milliseconds(2100));
    const Fd folder = openFolder(path);
    FolderListings listings;
    qint64 grown = 3;
    const auto grow = [&] { writeFile(path + u"/a.mp3"_s, QByteArray(++grown, 'a')); };
    const std::pair<std::function<void()>, QString> steps[] = {
        {[] {}, u"a:3 b:3"_s},
        {grow, u"a:3 b:3"_s},
        {[&] { writeFile(path + u"/c.mp3"_s, "c"); }, u"a:4 b:3 c:1"_s},
        {[&] {
             grow();
             writeFile(path + u"/d.mp3"_s, "dd");
             listings.noteWritten(folder, path, u"d.mp3"_s);
         },
         u"a:4 b:3 c:1 d:2"_s},
        {[&] {
             grow();
             QFile::remove(path + u"/b.mp3"_s);
             listings.noteRemoved(folder, path, u"b.mp3"_s);
         },
         u"a:4 c:1 d:2"_s},
        {[&] {
             grow();
             listings.forget(path);
         },
         u"a:7 c:1 d:2"_s},
        {[&] {
             grow();
             listings.noteWritten(folder, path, u"a.mp3"_s);
         },
         u"a:8 c:1 d:2"_s},
        {[&] {
             grow();
             listings.forgetAll();
         },
         u"a:9 c:1 d:2"_s},
    };
    for (const auto& [step, listed] : steps) {
        step();
        QStringList shown;
        for (const VolumeEntry& entry : listings.entries(folder, path))
            shown << stemOf(entry.name) + u':' + QString::number(entry.size);
        shown.sort();
        EXPECT_EQ(shown.join(u' '), listed);
    }
    const bool first = listings.firstVisit(path), again = listings.firstVisit(path);
    EXPECT_EQ(std::tuple(first, again, listings.firstVisit(u"g"_s)), std::tuple(true, false, true));
}

// What a crash left in a folder is seen to when the folder is first opened, not at Open: reading one folder
// of a player of many reads no other.
TEST_F(StorageTest, AFoldersLeftoversGoWhenItIsOpened) {
    {
        const auto device = player();
        device->AddFolder(u"a"_s, u"0"_s);
        device->AddFolder(u"b"_s, u"0"_s);
    }
    const QString left = volume() + u"/b/"_s + kPartPrefix + u"x"_s;
    writeFile(left, "half a song");
    const auto device = player();
    songsOf(*device, 0);
    EXPECT_TRUE(QFile::exists(left)) << "another folder was read";
    songsOf(*device, 1);
    EXPECT_FALSE(QFile::exists(left));
}

// A number swap that an earlier version journaled and a crash stopped, after any of its three renames: the
// next Open finishes it. A journal naming a song without a number is dropped, and the songs stay.
TEST_F(StorageTest, AnEarlierVersionsStoppedSwapIsFinished) {
    const QStringList journaled{u"01 a.mp3"_s, u"02 b.mp3"_s};
    // The folder's files, the journal, the songs at the next Open.
    const std::tuple<QStringList, QStringList, QString> cases[] = {
        {journaled, journaled, u"b,a"_s},
        {{kSwapHidden, u"02 b.mp3"_s}, journaled, u"b,a"_s},
        {{kSwapHidden, u"01 b.mp3"_s}, journaled, u"b,a"_s},
        {{u"01 b.mp3"_s, u"02 a.mp3"_s}, journaled, u"b,a"_s},
        {{u"01 a.mp3"_s, u"b.mp3"_s}, {u"01 a.mp3"_s, u"b.mp3"_s}, u"a,b"_s},
    };
    for (const auto& [files, journal, after] : cases) {
        SCOPED_TRACE(files.join(u' ').toStdString());
        QDir(volume() + u"/f"_s).removeRecursively();
        for (const QString& name : files)
            writeFile(volume() + u"/f/"_s + name, name.toUtf8());
        writeFile(volume() + u"/f/"_s + kSwapJournal, (journal.join(QChar(0)) + QChar(0)).toUtf8());
        EXPECT_EQ(songsOf(*player(SongOrder::Name)), after);
        EXPECT_TRUE(namesIn(volume() + u"/f"_s).filter(kOwnPrefix).isEmpty());
    }
}

// A full volume refuses a song before copying it; a read-only one says so.
TEST_F(StorageTest, AFullOrReadOnlyVolumeRefusesClearly) {
    if (!mountTmpfs("size=1m"))
        GTEST_SKIP() << "cannot mount a tmpfs here (not root?)";
    const auto device = withSongs(SongOrder::Directory, 1);
    EXPECT_EQ(refusal([&] { device->AddSong(0, u"big"_s, source(u"big.mp3"_s, 2 << 20), u"0"_s, {}); }),
              player_texts::kMemoryFull);
    EXPECT_EQ(namesIn(volume() + u"/f"_s), QStringList{u"s1.mp3"_s});
    EXPECT_LT(device->AvailableMemory(u"0"_s), 1 << 20);
    ASSERT_EQ(::mount(nullptr, NativePath(volume()).c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
    for (const auto& call : std::vector<std::function<void()>>{
             [&] { device->AddSong(0, u"t"_s, source(u"t.mp3"_s), u"0"_s, {}); },
             [&] { device->DeleteSong(0, 0, u"0"_s); }, [&] { device->AddFolder(u"g"_s, u"0"_s); }})
        EXPECT_EQ(refusal(call), file_player_texts::kReadOnly);
    device->Close();
    EXPECT_EQ(songsOf(*player()), u"s1"_s) << "a read-only volume still opens and reads";
    // Over FAT's 4 GiB to a volume that is no FAT: too large only for the room left.
    const QString huge = source(u"huge.mp3"_s);
    ASSERT_EQ(::truncate(NativePath(huge).c_str(), 5LL << 30), 0);
    EXPECT_EQ(refusal([&] { player({}, {}, folderLocator(volume()))->AddSong(0, u"h"_s, huge, u"0"_s, {}); }),
              player_texts::kMemoryFull);
}

// A real exFAT (SDXC cards), through the FUSE driver: every operation as on a plain folder. Its listing order
// is not the order on the disk, so no order is claimed.
TEST_F(StorageTest, OnARealExfat) {
    const QString card = volume() + u"/card"_s, loop = mountExfat(card);
    if (loop.isEmpty())
        GTEST_SKIP() << "no loop device, mkfs.exfat or FUSE exFAT";
    const auto device = player(SongOrder::Playlist, {}, at({.audioFolder = card}));
    const qint64 free = device->AvailableMemory(u"0"_s);
    device->AddFolder(u"音楽"_s, u"0"_s);
    const std::pair<std::function<void()>, QString> steps[] = {
        {[&] { device->AddSong(0, u"what?"_s, source(u"a.mp3"_s, 300'000), u"0"_s, {}); }, u"what_"_s},
        {[&] { device->AddSong(0, u"日本語"_s, source(u"b.mp3"_s), u"0"_s, {}); }, u"what_,日本語"_s},
        {[&] { device->AddSong(0, u"WHAT?"_s, source(u"c.mp3"_s), u"0"_s, {}); },
         u"what_,日本語,WHAT_ (2)"_s},
        {[&] { device->SwapSong(0, 0, 2, u"0"_s); }, u"WHAT_ (2),日本語,what_"_s},
        {[&] { device->DeleteSong(0, 1, u"0"_s); }, u"WHAT_ (2),what_"_s},
        {[&] { device->AddFolder(u"音楽"_s, u"0"_s); }, u"WHAT_ (2),what_"_s},
        // In name order the songs are numbered in the order they play, then swapped.
        {[&] { device->ChooseSongOrder(SongOrder::Name), device->SwapSong(0, 0, 1, u"0"_s); },
         u"what_,WHAT_ (2)"_s},
    };
    for (const auto& [step, songs] : steps) {
        refusal(step);
        EXPECT_EQ(songsOf(*device), songs);
    }
    EXPECT_LT(device->AvailableMemory(u"0"_s), free - 300'000);
    device->ChooseSongOrder(SongOrder::Directory), device->SwapSong(0, 0, 1, u"0"_s);
    EXPECT_EQ(device->Songs(0, 0).size(), 2u);
    device->Format(u"0"_s);
    EXPECT_TRUE(device->Folders(0).empty());
    device->Close();
    EXPECT_EQ(run(u"umount"_s, {card}).first, 0);
    EXPECT_EQ(run(u"fsck.exfat"_s, {u"-n"_s, loop}).first, 0) << "the file system stays clean";
}

// Two programs on one player take turns: one that opens it while a run holds it gets it at the run's next
// Close, before the run opens it again. They wait in line off the volume, which the wait leaves as it was,
// and the line goes with the last one in it.
TEST_F(StorageTest, AProgramThatWaitsGoesBeforeARunsNextSong) {
    const auto run = withSongs(SongOrder::Directory, 1);
    std::atomic<bool> listed = false;
    std::thread other([&] { EXPECT_NO_THROW(listed = songsOf(*player()) == u"s1"_s); });
    const QString line = sharedLineFor(openFolder(volume()).get());
    EXPECT_TRUE(eventually([&] { return someoneInLine(line); }));
    run->Close();
    run->Open();
    EXPECT_TRUE(listed) << "the run took the player again before the program waiting, which saw its song";
    run->Close();
    other.join();
    EXPECT_EQ(namesIn(volume()), QStringList{u"f"_s});
    EXPECT_FALSE(QFile::exists(line)) << "the line left behind";
}

// tunedeck-player on a folder given as its player: transfers and ls act on that volume, the commands of the
// emulated player are refused, and a folder that is not there is a player that is not connected.
TEST_F(StorageTest, TunedeckPlayerActsOnTheFolderItIsGiven) {
    writeFile(volume() + u"/.is_audio_player"_s, "audio_folders=MUSIC\nsong_order=name\n");
    writeFile(volume() + u"/MUSIC/Pop/notes.txt"_s, "notes");
    const QString program = QStringLiteral(TUNEDECK_BIN_DIR "/tunedeck-player");
    // The exit status and what the program wrote, but for the free space, which is the test machine's.
    const auto player = [&](const QString& folder, const QStringList& arguments) {
        auto [status, output] = run(program, QStringList{u"--player"_s, folder} + arguments);
        return QString::number(status) + u'|' + output.remove(QRegularExpression(u", \\d+ bytes free"_s));
    };
    const std::pair<QStringList, QString> steps[] = {
        {{u"mkdir"_s, u"Rock"_s}, u"0|"_s},
        {{u"--folder"_s, u"1"_s, u"send"_s, source(u"a.mp3"_s), source(u"b.mp3"_s)},
         u"0|2 of 2 files sent\n"_s},
        {{u"--folder"_s, u"1"_s, u"swap"_s, u"0"_s, u"1"_s}, u"0|"_s},
        {{u"ls"_s},
         u"0|memory 0 (internal): 6000 bytes used\n  folder 0: Pop\n  folder 1: Rock\n"
         u"    song 0: b (3000 bytes)\n    song 1: a (3000 bytes)\nmemory 1 (card): absent\n"_s},
        {{u"status"_s}, u"2|tunedeck-player: status acts on the emulated player only\n"_s},
        {{u"--memory"_s, u"1"_s, u"mkdir"_s, u"x"_s},
         u"1|tunedeck-player: "_s + player_texts::kNoCard + u'\n'},
        {{u"--memory"_s, u"1"_s, u"format"_s}, u"1|tunedeck-player: "_s + player_texts::kNoCard + u'\n'},
        {{u"rmdir"_s, u"0"_s}, u"0|1 files kept that are not songs\n"_s},
    };
    for (const auto& [arguments, expected] : steps)
        EXPECT_EQ(player(volume(), arguments), expected) << arguments.join(u' ').toStdString();
    EXPECT_EQ(player(volume() + u"/gone"_s, {u"ls"_s}),
              u"1|tunedeck-player: "_s + player_texts::kNotConnected + u'\n');
}

}  // namespace
}  // namespace tunedeck::testing
