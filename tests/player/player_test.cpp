// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulated_kind.h"
#include "emulated_player.h"
#include "file_size_limit.h"
#include "music_files.h"
#include "player_command.h"
#include "player_texts.h"
#include "program_folder.h"
#include "qt_printers.h"
#include "shelf_kind.h"
#include "system_players.h"
#include "turn_probes.h"

#include <QDirIterator>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gmock/gmock.h>

#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <random>
#include <thread>

using namespace Qt::StringLiterals;

namespace tunedeck::testing {
namespace {

using namespace player_texts;

// `size` bytes that differ from position to position and from seed to seed, so a song mixed up with another
// or shifted by a chunk shows.
QByteArray songBytes(qint64 size, int seed) {
    QList<quint32> words((size + 3) / 4);
    QRandomGenerator(seed).fillRange(words.data(), words.size());
    return QByteArray(reinterpret_cast<const char*>(words.constData()), size);
}

// Every file under `folder` by path relative to it, with its bytes; but the lock and the line, which only say
// who holds the store and who waits for it.
QMap<QString, QByteArray> storeFiles(const QString& folder) {
    QMap<QString, QByteArray> files;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
        if (const QString path = it.next(); !path.endsWith(u"/lock"_s) && !path.endsWith(u"/line"_s))
            files.insert(path.mid(folder.size() + 1), readFile(path));
    return files;
}

// A call refused with a description that starts with `description` (whole, but for the ones that name a
// path), of the kind given.
auto refused(const QString& description, DeviceError::Kind kind = DeviceError::Kind::Refused) {
    using namespace ::testing;
    return Throws<DeviceError>(AllOf(Property(&DeviceError::what, StartsWith(description.toStdString())),
                                     Property(&DeviceError::kind, kind)));
}

// Asks the transfer to stop at its `call`th report.
TransferProgress stopAt(int call) {
    return [calls = 0, call](qint64, qint64) mutable { return ++calls < call; };
}

// The name of the journal that goes with the catalogue `catalogueJson` of memory 0.
QString journalOf(const QByteArray& catalogueJson) {
    return u"memory0.%1.journal"_s.arg(catalogueFromJson(catalogueJson, {}).generation);
}

// A temporary folder holding a store folder and the files to send.
class PlayerTest : public ::testing::Test {
  protected:
    QString root() const { return dir_.path(); }
    QString storePath() const { return dir_.path() + QStringLiteral("/store"); }
    // The command line on the test's store: its exit status, standard output and standard error.
    std::tuple<int, QString, QString> run(const QStringList& arguments,
                                          const PlayerCommandSetting& setting = {}) const {
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        return {runPlayerCommand(QStringList{u"--store"_s, storePath()} + arguments, setting, outStream,
                                 errStream),
                out, err};
    }
    QString out(const QStringList& arguments) const { return std::get<1>(run(arguments)); }

    QTemporaryDir dir_;
};

// Every call but Open and Close is refused on a closed device (a bad memory first); on an open one, each
// refusal says why and changes nothing, on the player nor beside it; so does a transfer asked to stop, after
// its first chunk or while the link's speed (1 KB/s) holds it back. Song 0's data has grown; the card has
// 100 bytes free. One bracket at a time, across instances: Open waits a while for the other's Close.
TEST_F(PlayerTest, RefusalsSayWhyAndChangeNothing) {
    EmulatedPlayer player(storePath()), other(storePath());
    player.Open();
    player.AddSong(0, u"grown"_s, writeFile(root() + u"/0"_s, songBytes(100, 0)), u"0"_s, {});
    const QString grown = QDir(storePath() + u"/data"_s).entryList(QDir::Files).at(0);
    player.AddSong(0, u"whole"_s, writeFile(root() + u"/1"_s, songBytes(100, 1)), u"0"_s, {});
    player.AddFolder(u"card"_s, u"1"_s);
    QFile(writeFile(root() + u"/full"_s, {})).resize(32 * 1024 * 1024 - 100);
    player.AddSong(0, u"full"_s, root() + u"/full"_s, u"1"_s, {});
    player.Close();
    ASSERT_TRUE(QFile(storePath() + u"/data/"_s + grown).resize(140));
    ASSERT_EQ(std::get<0>(run({u"set-speed"_s, u"1"_s})), 0);
    const QString source = writeFile(root() + u"/101"_s, songBytes(101, 2));
    const QString big = writeFile(root() + u"/big"_s, songBytes(200 * 1024, 3));
    // Room for the song's data but not for its journal line.
    const QString journal = storePath() + u'/' + journalOf(readFile(storePath() + u"/memory0.json"_s));
    const rlim_t journalLimit = QFileInfo(journal).size() + 150;
    ASSERT_EQ(::mkfifo(QFile::encodeName(root() + u"/pipe"_s).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(storePath() + u"/memory0.json"_s, root() + u"/link"_s));
    // Each call and its refusal on the open device.
    const std::pair<std::function<void()>, QString> calls[] = {
        {[&] { player.AvailableMemory(u"2"_s); }, kBadMemory},
        {[&] { player.Folders(-1); }, kBadMemory},
        {[&] { player.Songs(0, 1); }, kFolderOutOfRange},
        {[&] { player.DeleteFolder(-1, u"0"_s); }, kFolderOutOfRange},
        {[&] { player.AddSong(1, u"x"_s, source, u"0"_s, {}); }, kFolderOutOfRange},
        {[&] { player.AddSong(0, u"x"_s, source, u"1"_s, {}); }, kMemoryFull},
        // A /proc file says it is empty and outgrows the free memory only while it is copied.
        {[&] { player.AddSong(0, u"x"_s, u"/proc/self/status"_s, u"1"_s, {}); }, kMemoryFull},
        {[&] { player.AddSong(0, u"x"_s, root() + u"/pipe"_s, u"0"_s, {}); }, kUnreadableSource},
        {[&] { player.AddFolder({}, u"0"_s); }, kEmptyFolderName},
        {[&] { player.DeleteSong(0, -1, u"0"_s); }, kSongOutOfRange},
        {[&] { player.SwapSong(0, 1, 2, u"0"_s); }, kSongOutOfRange},
        {[&] { player.SwapSong(0, 2, 1, u"0"_s); }, kSongOutOfRange},
        {[&] { player.GetSong(0, 2, root() + u"/o"_s, u"0"_s, {}); }, kSongOutOfRange},
        {[&] { player.GetSong(0, 0, root() + u"/o"_s, u"0"_s, {}); }, kStoreDamaged + grown},
        {[&] { player.GetSong(0, 1, root(), u"0"_s, {}); }, kUnwritableTarget},
        {[&] { player.GetSong(0, 1, storePath() + u"/data/o"_s, u"0"_s, {}); }, kUnwritableTarget},
        {[&] { player.GetSong(0, 1, root() + u"/link"_s, u"0"_s, {}); }, kUnwritableTarget},
        {[&] { player.AddSong(0, u"x"_s, big, u"0"_s, stopAt(1)); }, kCancelled},
        {[&] { player.AddSong(0, u"x"_s, source, u"0"_s, stopAt(2)); }, kCancelled},
        {[&] { player.GetSong(0, 1, source, u"0"_s, stopAt(1)); }, kCancelled},
        {[&] { player.GetSong(0, 1, source, u"0"_s, stopAt(2)); }, kCancelled},
        // A disk that cuts a write short: the journal line naming a new song, a download.
        {[&] { withFileSizeLimit(journalLimit, [&] { player.AddSong(0, u"x"_s, source, u"0"_s, {}); }); },
         kStoreUnwritable},
        {[&] { withFileSizeLimit(50, [&] { player.GetSong(0, 1, root() + u"/o"_s, u"0"_s, {}); }); },
         kUnwritableTarget}};
    const auto before = storeFiles(root());
    for (size_t i = 0; i < std::size(calls); ++i) {
        SCOPED_TRACE(i);
        const auto& [call, refusal] = calls[i];
        EXPECT_THAT(call, refused(refusal == kBadMemory ? kBadMemory : kNotOpen));
        inBracket(player, [&] { EXPECT_THAT(call, refused(refusal)); });
        EXPECT_TRUE(storeFiles(root()) == before) << "a file changed, was left or went";
    }
    player.Open();
    player.AddSong(0, u"fits exactly"_s, root() + u"/1"_s, u"1"_s, {});  // the card's last 100 bytes
    EXPECT_THAT([&] { player.Open(); }, refused(kAlreadyOpen));
    EXPECT_THAT([&] { other.Open(); }, refused(kInUse, DeviceError::Kind::InUse));
    auto opened = std::async(std::launch::async, [&] { other.Open(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    player.Close();
    EXPECT_NO_THROW(opened.get()) << "the other's Close not waited for";
    other.Close();

    // A font refused on a closed device draws no song.
    EXPECT_THAT([&] { other.FontName(u"IPAPMincho"_s); }, refused(kNotOpen));
    EXPECT_THAT([&] { other.FontSize(30); }, refused(kNotOpen));
    // A lock file left empty, by a process killed between creating it and writing its id, is taken over; but
    // not while its maker, alive, holds the file's native lock, about to write.
    QFile maker(writeFile(storePath() + u"/lock"_s, {}));
    ASSERT_TRUE(maker.open(QIODevice::ReadOnly) && ::flock(maker.handle(), LOCK_EX | LOCK_NB) == 0);
    EXPECT_THAT([&] { other.Open(); }, refused(kInUse, DeviceError::Kind::InUse));
    maker.close();
    inBracket(other, [&] { other.AddSong(0, u"drawn"_s, source, u"0"_s, {}); });
    run({u"export-display"_s, root() + u"/display"_s});
    EXPECT_TRUE(readFile(root() + u"/display/m0-f00-s002.png"_s) == renderDisplay(u"drawn"_s, {}));
}

// Folders and songs added, swapped and deleted in both memories are kept across brackets, and ls shows them
// with the memory they use and leave free; a format erases one memory only, and the data of every song
// gone. Names are data: one that looks like a path reaches no file, and ls prints each on one line with its
// control characters escaped, so a title cannot clear the terminal or start a line of its own. What the
// command changes, the device finds, and it leaves the store alone while the device holds it.
TEST_F(PlayerTest, ChangesReachTheStoreAndLsShowsThem) {
    const QString odd = u"../x\0名前 😀\x1b[2J\a"_s, lines = u"a\nb\t\\\r\u0085\x7f"_s;
    EmulatedPlayer player(storePath());
    player.Open();
    player.AddFolder(u"gone"_s, u"0"_s);
    player.FontName(u"ＭＳ Ｐ明朝"_s);
    player.FontSize(8);
    player.AddFolder(odd, u"0"_s);
    player.DeleteFolder(1, u"0"_s);
    player.FontSize(24);
    for (const QString& title : {odd, u"b"_s, u"c"_s, lines})
        player.AddSong(1, title, writeFile(root() + u"/s"_s, songBytes(title.size(), 0)), u"0"_s, {});
    player.SwapSong(1, 0, 3, u"0"_s);
    // Songs 2 and 3 as the window deletes them: the second deletion finds the third moved up by one.
    player.DeleteSong(1, 1, u"0"_s);
    player.DeleteSong(1, 1, u"0"_s);
    player.AddFolder(u"card"_s, u"1"_s);
    player.AddSong(0, u"e"_s, root() + u"/s"_s, u"1"_s, {});
    player.Format(u"1"_s);
    player.AddFolder(u"c"_s, u"1"_s);
    player.Close();
    EXPECT_EQ(out({u"ls"_s}),
              u"memory 0 (internal): 23 bytes used, 67108841 bytes free\n"
              u"  folder 0: MUSIC\n"
              u"  folder 1: ../x\\x00名前 😀\\x1b[2J\\x07\n"
              u"    song 0: a\\nb\\t\\\\\\r\\x85\\x7f (8 bytes)\n"
              u"    song 1: ../x\\x00名前 😀\\x1b[2J\\x07 (15 bytes)\n"
              u"memory 1 (card): 0 bytes used, 33554432 bytes free\n"
              u"  folder 0: c\n"_s);
    // The source, the store's state, its catalogues, and the data of two songs.
    EXPECT_EQ(storeFiles(root()).size(), 6) << "data of a song gone kept, or a file written by a name";
    // Each display bitmap as a 1-bit PNG named after where it belongs, drawn in the font named and sized just
    // before its folder or song was added; a fresh player's folder before any face was named.
    const QString display = root() + u"/display"_s;
    EXPECT_EQ(out({u"export-display"_s, display}), u"5 bitmaps written to "_s + display + u'\n');
    EXPECT_EQ(storeFiles(display),
              (QMap<QString, QByteArray>{{u"m0-f00.png"_s, renderDisplay(u"MUSIC"_s, {u"IPAPGothic"_s})},
                                         {u"m0-f01.png"_s, renderDisplay(odd, {u"IPAPMincho"_s, 8})},
                                         {u"m0-f01-s000.png"_s, renderDisplay(lines, {u"IPAPMincho"_s, 24})},
                                         {u"m0-f01-s001.png"_s, renderDisplay(odd, {u"IPAPMincho"_s, 24})},
                                         {u"m1-f00.png"_s, renderDisplay(u"c"_s, {u"IPAPMincho"_s, 24})}}));
    const QImage small(display + u"/m0-f01.png"_s), big(display + u"/m0-f01-s001.png"_s);
    EXPECT_TRUE(small.depth() == 1 && big.height() > small.height() && big.width() > small.width());

    const QString status = u"store: "_s + storePath() + u"\nconnected: %1\ncard: %2\nspeed: %3\n"_s;
    const QString emulated =
        u"emulated\n  kind: emulated\n  name: Rio500（エミュレーション）\n  memory 0: "_s;
    EXPECT_EQ(out({u"players"_s}), emulated + storePath() + u'\n');
    // A kind registered beside the emulated player: its players are listed, and worked on through it.
    const PlayerKinds kinds{emulatedKind(), shelfKind()};
    SystemPlayers found(kinds);
    const PlayerCommandSetting shelf{
        .programFolder = root(), .componentsFolder = componentsFolder(), .kinds = kinds, .players = &found};
    EXPECT_EQ(std::get<1>(run({u"players"_s}, shelf)),
              emulated + storePath() + u"\nshelf:1\n  kind: shelf\n  name: 棚プレーヤー\n"_s);
    EXPECT_EQ(run({u"mkdir"_s, u"棚"_s, u"--player"_s, u"shelf:cli"_s}, shelf), std::tuple(0, u""_s, u""_s));
    EXPECT_EQ(
        std::get<1>(run({u"ls"_s, u"--player"_s, u"shelf:cli"_s}, shelf)),
        u"memory 0 (internal): 0 bytes used, 1048576 bytes free\n  folder 0: 棚\nmemory 1 (card): absent\n"_s);
    EXPECT_EQ(out({u"set-speed"_s, u"250"_s}), status.arg(u"yes"_s, u"present"_s, u"250 KB/s"_s));
    EXPECT_EQ(out({u"set-speed"_s, u"0"_s}), status.arg(u"yes"_s, u"present"_s, u"unlimited"_s));
    EXPECT_EQ(out({u"disconnect"_s}), status.arg(u"no"_s, u"present"_s, u"unlimited"_s));
    EXPECT_THAT([&] { player.Open(); }, refused(kNotConnected, DeviceError::Kind::NotConnected));
    EXPECT_EQ(out({u"remove-card"_s}), status.arg(u"no"_s, u"absent"_s, u"unlimited"_s));
    EXPECT_EQ(out({u"connect"_s}), status.arg(u"yes"_s, u"absent"_s, u"unlimited"_s));
    EXPECT_TRUE(out({u"ls"_s}).endsWith(u"memory 1 (card): absent\n"_s));
    player.Open();
    EXPECT_EQ(player.ExtFlash(), 0);
    EXPECT_EQ(run({u"insert-card"_s}), std::tuple(1, u""_s, u"tunedeck-player: "_s + kInUse + u'\n'));
    player.Close();
    EXPECT_EQ(out({u"status"_s}), status.arg(u"yes"_s, u"absent"_s, u"unlimited"_s));
    EXPECT_EQ(out({u"insert-card"_s}), status.arg(u"yes"_s, u"present"_s, u"unlimited"_s));

    // What another instance adds (a journal line) and reorders (a new catalogue), this one finds.
    EmulatedPlayer second(storePath());
    inBracket(second, [&] { second.AddSong(1, u"e"_s, root() + u"/s"_s, u"0"_s, {}); });
    inBracket(player, [&] {
        EXPECT_EQ(player.Songs(0, 1).size(), 3u);
        EXPECT_EQ(player.AvailableMemory(u"0"_s), 67108841 - 8) << "the added song not counted";
    });
    inBracket(second, [&] { second.SwapSong(1, 0, 2, u"0"_s); });
    inBracket(player, [&] { EXPECT_EQ(player.Songs(0, 1).at(0).name, u"e"_s); });
}

// On a terminal a send shows each song as it starts and how far it is; an empty song has no share to show.
TEST_F(PlayerTest, ASendOnATerminalShowsEachSongAndHowFarItIs) {
    const auto [status, out, err] = run(
        {u"send"_s, writeFile(root() + u"/a.mp3"_s, songBytes(3000, 0)), writeFile(root() + u"/b.mp3"_s, {})},
        {.componentsFolder = componentsFolder(), .terminal = true});
    // The reports between a song's start and its end depend on the time it takes.
    EXPECT_EQ(std::pair(status, out), std::pair(0, u"2 of 2 files sent\n"_s));
    EXPECT_TRUE(err.startsWith(u"\n1/2 a.mp3\n\r0% of 2 KB"_s) &&
                err.endsWith(u"\r100% of 2 KB\n2/2 b.mp3\n"_s))
        << qPrintable(err);
}

// Windows' Japanese faces are not installed here: each draws as the IPA face of its kind, not a Latin
// fallback, and so does an empty name.
TEST(DisplayBitmap, WindowsFacesDrawInTheIpaFaceOfTheirKind) {
    const auto drawn = [](const QString& face) { return renderDisplay(u"MUSIC 曲"_s, {face, 24}); };
    EXPECT_TRUE(drawn(u"ms gothic"_s) == drawn(u"IPAGothic"_s) && drawn({}) == drawn(u"IPAPGothic"_s));
    EXPECT_NE(drawn(u"IPAGothic"_s), drawn(u"IPAPGothic"_s)) << "the faces draw alike, so none is checked";
    EXPECT_NE(renderDisplay(u"大"_s, {}), renderDisplay(u"小"_s, {})) << "no text drawn";
}

// A run lets the player go between two songs, and whoever waits meanwhile gets it then: while tunedeck-player
// sends 20 songs at 500 KB/s, every ls of this process gets a turn, and so does a second tunedeck-player's
// send: its songs go between the first one's. Both send every song, and the player keeps them all: two
// programs never hold it at once.
TEST_F(PlayerTest, OthersGetTheirTurnsBetweenTheSongsOfASend) {
    ASSERT_EQ(std::get<0>(run({u"set-speed"_s, u"500"_s})), 0);
    // tunedeck-player sending `count` songs of 75 KB, 150 ms each at that speed: the sends take longer than a
    // wait.
    const auto send = [&](QChar sender, int count) {
        QStringList arguments{u"--store"_s, storePath(), u"send"_s};
        for (int i = 0; i < count; ++i)
            arguments << writeFile(u"%1/%2%3.mp3"_s.arg(root()).arg(sender).arg(i, 2, 10, QChar(u'0')),
                                   songBytes(75'000, i));
        return std::async(std::launch::async,
                          [arguments] { return runProgram(builtProgram(u"tunedeck-player"_s), arguments); });
    };
    auto first = send(u'a', 20);
    // Its first song's data appears in the store as it is sent.
    ASSERT_TRUE(eventually([&] { return !QDir(storePath() + u"/data"_s).isEmpty(); }));
    auto second = send(u'b', 10);
    std::atomic<int> listed = 0;
    const auto read = [&] {
        for (; first.wait_for(std::chrono::seconds(0)) != std::future_status::ready; ++listed) {
            const auto [status, out, err] = run({u"ls"_s});
            ASSERT_EQ(status, 0) << qPrintable(err);
        }
    };
    auto reader = std::async(std::launch::async, read);
    read();
    reader.wait();
    for (auto [sent, count] : {std::pair{first.get(), 20}, {second.get(), 10}})
        EXPECT_EQ(sent.out, u"%1 of %1 files sent\n"_s.arg(count)) << qPrintable(sent.err);
    EXPECT_GT(listed, 0);
    // All kept, and the second send's songs did not wait for the first one's end.
    const QString kept = out({u"ls"_s});
    EXPECT_TRUE(kept.count(u": a"_s) == 20 && kept.count(u": b"_s) == 10 &&
                kept.indexOf(u": b"_s) < kept.lastIndexOf(u": a"_s))
        << qPrintable(kept);
}

// A transfer or format killed at any moment, in Open (the first one sets the store up) and Close too, leaves
// a store that opens (the dead process's lock is taken over, even one it left empty) naming only whole songs,
// with the catalogue and the download target from before or after the operation; data no catalogue names and
// the temporary files of writes cut short are swept. The child sends, downloads, deletes, reorders and
// formats, each in a bracket of its own, until SIGALRM ends it: from a timer, wherever it is then, or in
// three runs of eight at a crash point: the moment a song's data is in the store and nothing names it yet,
// the moment its journal line is written, and the moment a new catalogue is in place beside the journal it
// replaces. Sends add journal lines, which the catalogue takes in as the journal outgrows it. Before each
// operation the child writes the state before it and the state it expects after. A torn journal line, which
// a kill in the middle of its write would leave, is added after each kill and must be cut off: else the
// next line would be joined to it and the memory damaged. TUNEDECK_CRASH_SEED repeats a failed run's
// operations and delays.
TEST_F(PlayerTest, KilledTransfersLeaveTheStoreBeforeOrAfterTheOperation) {
    const QByteArray given = qgetenv("TUNEDECK_CRASH_SEED");
    const unsigned seed = given.isEmpty() ? std::random_device{}() : given.toUInt();
    SCOPED_TRACE("TUNEDECK_CRASH_SEED=" + std::to_string(seed));
    std::mt19937 draw(seed);
    // The sources: one song copied in a single read and two in several, which a kill can cut; and the
    // download target's first bytes.
    const QList<QByteArray> bytes{songBytes(700, 0), songBytes(1024 * 1024 + 5, 1),
                                  songBytes(8 * 1024 * 1024, 2), songBytes(5000, 9)};
    for (int i = 0; i < 4; ++i)
        writeFile(root() + u'/' + QString::number(i), bytes[i]);
    const QString target = root() + u"/3"_s;  // the download target
    QFile log(root() + u"/log"_s);
    ASSERT_TRUE(log.open(QIODevice::Append | QIODevice::Unbuffered));
    // The internal memory's folder, its songs by name ("<source>-<run>-<serial>"), and which of `bytes` the
    // target holds (-1: none), as the parent found them after a kill and the child expects them after each
    // operation.
    bool folder = true;
    QStringList songs;
    qsizetype held = 3;
    const auto state = [&] {
        return (folder ? u'[' + songs.join(u',') + u']' : u"no folder"_s) + u' ' + QString::number(held);
    };
    const auto transferUntilKilled = [&](unsigned run, useconds_t microseconds) {
        std::mt19937 random(run);
        const auto below = [&](qsizetype n) { return int(random() % std::max<qsizetype>(n, 1)); };
        EmulatedPlayer player(storePath(), {.reached = [at = run % 8](CrashPoint point) {
                                  if (at < 3 && point == CrashPoint(at))
                                      ::raise(SIGALRM);
                              }});
        ::ualarm(microseconds, 0);
        for (int serial = 0;; ++serial) {
            player.Open();
            const QString before = state();
            // Fewer than two songs: a send. Downloads come twice as often as the other operations, so that
            // kills find one writing its target. A format empties the memory and the next bracket makes its
            // folder again.
            const int operation = !folder ? 5 : songs.size() < 2 ? 1 : below(6) % 5;
            const int a = below(songs.size()), b = below(songs.size()), source = below(3);
            const QString name = QStringLiteral("%1-%2-%3").arg(source).arg(run).arg(serial);
            // Each operation and what it does to the state.
            const std::pair<std::function<void()>, std::function<void()>> operations[] = {
                {[&] { player.GetSong(0, a, target, u"0"_s, {}); }, [&] { held = songs[a][0].digitValue(); }},
                {[&] { player.AddSong(0, name, root() + u'/' + name[0], u"0"_s, {}); },
                 [&] { songs << name; }},
                {[&] { player.DeleteSong(0, a, u"0"_s); }, [&] { songs.removeAt(a); }},
                {[&] { player.SwapSong(0, a, b, u"0"_s); }, [&] { songs.swapItemsAt(a, b); }},
                {[&] { player.Format(u"0"_s); }, [&] { folder = false, songs.clear(); }},
                {[&] { player.AddFolder(u"MUSIC"_s, u"0"_s); }, [&] { folder = true; }}};
            operations[operation].second();
            // One write, so that a kill leaves the line whole or absent.
            log.write((before + u'\t' + state() + u'\n').toUtf8());
            operations[operation].first();
            player.Close();
        }
    };
    for (int kill = 0; kill < 40; ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill));
        log.write((state() + u'\t' + state() + u'\n').toUtf8());
        const auto [run, delay] = std::pair{draw(), draw() % 150'000 + 1};
        EXPECT_EXIT(transferUntilKilled(run, delay), ::testing::KilledBySignal(SIGALRM), "");
        const QStringList expected =
            QString::fromUtf8(readFile(log.fileName())).trimmed().split(u'\n').last().split(u'\t');
        // Left by a kill in the middle of a catalogue write, or between creating the lock file and writing
        // it.
        writeFile(storePath() + u"/memory0.json.Ab12Cd"_s, "{\"vers");
        if (kill % 2 == 0)
            QFile(storePath() + u"/lock"_s).resize(0);
        if (QFile::exists(storePath() + u"/device.json"_s)) {  // set up
            QFile journal(storePath() + u'/' + journalOf(readFile(storePath() + u"/memory0.json"_s)));
            ASSERT_TRUE(journal.open(QIODevice::Append) && journal.write(R"({"folder": 0, "na)") > 0);
        }

        PlayerStore store(storePath());
        ASSERT_NO_THROW(store.open(); store.catalogue(PlayerMemory::Internal)) << "the store was damaged";
        QMap<QString, QByteArray> files = storeFiles(storePath());
        const std::vector<StoredFolder>& folders = store.catalogue(PlayerMemory::Internal).folders;
        folder = !folders.empty();
        songs.clear();
        for (const StoredSong& song : folder ? folders[0].songs : std::vector<StoredSong>{}) {
            songs << song.name;
            EXPECT_TRUE(files.take(u"data/"_s + song.dataFile) == bytes[song.name[0].digitValue()])
                << qPrintable(song.name);
        }
        const QByteArray journal = files.take(journalOf(files[u"memory0.json"_s]));
        EXPECT_TRUE(journal.isEmpty() || journal.endsWith('\n')) << "a torn journal line kept";
        EXPECT_EQ(files.keys(), (QList<QString>{u"device.json"_s, u"memory0.json"_s, u"memory1.json"_s}))
            << "unnamed data, stale journals or temporary files kept";
        held = bytes.indexOf(readFile(target));
        EXPECT_THAT(state(), ::testing::AnyOf(expected.first(), expected.last()));
    }
}

// A store is opened as a crash, damage or an earlier version left it. A set-up cut short is done again:
// set-up writes the device state last, so a store without one holds at most the rest of a fresh store and a
// temporary file. A damaged device state is refused as a whole, again on a second try (no lock kept). A
// damaged memory leaves the other usable and is refused wherever it is reached until a format makes it
// usable again; till then nothing is swept: its songs may still be rescued. A journal's torn last line is
// cut off; a store of an earlier version, with no generation, journal or speed, opens as it is.
TEST_F(PlayerTest, StoreHalfSetUpIsSetUpAgainAndADamagedOneIsRefused) {
    EmulatedPlayer player(root() + u"/used"_s);
    player.Open();
    const QMap<QString, QByteArray> fresh = storeFiles(root() + u"/used"_s);
    player.AddSong(0, u"kept"_s, writeFile(root() + u"/kept.mp3"_s, songBytes(100, 1)), u"0"_s, {});
    player.AddSong(0, u"twin"_s, root() + u"/kept.mp3"_s, u"0"_s, {});
    player.SwapSong(0, 0, 1, u"0"_s);  // both songs in the catalogue, none in a journal
    player.Close();
    const QMap<QString, QByteArray> healthy = storeFiles(root() + u"/used"_s);
    // "data/..." sorts first.
    const QByteArray internal = healthy[u"memory0.json"_s], data = healthy.firstKey().mid(5).toUtf8();
    const QString device = u"device.json"_s, memory0 = u"memory0.json"_s, memory1 = u"memory1.json"_s,
                  journal = journalOf(internal), late = newDataFileName();
    // The healthy store with `changes` written over it.
    const auto used = [&](const QMap<QString, QByteArray>& changes) {
        QMap<QString, QByteArray> files = healthy;
        files.insert(changes);
        return files;
    };
    // The healthy store but for `from` in its internal memory's catalogue, replaced by `to`.
    const auto edited = [&](const QByteArray& from, const QByteArray& to) {
        return used({{memory0, QByteArray(internal).replace(from, to)}});
    };
    // A journal of `lines`, which name a song of `data` in folder `folder`, added after the catalogue.
    const auto line = [](qint32 folder, const QString& data) {
        return journalLine({.folder = folder, .song = {.name = u"late"_s, .size = 1, .dataFile = data}});
    };
    const auto withLate = [&](auto lines) { return used({{journal, lines}, {u"data/"_s + late, "x"}}); };
    // The healthy store as an earlier version wrote it: catalogues of version 1 without a generation, and no
    // speed.
    QMap<QString, QByteArray> earlier =
        used({{device, R"({"version": 1, "connected": true, "card": true})"}});
    for (const QString& memory : {memory0, memory1}) {
        QJsonObject catalogue = QJsonDocument::fromJson(earlier[memory]).object();
        catalogue.remove(u"generation"_s);
        catalogue[u"version"_s] = 1;
        earlier[memory] = QJsonDocument(catalogue).toJson();
    }
    // The files of a store whose data folder starts empty; the file Open or a memory's calls find damaged;
    // and the files after Open when none is, or none when that is what the store was.
    const std::tuple<QMap<QString, QByteArray>, QString, QMap<QString, QByteArray>> stores[] = {
        {{{memory0, fresh[memory0]}, {u"memory1.json.Ab12Cd"_s, "{\"vers"}}, {}, fresh},
        {{{memory0, fresh[memory0]}, {memory1, fresh[memory1]}}, {}, fresh},
        {earlier, {}, {}},
        {withLate(line(0, late) + R"({"folder": 0, "na)"), {}, withLate(line(0, late))},
        {{{memory0, internal}}, device, {}},
        {{{memory0, QByteArray(fresh[memory0]).replace("MUSIC", "f")}}, device, {}},
        {{{u"notes.txt"_s, "x"}}, device, {}},
        {used({{device, R"({"version": 1, "connected": true})"}}), device, {}},
        {used({{device, R"({"version": 1, "connected": true, "card": true, "speed": -1})"}}), device, {}},
        {used({{memory0, R"({"version": 2, "folders": [)"}}), memory0, {}},
        {edited(R"("version": 2)", R"("version": 3)"), memory0, {}},
        {edited(data, "../../../etc/passwd"), memory0, {}},
        {edited(renderDisplay(u"kept"_s, {}).toBase64(), "*!*"), memory0, {}},
        {edited(healthy.keys().at(1).mid(5).toUtf8(), data), memory0, {}},
        {edited(R"("size": 100)", R"("size": 67108865)"), memory0, {}},
        {used({{memory1, internal}}), memory1, {}},
        {withLate(line(0, late) + "{}\n" + line(0, newDataFileName())), journal, {}},
        {withLate(line(1, late)), journal, {}},
        {withLate(line(-1, late)), journal, {}},
        {withLate(line(0, QString::fromLatin1(data))), journal, {}}};
    for (const auto& [files, damaged, opened] : stores) {
        SCOPED_TRACE(QStringList(files.keys()).join(u' ').toStdString() + ": " + damaged.toStdString());
        ASSERT_TRUE(QDir(storePath()).removeRecursively() && QDir().mkpath(storePath() + u"/data"_s));
        for (const auto& [file, bytes] : files.asKeyValueRange())
            writeFile(storePath() + u'/' + file, bytes);
        const auto refusedAsDamaged = refused(kStoreDamaged + damaged);
        EmulatedPlayer again(storePath());
        if (damaged == device) {
            EXPECT_THAT([&] { again.Open(); }, refusedAsDamaged);
            EXPECT_THAT([&] { again.Open(); }, refusedAsDamaged);
            EXPECT_EQ(storeFiles(storePath()), files);
            continue;
        }
        again.Open();
        if (damaged.isEmpty()) {
            EXPECT_NO_THROW(again.Folders(0); again.Folders(1));
            EXPECT_EQ(storeFiles(storePath()), opened.isEmpty() ? files : opened);
            continue;
        }
        const qint32 bad = damaged == memory1 ? 1 : 0;
        const QString badText = QString::number(bad), goodText = QString::number(1 - bad);
        EXPECT_THAT([&] { again.Folders(bad); }, refusedAsDamaged);
        EXPECT_THAT([&] { again.AvailableMemory(badText); }, refusedAsDamaged);
        EXPECT_THAT([&] { again.AddSong(0, u"x"_s, root() + u"/kept.mp3"_s, badText, {}); },
                    refusedAsDamaged);
        EXPECT_NO_THROW(again.Folders(1 - bad); again.AddFolder(u"other"_s, goodText)) << "the other memory";
        again.Close();
        again.Open();
        EXPECT_THAT([&] { again.Folders(bad); }, refusedAsDamaged);
        const auto kept = storeFiles(storePath());
        for (const auto& [file, bytes] : files.asKeyValueRange())
            EXPECT_TRUE(kept.value(file) == bytes || !(file.startsWith(u"data/"_s) || file == damaged))
                << "swept: " << qPrintable(file);
        // A format makes it usable again and lets what only it named go: what stays is the data of the two
        // songs of memory 0, when that is the memory kept.
        again.Format(badText);
        again.AddFolder(u"new"_s, badText);
        EXPECT_EQ(again.Folders(bad).size(), 1u);
        again.Close();
        inBracket(again, [] {});
        EXPECT_EQ(QDir(storePath() + u"/data"_s).entryList(QDir::Files).size(), bad == 1 ? 2 : 0)
            << "data of the damaged memory kept";
    }
}

}  // namespace
}  // namespace tunedeck::testing
