// SPDX-License-Identifier: GPL-3.0-or-later
#include "fat_names.h"
#include "file_size_limit.h"
#include "folder_locator.h"
#include "lock_turns.h"
#include "mass_storage_player.h"
#include "music_files.h"
#include "player_texts.h"
#include "playlist.h"
#include "qt_printers.h"
#include "storage_texts.h"
#include "turn_probes.h"
#include "volume_files.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <linux/magic.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/un.h>

#include <algorithm>
#include <atomic>
#include <optional>
#include <thread>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tunedeck::testing {
namespace {

// A program's exit status (-1: it could not run) and what it wrote.
std::pair<int, QString> run(const QString& program, const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"MTOOLS_SKIP_CHECK"_s, u"1"_s);
    environment.insert(u"LC_ALL"_s, u"C.UTF-8"_s);
    // Qt would say on standard error that it has none.
    static const QTemporaryDir runtime;
    environment.insert(u"XDG_RUNTIME_DIR"_s, runtime.path());
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(60'000) || process.exitStatus() != QProcess::NormalExit)
        return {-1, process.errorString()};
    return {process.exitCode(),
            QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError())};
}

QStringList namesIn(const QString& folder) {
    QStringList names;
    for (const VolumeEntry& entry : listEntries(openFolder(folder)))
        names << entry.name;
    names.sort();
    return names;
}

QString songsOf(DeviceComponent& player, qint16 folder = 0) {
    QStringList names;
    for (const DeviceSong& song : player.Songs(0, folder))
        names << song.name;
    return names.join(u',');
}

QString refusal(const std::function<void()>& call) {
    try {
        call();
    } catch (const DeviceError& error) {
        return error.description();
    }
    return u"(done)"_s;
}

// A temporary tmpfs of `size` at `folder`: its listing order is one the test can know (a plain folder on ext4
// lists by hash), and it can be made full or read-only.
struct TmpfsMount {
    explicit TmpfsMount(const QString& at, const char* size = "size=8m") : folder(at) {
        QDir().mkpath(at);
        mounted = ::mount("tmpfs", NativePath(at).c_str(), "tmpfs", 0, size) == 0;
    }
    ~TmpfsMount() {
        if (mounted)
            ::umount2(NativePath(folder).c_str(), MNT_DETACH);
    }
    bool readOnly() const {
        return ::mount(nullptr, NativePath(folder).c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }
    QString folder;
    bool mounted = false;
};

// How the folder's file system lists entries made one after the other: as made, or newest first; Unknown
// when it lists by some other rule (a hash; eight names, so that a hash does not pass for an order by
// chance). A FAT player plays in the order made.
enum class Listing { AsMade, NewestFirst, Unknown };
Listing listingOf(const QString& folder) {
    const QString probe = folder + u"/.probe"_s;
    const QStringList made{u"h"_s, u"c"_s, u"f"_s, u"a"_s, u"g"_s, u"b"_s, u"e"_s, u"d"_s};
    for (const QString& name : made)
        writeFile(probe + u'/' + name, {});
    QStringList listed;
    for (const VolumeEntry& entry : listEntries(openFolder(probe)))
        listed << entry.name;
    removeEntry(openFolder(folder), u".probe"_s);
    QStringList reversed = made;
    std::reverse(reversed.begin(), reversed.end());
    return listed == made ? Listing::AsMade : listed == reversed ? Listing::NewestFirst : Listing::Unknown;
}

// How `folder` lists entries: as it is where it lists them in some order of making (the kernel's vfat, in the
// test machine), else with a tmpfs mounted on it in `tmpfs`.
Listing listingInOrder(const QString& folder, std::optional<TmpfsMount>& tmpfs) {
    if (const Listing plain = listingOf(folder); plain != Listing::Unknown)
        return plain;
    tmpfs.emplace(folder);
    return tmpfs->mounted ? listingOf(folder) : Listing::Unknown;
}

// Whether the folder is on the kernel's vfat, as in the test machine.
bool onFat(const QString& folder) {
    struct statfs status {};
    return ::statfs(NativePath(folder).c_str(), &status) == 0 && status.f_type == MSDOS_SUPER_MAGIC;
}

// A locator that says of the folder's volume what udev says of a USB player's: FAT, whose order of entries
// counts, whatever file system the test's folder is on.
StorageLocator fatLocator(const QString& folder) {
    return [plain = folderLocator(folder)] {
        StorageLayout layout = plain();
        layout.internal->fileSystem = u"vfat"_s;
        return layout;
    };
}

class StorageTest : public ::testing::Test {
  protected:
    StorageTest() { QDir().mkpath(volume()); }
    QString volume() const { return dir.path() + u"/volume"_s; }
    // A song file on the computer; its bytes are its name over and over.
    QString source(const QString& name, qint64 size = 3000) const {
        return writeFile(dir.path() + u"/computer/"_s + name,
                         name.toUtf8().repeated(size / name.size() + 1).first(size));
    }
    // A FAT player on the test's folder, unless `memory` says otherwise.
    std::unique_ptr<MassStoragePlayer> player(SongOrder order = SongOrder::Directory, StepDone stepDone = {},
                                              StorageMemory memory = {}) const {
        if (memory.audioFolder.isEmpty())
            memory = {.audioFolder = volume(), .fileSystem = u"vfat"_s};
        auto made = std::make_unique<MassStoragePlayer>(
            [memory] { return StorageLayout{.internal = memory}; }, std::move(stepDone));
        made->ChooseSongOrder(order);
        made->Open();
        return made;
    }
    // Folder "f" with songs s1..sN sent in that order.
    std::unique_ptr<MassStoragePlayer> withSongs(SongOrder order, int songs = 3) const {
        auto made = player(order);
        made->AddFolder(u"f"_s, u"0"_s);
        for (int i = 1; i <= songs; ++i)
            made->AddSong(0, u"s"_s + QString::number(i), source(u"s%1.mp3"_s.arg(i)), u"0"_s);
        return made;
    }
    TemporaryFolder dir;
};

// The pure rules: FAT-safe names as mcopy takes them, name order, the .is_audio_player file, playlists.
TEST(StorageRules, NamesOrdersAndFiles) {
    const QString emoji = u"😀"_s, longTitle = QString(300, u'x');
    const std::pair<QString, QString> safe[] = {
        {u"a\\b/c:d*e?f\"g<h>i|j"_s, u"a_b_c_d_e_f_g_h_i_j.mp3"_s},
        {u"tab\there"_s, u"tab_here.mp3"_s},
        {u"dots... "_s, u"dots.mp3"_s},
        {u""_s, u"_.mp3"_s},
        {u" . "_s, u"_.mp3"_s},
        {u"..\\..\\x"_s, u"_._.._x.mp3"_s},
        {u".hidden"_s, u"_hidden.mp3"_s},
        {u"日本語　タイトル"_s, u"日本語　タイトル.mp3"_s},
        {longTitle, QString(251, u'x') + u".mp3"_s},
        {QString(250, u'x') + emoji, QString(250, u'x') + u".mp3"_s},
        {QString(249, u'x') + emoji, QString(249, u'x') + emoji + u".mp3"_s},
        {pathFromBytes("\x82\xa0"), u"__.mp3"_s}};
    for (const auto& [title, name] : safe)
        EXPECT_EQ(fatSafeName(title, u".mp3"_s), name) << title.toStdString();
    EXPECT_EQ(freeFatName(u"Song"_s, u".mp3"_s, {u"SONG.MP3"_s, u"song (2).mp3"_s}), u"Song (3).mp3"_s);
    EXPECT_EQ(freeFatName(longTitle, u".mp3"_s, {QString(251, u'x') + u".MP3"_s}),
              QString(247, u'x') + u" (2).mp3"_s);

    QStringList names{u"10 x"_s, u"2 x"_s, u"b"_s, u"A"_s, u"02 y"_s, u"1 z"_s};
    std::sort(names.begin(), names.end(), naturalLess);
    EXPECT_EQ(names, (QStringList{u"1 z"_s, u"2 x"_s, u"02 y"_s, u"10 x"_s, u"A"_s, u"b"_s}));

    const std::tuple<QByteArray, QString, std::optional<SongOrder>> players[] = {
        {"audio_folders=MUSIC/,Podcasts/\nsong_order=name\n", u"MUSIC"_s, SongOrder::Name},
        {"audio_folders=\"Music/Rock;Pop\"\r\nsong_order = playlist\r\n", u"Music/Rock"_s,
         SongOrder::Playlist},
        {"audio_folders=../outside\nsong_order=random\n", u""_s, std::nullopt},
        {"audio_folders=/a/../../b\n", u""_s, std::nullopt},
        {"output_formats=audio/mpeg\n", u""_s, std::nullopt}};
    for (const auto& [contents, folder, order] : players) {
        EXPECT_EQ(audioPlayerFile(contents).audioFolder, folder) << contents.constData();
        EXPECT_EQ(audioPlayerFile(contents).order, order) << contents.constData();
    }

    const QStringList songs{u"b.mp3"_s, u"a é.mp3"_s, pathFromBytes("\x82\xa0.mp3")};
    for (const QString& at : {u"/v/MUSIC/f"_s, u"/v/PLAYLISTS"_s}) {
        const QByteArray text = playlistText(songs, at, u"/v/MUSIC/f"_s);
        EXPECT_EQ(playlistSongs(text, at, u"/v/MUSIC/f"_s), songs) << text.constData();
    }
    EXPECT_EQ(
        playlistSongs("\xEF\xBB\xBF#EXTM3U\nx.mp3\r\n./y.mp3\n..\\f\\z.mp3\n/abs.mp3\nsub/w.mp3\nx.mp3\n",
                      u"/v/f"_s, u"/v/f"_s),
        (QStringList{u"x.mp3"_s, u"y.mp3"_s, u"z.mp3"_s}));
}

// The order a FAT player plays in is the order the entries were made, which a tmpfs lists newest first.
QStringList made(const QString& listed, SongOrder order, Listing listing) {
    QStringList songs = listed.split(u',');
    if (order == SongOrder::Directory && listing == Listing::NewestFirst)
        std::reverse(songs.begin(), songs.end());
    return songs;
}

// Each order after sends, a delete of the 2nd song, a send and a swap of the 1st and 3rd: the songs as the
// player plays them, by their titles, and the files that order keeps. A swap in directory order makes the
// folder's entries anew in the order the list wants; where the file system keeps no such order, the player
// plays by name. A player that says its order is followed over the one chosen.
TEST_F(StorageTest, EveryOrderAfterSendsDeletesAndSwaps) {
    struct Row {
        SongOrder order;
        bool fat;                // the volume is FAT, as udev says of a USB player
        QByteArray audioPlayer;  // the volume's .is_audio_player; empty: none
        QStringList files;       // of the folder at the end
        QByteArray playlist;     // the folder's at the end
    };
    const QStringList numbered{u"01 s4.mp3"_s, u"03 s3.mp3"_s, u"04 s1.mp3"_s};
    const Row rows[] = {
        {SongOrder::Directory, true, {}, {u"s1.mp3"_s, u"s3.mp3"_s, u"s4.mp3"_s}},
        {SongOrder::Directory, false, {}, numbered},
        {SongOrder::Name, false, {}, numbered},
        {SongOrder::Playlist,
         false,
         {},
         {u"f.m3u8"_s, u"s1.mp3"_s, u"s3.mp3"_s, u"s4.mp3"_s},
         "#EXTM3U\r\ns4.mp3\r\ns3.mp3\r\ns1.mp3\r\n"},
        {SongOrder::Playlist, false, "audio_folders=MUSIC\nsong_order=name\n", numbered},
    };
    std::optional<TmpfsMount> tmpfs;
    const Listing listing = listingInOrder(volume(), tmpfs);
    const bool fatVolume = onFat(volume());
    for (const Row& row : rows) {
        SCOPED_TRACE(songOrderKey(row.order).toStdString() + (row.fat ? " FAT " : " ") +
                     row.audioPlayer.toStdString());
        const bool byEntries = row.order == SongOrder::Directory && (row.fat || fatVolume);
        if ((row.order == SongOrder::Directory && !row.fat && fatVolume) ||
            (byEntries && listing == Listing::Unknown))
            continue;  // the kernel's vfat keeps the order; a listing by hash has none to check
        const SongOrder plays = row.order == SongOrder::Directory && !byEntries ? SongOrder::Name : row.order;
        for (const QString& name : namesIn(volume()))
            removeEntry(openFolder(volume()), name);
        if (!row.audioPlayer.isEmpty())
            writeFile(volume() + u"/.is_audio_player"_s, row.audioPlayer);
        MassStoragePlayer device(row.fat ? fatLocator(volume()) : folderLocator(volume()));
        device.ChooseSongOrder(row.order);
        device.Open();
        device.AddFolder(u"f"_s, u"0"_s);
        const auto send = [&](const QString& title) {
            device.AddSong(0, title, source(title + u".mp3"_s), u"0"_s);
        };
        const auto played = [&] { return made(songsOf(device), plays, listing).join(u','); };
        send(u"s1"_s), send(u"s2"_s), send(u"s3"_s);
        EXPECT_EQ(played(), u"s1,s2,s3"_s);
        device.DeleteSong(0, 1, u"0"_s);
        EXPECT_EQ(played(), u"s1,s3"_s);
        send(u"s4"_s);
        // The kernel's vfat gives a new entry the first free slots it fits in: here the deleted song's.
        const bool slotTaken = byEntries && listing == Listing::AsMade;
        EXPECT_EQ(played(), slotTaken ? u"s1,s4,s3"_s : u"s1,s3,s4"_s);
        QStringList wanted = songsOf(device).split(u',');
        std::swap(wanted[0], wanted[2]);
        device.SwapSong(0, 0, 2, u"0"_s);
        EXPECT_EQ(played(), made(wanted.join(u','), SongOrder::Name, listing).join(u','));
        EXPECT_EQ(made(songsOf(device), plays, listing), wanted);
        const QString folder = volume() + (row.audioPlayer.isEmpty() ? u"/f"_s : u"/MUSIC/f"_s);
        EXPECT_EQ(namesIn(folder), row.files);
        EXPECT_EQ(readFile(folder + u"/f.m3u8"_s), row.playlist);
        // Nothing a reordering left takes the place of the next song: it goes last.
        send(u"s5"_s);
        EXPECT_EQ(played(), (wanted << u"s5"_s).join(u','));
        device.Close();
    }
}

// A reordering stopped after any of its steps on the device, by a crash or by a failure of the device: a
// failed renumbering is undone at once, what a crash left is finished at the next Open, or undone when it had
// not yet said what it does. The songs play as before or as after, never half of it; nothing is lost and
// nothing of ours is left. In name order the songs sent in directory order are first given numbers, all of
// them or none.
TEST_F(StorageTest, AStopDuringAReorderLeavesTheOrderAsBeforeOrAsAfter) {
    std::optional<TmpfsMount> tmpfs;
    const Listing listing = listingInOrder(volume(), tmpfs);
    struct Case {
        SongOrder sentIn, swappedIn;
        bool crash;  // else the device fails
    };
    const Case cases[] = {{SongOrder::Directory, SongOrder::Directory, true},
                          {SongOrder::Directory, SongOrder::Directory, false},
                          {SongOrder::Name, SongOrder::Name, true},
                          {SongOrder::Directory, SongOrder::Name, true},
                          {SongOrder::Directory, SongOrder::Name, false}};
    for (const Case& each : cases) {
        for (int stopAt = 1;; ++stopAt) {
            SCOPED_TRACE(songOrderKey(each.sentIn).toStdString() + " then " +
                         songOrderKey(each.swappedIn).toStdString() + (each.crash ? " crash" : " failure") +
                         " after step " + std::to_string(stopAt));
            for (const QString& name : namesIn(volume()))
                removeEntry(openFolder(volume()), name);
            withSongs(each.sentIn);
            writeFile(volume() + u"/f/cover.jpg"_s, "jpg");
            writeFile(volume() + u"/f/sub/notes.txt"_s, "notes");
            writeFile(volume() + u"/f/.tunedeck-part-1234"_s, "a crashed copy");
            const QString before = songsOf(*player(each.swappedIn));
            int steps = 0;
            struct Crash {};
            bool stopped = false;
            try {
                player(each.swappedIn, [&] {
                    if (++steps == stopAt && each.crash)
                        throw Crash{};
                    if (steps == stopAt)
                        throw DeviceError(u"故障"_s);
                })->SwapSong(0, 0, 2, u"0"_s);
            } catch (const Crash&) {
                stopped = true;
            } catch (const DeviceError& error) {
                stopped = true;
                EXPECT_EQ(error.description(), u"故障"_s);
                // Renames are undone at once, without waiting for the next Open.
                const QStringList files = namesIn(volume() + u"/f"_s);
                const QStringList songs = files.filter(u".mp3"_s);
                if (each.swappedIn == SongOrder::Name) {
                    EXPECT_TRUE(files.filter(u".tunedeck"_s).isEmpty()) << files.join(u' ').toStdString();
                    EXPECT_TRUE(numberedApart(songs) ||
                                std::none_of(songs.begin(), songs.end(),
                                             [](auto& song) { return numberPrefixOf(song).has_value(); }))
                        << songs.join(u' ').toStdString();
                }
            }
            QStringList wanted = before.split(u',');
            std::swap(wanted[0], wanted[2]);
            const QString after = songsOf(*player(each.swappedIn));
            if (each.swappedIn == SongOrder::Name || listing != Listing::Unknown) {
                EXPECT_TRUE(after == before || made(after, each.swappedIn, listing) == wanted)
                    << after.toStdString();
            }
            if (stopAt == 1 && each.swappedIn == SongOrder::Directory) {
                EXPECT_EQ(after, before) << "undone";
            }
            EXPECT_EQ(namesIn(volume()), QStringList{u"f"_s});
            const QStringList files = namesIn(volume() + u"/f"_s);
            EXPECT_EQ(files.filter(u".mp3"_s).size(), 3);
            EXPECT_TRUE(files.contains(u"cover.jpg"_s));
            EXPECT_EQ(readFile(volume() + u"/f/sub/notes.txt"_s), "notes");
            EXPECT_TRUE(files.filter(u".tunedeck"_s).isEmpty());
            if (!stopped) {
                EXPECT_EQ(made(after, each.swappedIn, listing), wanted);
                break;
            }
        }
    }
}

// What the player refuses, and with which words; a refused or stopped send leaves nothing behind.
TEST_F(StorageTest, RefusalsAndStoppedSendsLeaveNothing) {
    const auto device = withSongs(SongOrder::Name, 2);
    const QString song = source(u"x.mp3"_s, 200'000);
    const QString sparse = dir.path() + u"/computer/huge.mp3"_s;
    writeFile(sparse, {});
    ASSERT_EQ(::truncate(NativePath(sparse).c_str(), 5LL << 30), 0);
    const QString got = dir.path() + u"/got.mp3"_s;
    writeFile(got, "before");
    // Another volume: one program at a time has a volume open.
    QDir(dir.path()).mkpath(u"fat/g"_s);
    MassStoragePlayer fat([&] {
        return StorageLayout{
            .internal = StorageMemory{.audioFolder = dir.path() + u"/fat"_s, .fileSystem = u"vfat"_s}};
    });
    fat.Open();
    MassStoragePlayer closed(folderLocator(volume()));
    MassStoragePlayer missing(folderLocator(dir.path() + u"/unplugged"_s));
    // What is no regular file, however it is named, is refused before anything could wait on it.
    const QString pipe = dir.path() + u"/computer/pipe.mp3"_s,
                  socket = dir.path() + u"/computer/socket.mp3"_s,
                  nullLink = dir.path() + u"/computer/null.mp3"_s,
                  pipeLink = dir.path() + u"/computer/link.mp3"_s;
    ASSERT_EQ(::mkfifo(NativePath(pipe).c_str(), 0644), 0);
    ASSERT_EQ(::symlink("/dev/null", NativePath(nullLink).c_str()), 0);
    ASSERT_EQ(::symlink(NativePath(pipe).c_str(), NativePath(pipeLink).c_str()), 0);
    const Fd listening(::socket(AF_UNIX, SOCK_STREAM, 0));
    sockaddr_un address{.sun_family = AF_UNIX, .sun_path = {}};
    std::copy_n(NativePath(socket).c_str(), NativePath(socket).bytes().size(), address.sun_path);
    ASSERT_EQ(::bind(listening.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    const auto sent = [&](const QString& path) {
        return [&device, path] { device->AddSong(0, u"t"_s, path, u"0"_s); };
    };
    const std::pair<std::function<void()>, QString> calls[] = {
        {sent(pipe), player_texts::kUnreadableSource + pipe},
        {sent(socket), player_texts::kUnreadableSource + socket},
        {sent(nullLink), player_texts::kUnreadableSource + nullLink},
        {sent(pipeLink), player_texts::kUnreadableSource + pipeLink},
        {[&] { device->AddSong(0, u"t"_s, song, u"0"_s, [](qint64, qint64) { return false; }); },
         player_texts::kCancelled},
        {[&] {
             device->AddSong(0, u"t"_s, song, u"0"_s,
                             [](qint64, qint64) -> bool { throw DeviceError(u"中"_s); });
         },
         u"中"_s},
        {[&] { device->GetSong(0, 0, got, u"0"_s, [](qint64, qint64) { return false; }); },
         player_texts::kCancelled},
        {[&] { device->GetSong(0, 0, dir.path() + u"/none/got.mp3"_s, u"0"_s); },
         player_texts::kUnwritableTarget + dir.path() + u"/none/got.mp3"_s},
        {[&] { withFileSizeLimit(100'000, [&] { device->AddSong(0, u"t"_s, song, u"0"_s); }); },
         player_texts::kStoreUnwritable + u"03 t.mp3"_s},
        {[&] { device->AddSong(0, u"t"_s, dir.path() + u"/no.mp3"_s, u"0"_s); },
         player_texts::kUnreadableSource + dir.path() + u"/no.mp3"_s},
        {[&] { device->AddSong(0, u"t"_s, source(u"x.wav"_s), u"0"_s); },
         storage_texts::kNotASong + dir.path() + u"/computer/x.wav"_s},
        {[&] { fat.AddSong(0, u"t"_s, sparse, u"0"_s); }, storage_texts::kTooLargeForFat},
        {[&] { device->AddSong(2, u"t"_s, song, u"0"_s); }, player_texts::kFolderOutOfRange},
        {[&] { device->GetSong(0, 2, got, u"0"_s); }, player_texts::kSongOutOfRange},
        {[&] { device->DeleteSong(0, -1, u"0"_s); }, player_texts::kSongOutOfRange},
        {[&] { device->SwapSong(0, 0, 2, u"0"_s); }, player_texts::kSongOutOfRange},
        {[&] { device->DeleteFolder(1, u"0"_s); }, player_texts::kFolderOutOfRange},
        {[&] { device->Songs(1, 0); }, player_texts::kNoCard},
        {[&] { device->AvailableMemory(u"2"_s); }, player_texts::kBadMemory},
        {[&] { device->AddFolder(u"  "_s, u"0"_s); }, player_texts::kEmptyFolderName},
        {[&] { device->AddFolder(u"F"_s, u"0"_s); }, storage_texts::kFolderExists + u"F"_s},
        {[&] { device->Open(); }, player_texts::kAlreadyOpen},
        {[&] { closed.Folders(0); }, player_texts::kNotOpen},
        {[&] { closed.Open(); }, player_texts::kInUse},
        {[&] { closed.FontName(u"MS UI Gothic"_s); }, player_texts::kNotOpen},
        {[&] { missing.Open(); }, player_texts::kNotConnected},
    };
    const QStringList files = namesIn(volume() + u"/f"_s);
    for (const auto& [call, description] : calls) {
        EXPECT_EQ(refusal(call), description);
        EXPECT_EQ(namesIn(volume() + u"/f"_s), files);
        EXPECT_EQ(readFile(got), "before");
        EXPECT_EQ(namesIn(dir.path()), (QStringList{u"computer"_s, u"fat"_s, u"got.mp3"_s, u"volume"_s}));
    }
    EXPECT_EQ(device->ExtFlash(), 0);
    device->GetSong(0, 1, got, u"0"_s);
    EXPECT_EQ(readFile(got), readFile(volume() + u"/f/02 s2.mp3"_s));
}

// Names from a caller or from the volume never lead outside the audio folder: unsafe characters become "_",
// links on the volume are not followed, and what lies outside is never listed, changed or removed.
TEST_F(StorageTest, NamesCannotEscapeTheAudioFolder) {
    const QString outside = writeFile(dir.path() + u"/outside/keep.mp3"_s, "keep");
    const StorageMemory memory{.audioFolder = volume() + u"/MUSIC"_s,
                               .playlistFolder = volume() + u"/PLAYLISTS"_s};
    writeFile(volume() + u"/PLAYLISTS/other.txt"_s, "mine");
    writeFile(volume() + u"/MUSIC/.rockbox/config"_s, "player's");
    writeFile(volume() + u"/MUSIC/notes.txt"_s, "mine");
    const auto device = player(SongOrder::Playlist, {}, memory);
    for (const QString& name : {u"../evil"_s, u".."_s, u"/tmp"_s, u"a/../../b"_s})
        device->AddFolder(name, u"0"_s);
    ASSERT_EQ(::symlink(NativePath(dir.path() + u"/outside"_s).c_str(),
                        NativePath(volume() + u"/MUSIC/link"_s).c_str()),
              0);
    ASSERT_EQ(
        ::symlink(NativePath(outside).c_str(), NativePath(volume() + u"/MUSIC/_._evil/link.mp3"_s).c_str()),
        0);
    std::vector<QString> folders;
    for (const DeviceFolder& folder : device->Folders(0))
        folders.push_back(folder.name);
    EXPECT_EQ(folders, (std::vector<QString>{u"a_.._.._b"_s, u"_"_s, u"_._evil"_s, u"_tmp"_s}));
    device->AddSong(2, u"../../../x"_s, source(u"s.mp3"_s), u"0"_s);
    EXPECT_EQ(songsOf(*device, 2), u"_._.._.._x"_s);
    EXPECT_EQ(readFile(volume() + u"/PLAYLISTS/_._evil.m3u8"_s),
              "#EXTM3U\r\n../MUSIC/_._evil/_._.._.._x.mp3\r\n");
    // A link is no song of the player's, whatever its name: it stays, and so does its folder.
    device->DeleteFolder(2, u"0"_s);
    EXPECT_EQ(device->FilesKept(), 1);
    device->Format(u"0"_s);
    EXPECT_EQ(device->FilesKept(), 1);
    EXPECT_EQ(namesIn(volume() + u"/MUSIC"_s),
              (QStringList{u".rockbox"_s, u"_._evil"_s, u"link"_s, u"notes.txt"_s}));
    EXPECT_EQ(namesIn(volume() + u"/MUSIC/_._evil"_s), QStringList{u"link.mp3"_s});
    EXPECT_EQ(namesIn(volume() + u"/PLAYLISTS"_s), QStringList{u"other.txt"_s});
    EXPECT_EQ(readFile(outside), "keep");
}

// Every file under `folder`, by its path there, and whether each still holds its path as its bytes.
QStringList filesUnder(const QString& folder, const QString& inside = {}) {
    QStringList files;
    for (const VolumeEntry& entry : listEntries(openFolder(folder + u'/' + inside))) {
        const QString path = inside.isEmpty() ? entry.name : inside + u'/' + entry.name;
        if (entry.kind == VolumeEntry::Kind::Folder)
            files << filesUnder(folder, path);
        else
            files << (readFile(folder + u'/' + path) == path.toUtf8() ? path : path + u" (changed)"_s);
    }
    files.sort();
    return files;
}

// Removing a folder or formatting takes the songs the pane shows and what Tunedeck keeps beside them (the
// folder's playlist, what a crash left), and a folder once nothing else is in it: every other file stays as
// it was, with the folders that hold it, and the player tells how many it kept. On a volume that does not
// say where its songs are, as any USB stick, a folder of documents is no player folder at all.
TEST_F(StorageTest, RemovalsTakeSongsOnly) {
    const QStringList documents{u"Documents/Tax2025/return.pdf"_s, u"Documents/report.txt"_s};
    const QStringList ours{u"Album/.tunedeck-part-1"_s, u"Album/Album.m3u8"_s, u"Album/s.mp3"_s};
    const QStringList others = documents + QStringList{u"Album/sub/notes.txt"_s, u"Photos/a.jpg"_s};
    struct Row {
        bool marked;  // the volume has an .is_audio_player
        bool format;  // else the first folder is removed
        QStringList before, after;
        int kept;
        QStringList left;
    };
    const QStringList shared{u"Album"_s, u"Empty"_s, u"Photos"_s},
        all{u"Album"_s, u"Documents"_s, u"Empty"_s, u"Photos"_s};
    const Row rows[] = {
        {false, false, shared, {u"Empty"_s, u"Photos"_s}, 1, others + QStringList{u"Photos/holiday.mp3"_s}},
        {false, true, shared, {}, 2, others},
        {true, false, all, all, 1, others + QStringList{u"Photos/holiday.mp3"_s}},
        {true, true, all, {u"Album"_s, u"Documents"_s, u"Photos"_s}, 4, others},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.marked ? "marked" : "shared") + (row.format ? " format" : " remove"));
        for (const QString& name : namesIn(volume()))
            removeEntry(openFolder(volume()), name);
        for (const QString& file : others + ours + QStringList{u"Photos/holiday.mp3"_s})
            writeFile(volume() + u'/' + file, file.toUtf8());
        QDir(volume()).mkdir(u"Empty"_s);
        if (row.marked)
            writeFile(volume() + u"/.is_audio_player"_s, ".is_audio_player");
        MassStoragePlayer device(folderLocator(volume()));
        device.Open();
        const auto folders = [&] {
            QStringList names;
            for (const DeviceFolder& folder : device.Folders(0))
                names << folder.name;
            return names;
        };
        EXPECT_EQ(folders(), row.before);
        if (row.format)
            device.Format(u"0"_s);
        else
            device.DeleteFolder(0, u"0"_s);
        EXPECT_EQ(device.FilesKept(), row.kept);
        EXPECT_EQ(folders(), row.after);
        QStringList left = row.left;
        if (row.marked)
            left << u".is_audio_player"_s;
        left.sort();
        EXPECT_EQ(filesUnder(volume()), left);
    }
    // A folder being removed is hidden first; what a crash leaves of it is finished at the next Open.
    for (const QString& name : namesIn(volume()))
        removeEntry(openFolder(volume()), name);
    for (const QString& file : {u".tunedeck-removing.Album/s.mp3"_s, u".tunedeck-removing.Album/notes.txt"_s,
                                u".tunedeck-removing.Photos/a.mp3"_s})
        writeFile(volume() + u'/' + file, file.toUtf8());
    MassStoragePlayer(folderLocator(volume())).Open();
    EXPECT_EQ(namesIn(volume()), QStringList{u"Album"_s});
    EXPECT_EQ(namesIn(volume() + u"/Album"_s), QStringList{u"notes.txt"_s});
}

// A name is cut to what the file system keeps, in its own unit (bytes on ext4, UTF-16 units on FAT), never
// inside a character: a title of 84 Japanese characters is sent, and songs of 83 that another program copied
// there are numbered and swapped all the same, each keeping the start of its title.
TEST_F(StorageTest, LongTitlesFitTheFileSystem) {
    const QString title = QString(84, u'曲');
    const auto long83 = [](int k) { return QString(82, u'曲') + QChar(u'あ' + k); };
    QDir(volume()).mkdir(u"f"_s);
    for (int k = 0; k < 17; ++k)
        writeFile(volume() + u"/f/"_s + long83(k) + u".mp3"_s, QByteArray::number(k));
    const auto device = player(SongOrder::Name, {}, {.audioFolder = volume()});
    device->AddSong(0, title, source(u"s.mp3"_s), u"0"_s);
    device->SwapSong(0, 0, 17, u"0"_s);
    const std::vector<DeviceSong> songs = device->Songs(0, 0);
    ASSERT_EQ(songs.size(), 18u);
    EXPECT_TRUE(title.startsWith(songs[0].name)) << songs[0].name.toStdString();
    EXPECT_TRUE(long83(0).startsWith(songs[17].name)) << songs[17].name.toStdString();
    for (int k = 1; k < 17; ++k)
        EXPECT_TRUE(long83(k).startsWith(songs[k].name)) << k;
    const long most = ::pathconf(NativePath(volume()).c_str(), _PC_NAME_MAX);
    for (const QString& name : namesIn(volume() + u"/f"_s))
        EXPECT_LE(onFat(volume()) ? name.size() : pathBytes(name).size(), onFat(volume()) ? 255 : most)
            << name.toStdString();
}

// A swap that fails on the device names the song it was moving, never a hidden name of ours, and is undone.
TEST_F(StorageTest, AFailedSwapNamesTheSong) {
    withSongs(SongOrder::Name, 2);
    const QString blocker = volume() + u"/f/02 s1.mp3"_s;
    int steps = 0;
    EXPECT_EQ(refusal([&] {
                  player(SongOrder::Name, [&] {
                      if (++steps == 3)  // the first song is hidden, the second has its number
                          QDir().mkdir(blocker);
                  })->SwapSong(0, 0, 1, u"0"_s);
              }),
              player_texts::kStoreUnwritable + u"02 s1.mp3"_s);
    QDir().rmdir(blocker);
    EXPECT_EQ(namesIn(volume() + u"/f"_s), (QStringList{u"01 s1.mp3"_s, u"02 s2.mp3"_s}));
}

// Each song is known by its directory entry, so that two of one title and size are told apart, also once
// another program has swapped them.
TEST_F(StorageTest, SongsOfOneTitleAreToldApart) {
    const auto device = player(SongOrder::Name);
    device->AddFolder(u"f"_s, u"0"_s);
    for (const char* bytes : {"aaaa", "bbbb"})
        device->AddSong(0, u"x"_s, writeFile(dir.path() + u"/x.mp3"_s, bytes), u"0"_s);
    const std::vector<DeviceSong> before = device->Songs(0, 0);
    EXPECT_EQ(before[0].name, before[1].name);
    EXPECT_NE(before[0].identity, before[1].identity);
    device->SwapSong(0, 0, 1, u"0"_s);
    const std::vector<DeviceSong> after = device->Songs(0, 0);
    EXPECT_EQ(after[0].identity, before[1].identity);
    EXPECT_EQ(after[1].identity, before[0].identity);
}

// A number swap that an earlier version journaled and a crash stopped, after any of its three renames: the
// next Open finishes it. A journal naming a song without a number is dropped, and the songs stay.
TEST_F(StorageTest, AnEarlierVersionsStoppedSwapIsFinished) {
    const struct {
        QStringList files, journal, after;
    } cases[] = {
        {{u"01 a.mp3"_s, u"02 b.mp3"_s}, {u"01 a.mp3"_s, u"02 b.mp3"_s}, {u"b"_s, u"a"_s}},
        {{kSwapHidden, u"02 b.mp3"_s}, {u"01 a.mp3"_s, u"02 b.mp3"_s}, {u"b"_s, u"a"_s}},
        {{kSwapHidden, u"01 b.mp3"_s}, {u"01 a.mp3"_s, u"02 b.mp3"_s}, {u"b"_s, u"a"_s}},
        {{u"01 b.mp3"_s, u"02 a.mp3"_s}, {u"01 a.mp3"_s, u"02 b.mp3"_s}, {u"b"_s, u"a"_s}},
        {{u"01 a.mp3"_s, u"b.mp3"_s}, {u"01 a.mp3"_s, u"b.mp3"_s}, {u"a"_s, u"b"_s}},
    };
    for (const auto& [files, journal, after] : cases) {
        SCOPED_TRACE(files.join(u' ').toStdString());
        QDir(volume() + u"/f"_s).removeRecursively();
        for (const QString& name : files)
            writeFile(volume() + u"/f/"_s + name, name.toUtf8());
        writeFile(volume() + u"/f/"_s + kSwapJournal, (journal.join(QChar(0)) + QChar(0)).toUtf8());
        EXPECT_EQ(songsOf(*player(SongOrder::Name)), after.join(u','));
        EXPECT_TRUE(namesIn(volume() + u"/f"_s).filter(kOwnPrefix).isEmpty());
    }
}

// A full volume refuses a song before copying it; a read-only one says so.
TEST_F(StorageTest, AFullOrReadOnlyVolumeRefusesClearly) {
    const TmpfsMount tmpfs(volume(), "size=1m");
    if (!tmpfs.mounted)
        GTEST_SKIP() << "cannot mount a tmpfs here (not root?)";
    const auto device = withSongs(SongOrder::Directory, 1);
    EXPECT_EQ(refusal([&] { device->AddSong(0, u"big"_s, source(u"big.mp3"_s, 2 << 20), u"0"_s); }),
              player_texts::kMemoryFull);
    EXPECT_EQ(namesIn(volume() + u"/f"_s), QStringList{u"s1.mp3"_s});
    EXPECT_LT(device->AvailableMemory(u"0"_s), 1 << 20);
    ASSERT_TRUE(tmpfs.readOnly());
    for (const auto& call : std::vector<std::function<void()>>{
             [&] { device->AddSong(0, u"t"_s, source(u"t.mp3"_s), u"0"_s); },
             [&] { device->DeleteSong(0, 0, u"0"_s); }, [&] { device->AddFolder(u"g"_s, u"0"_s); }})
        EXPECT_EQ(refusal(call), storage_texts::kReadOnly);
    device->Close();
    EXPECT_EQ(songsOf(*player()), u"s1"_s) << "a read-only volume still opens and reads";
}

// A real exFAT (SDXC cards), through the FUSE driver: every operation as on a plain folder. Its listing order
// is not the order on the disk, so no order is claimed.
TEST_F(StorageTest, OnARealExfat) {
    const QString image = dir.path() + u"/exfat.img"_s, mountPoint = volume() + u"/card"_s;
    QDir().mkpath(mountPoint);
    ASSERT_EQ(::truncate(NativePath(writeFile(image, {})).c_str(), 64 << 20), 0);
    if (run(u"mkfs.exfat"_s, {image}).first != 0)
        GTEST_SKIP() << "no mkfs.exfat";
    const auto [attached, loopOut] = run(u"losetup"_s, {u"-f"_s, u"--show"_s, image});
    if (attached != 0)
        GTEST_SKIP() << "no loop device: " << loopOut.toStdString();
    const QString loop = loopOut.trimmed();
    const auto detach = qScopeGuard([&] { run(u"losetup"_s, {u"-d"_s, loop}); });
    const auto [mounted, mountOut] = run(u"mount.exfat-fuse"_s, {loop, mountPoint});
    if (mounted != 0)
        GTEST_SKIP() << "no FUSE exFAT: " << mountOut.toStdString();
    const auto unmount = qScopeGuard([&] { run(u"umount"_s, {mountPoint}); });
    const auto device = player(SongOrder::Playlist, {}, {.audioFolder = mountPoint});
    const qint64 free = device->AvailableMemory(u"0"_s);
    const std::pair<std::function<void()>, QString> steps[] = {
        {[&] { device->AddFolder(u"音楽"_s, u"0"_s); }, u""_s},
        {[&] { device->AddSong(0, u"what?"_s, source(u"a.mp3"_s, 300'000), u"0"_s); }, u"what_"_s},
        {[&] { device->AddSong(0, u"日本語"_s, source(u"b.mp3"_s), u"0"_s); }, u"what_,日本語"_s},
        {[&] { device->AddSong(0, u"WHAT?"_s, source(u"c.mp3"_s), u"0"_s); }, u"what_,日本語,WHAT_ (2)"_s},
        {[&] { device->SwapSong(0, 0, 2, u"0"_s); }, u"WHAT_ (2),日本語,what_"_s},
        {[&] { device->GetSong(0, 2, dir.path() + u"/got.mp3"_s, u"0"_s); }, u"WHAT_ (2),日本語,what_"_s},
        {[&] { device->DeleteSong(0, 1, u"0"_s); }, u"WHAT_ (2),what_"_s},
        {[&] { device->AddFolder(u"音楽"_s, u"0"_s); }, u"WHAT_ (2),what_"_s},
    };
    for (const auto& [step, songs] : steps) {
        refusal(step);
        EXPECT_EQ(songs.isEmpty() ? QString() : songsOf(*device), songs);
    }
    EXPECT_EQ(readFile(dir.path() + u"/got.mp3"_s), readFile(dir.path() + u"/computer/a.mp3"_s));
    EXPECT_LT(device->AvailableMemory(u"0"_s), free - 300'000);
    device->ChooseSongOrder(SongOrder::Name);  // numbers the songs in the order they play, then swaps
    device->SwapSong(0, 0, 1, u"0"_s);
    EXPECT_EQ(songsOf(*device), u"what_,WHAT_ (2)"_s);
    device->ChooseSongOrder(SongOrder::Directory);
    device->SwapSong(0, 0, 1, u"0"_s);
    EXPECT_EQ(device->Songs(0, 0).size(), 2u);
    device->Format(u"0"_s);
    EXPECT_TRUE(device->Folders(0).empty());
    device->Close();
    EXPECT_EQ(run(u"umount"_s, {mountPoint}).first, 0);
    EXPECT_EQ(run(u"fsck.exfat"_s, {u"-n"_s, loop}).first, 0) << "the file system stays clean";
}

// What fatSafeName makes of awkward titles, mcopy writes to a FAT16 image unchanged; two names that differ
// only in case are one name there, hence " (2)".
TEST(StorageFat, SafeNamesAreWhatFatKeeps) {
    const TemporaryFolder dir;
    const QString image = dir.path() + u"/fat16.img"_s, file = writeFile(dir.path() + u"/s.mp3"_s, "mp3");
    if (run(u"mkfs.fat"_s, {u"-C"_s, u"-F"_s, u"16"_s, image, u"32768"_s}).first != 0 ||
        run(u"mdir"_s, {u"-i"_s, image, u"::"_s}).first != 0)
        GTEST_SKIP() << "no mtools or dosfstools";
    const QString emoji = u"😀"_s;
    const QStringList titles{u"a:b*c?d\"e<f>g|h\\i/j"_s,
                             u"trailing. . "_s,
                             QString(300, u'x'),
                             u"日本語のタイトル　２"_s,
                             QString(249, u'日') + emoji,
                             QString(250, u'y') + emoji,
                             u"Case Song"_s,
                             u"semi;comma,[b]+="_s};
    QStringList written;
    for (const QString& title : titles) {
        const QString name = freeFatName(title, u".mp3"_s, written);
        EXPECT_LE(name.size(), kFatNameUnits);
        EXPECT_FALSE(QChar::isHighSurrogate(name[name.size() - 5].unicode()));
        if (name.contains(emoji))
            continue;  // mtools 4.0.32 drops characters beyond the BMP; the kernel's vfat keeps them
        EXPECT_EQ(run(u"mcopy"_s, {u"-i"_s, image, file, u"::"_s + name}).first, 0) << name.toStdString();
        written << name;
    }
    const QString clash = freeFatName(u"case song"_s, u".mp3"_s, written);
    EXPECT_EQ(clash, u"case song (2).mp3"_s);
    EXPECT_NE(run(u"mcopy"_s, {u"-D"_s, u"s"_s, u"-i"_s, image, file, u"::case song.mp3"_s}).first, 0)
        << "FAT took a name equal to one there but for case";
    EXPECT_EQ(run(u"mcopy"_s, {u"-i"_s, image, file, u"::"_s + clash}).first, 0);
    written << clash;
    QStringList listed =
        run(u"mdir"_s, {u"-b"_s, u"-i"_s, image, u"::"_s}).second.split(u'\n', Qt::SkipEmptyParts);
    for (QString& name : listed)
        name.remove(0, 3);  // "::/"
    listed.sort();
    written.sort();
    EXPECT_EQ(listed, written);
}

// Two programs on one player take turns: one that opens it while a run holds it gets it at the run's next
// Close, before the run opens it again. They wait in line off the volume, which the wait leaves as it was,
// and the line goes with the last one in it.
TEST_F(StorageTest, AProgramThatWaitsGoesBeforeARunsNextSong) {
    const auto run = withSongs(SongOrder::Directory, 1);
    const QStringList before = namesIn(volume());
    std::atomic<bool> listed = false;
    std::thread other([&] {
        EXPECT_NO_THROW({
            const auto reader = player();
            EXPECT_EQ(songsOf(*reader), u"s1"_s);
            listed = true;
            reader->Close();
        });
    });
    const QString line = sharedLineFor(openFolder(volume()).get());
    EXPECT_TRUE(eventually([&] { return someoneInLine(line); }));
    run->Close();
    run->Open();
    EXPECT_TRUE(listed) << "the run took the player again before the program waiting";
    run->Close();
    other.join();
    EXPECT_EQ(namesIn(volume()), before);
    EXPECT_FALSE(QFile::exists(line)) << "the line left behind";
}

// tunedeck-player on a folder given as its player: transfers and ls act on that volume, the commands of the
// emulated player are refused, and a folder that is not there is a player that is not connected.
TEST_F(StorageTest, TunedeckPlayerActsOnTheFolderItIsGiven) {
    writeFile(volume() + u"/.is_audio_player"_s, "audio_folders=MUSIC\nsong_order=name\n");
    QDir(volume()).mkpath(u"MUSIC/Pop"_s);
    writeFile(volume() + u"/MUSIC/Pop/notes.txt"_s, "notes");
    const QString program = QStringLiteral(TUNEDECK_BIN_DIR "/tunedeck-player");
    const auto player = [&](const QStringList& arguments) {
        return run(program, QStringList{u"--player"_s, volume()} + arguments);
    };
    const struct {
        QStringList arguments;
        int status;
        QString output;
    } steps[] = {
        {{u"mkdir"_s, u"Rock"_s}, 0, u""_s},
        {{u"--folder"_s, u"1"_s, u"send"_s, source(u"a.mp3"_s), source(u"b.mp3"_s)},
         0,
         u"2 of 2 files sent\n"_s},
        {{u"--folder"_s, u"1"_s, u"swap"_s, u"0"_s, u"1"_s}, 0, u""_s},
        {{u"ls"_s},
         0,
         u"  folder 0: Pop\n  folder 1: Rock\n    song 0: b (3000 bytes)\n    song 1: a (3000 bytes)\n"
         u"memory 1 (card): absent\n"_s},
        {{u"status"_s}, 2, u"tunedeck-player: status acts on the emulated player only\n"_s},
        {{u"--memory"_s, u"1"_s, u"mkdir"_s, u"x"_s},
         1,
         u"tunedeck-player: "_s + player_texts::kNoCard + u'\n'},
        {{u"--memory"_s, u"1"_s, u"format"_s}, 1, u"tunedeck-player: "_s + player_texts::kNoCard + u'\n'},
        {{u"rmdir"_s, u"0"_s}, 0, u"1 files kept that are not songs\n"_s},
    };
    for (const auto& step : steps) {
        const auto [status, output] = player(step.arguments);
        EXPECT_EQ(status, step.status) << step.arguments.join(u' ').toStdString() << output.toStdString();
        EXPECT_TRUE(step.output.isEmpty() ? output.isEmpty() : output.endsWith(step.output))
            << output.toStdString();
    }
    EXPECT_EQ(namesIn(volume() + u"/MUSIC/Rock"_s), (QStringList{u"01 b.mp3"_s, u"02 a.mp3"_s}));
    EXPECT_EQ(namesIn(volume() + u"/MUSIC/Pop"_s), QStringList{u"notes.txt"_s});
    const auto [status, output] = run(program, {u"--player"_s, volume() + u"/gone"_s, u"ls"_s});
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(output.endsWith(u"tunedeck-player: "_s + player_texts::kNotConnected + u'\n'))
        << output.toStdString();
}

}  // namespace
}  // namespace tunedeck::testing
