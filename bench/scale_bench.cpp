// SPDX-License-Identifier: GPL-3.0-or-later

// Tunedeck on real players at a real player's scale, each beside a yardstick that does the same work with
// nothing of Tunedeck: sends of 20 songs by `tunedeck-player send`, the whole command as a user runs it, into
// an empty folder and into a full one; 1,000 songs sent in one run, to see that a song costs no more in a
// full folder than in an empty one; `tunedeck-player ls` of a player with a folder of 1,000 songs; and syncs,
// also on the emulated player, which needs no test machine.
//
// The players are the test machine's (tests/vm/scale_bench_guest.sh): the USB player whose id is in
// TUNEDECK_BENCH_USB, its music folder mounted at TUNEDECK_BENCH_MUSIC; the MTP player whose id is in
// TUNEDECK_BENCH_MTP. The yardsticks are cp and sync on the mounted volume, and MtpPeer's one libmtp
// connection. The folders are the guest's: "Bench" (empty), "Held" (1,000 songs on the volume, 500 on the
// MTP player), "Growth" (empty, for the run of 1,000), and on the MTP player's second start "Listed" (1,000).
#include "device_factory.h"
#include "display_title.h"
#include "mass_storage_kind.h"
#include "mtp_kind.h"
#include "mtp_peer.h"
#include "music_files.h"
#include "player_session.h"
#include "program_folder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <optional>
#include <stdexcept>
#include <vector>

namespace tunedeck {
namespace {

using bench::MtpPeer;

constexpr int kRunOf = 20;
constexpr int kLongRun = 1000;

// Runs a program to its end, what it writes on standard error passed on; nanoseconds. Its standard output
// goes to `out`, or nowhere. Throws unless it exits with 0.
qint64 runProgram(const QString& program, const QStringList& arguments, QByteArray* out = nullptr) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (!out)
        process.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        throw std::runtime_error((program + u' ' + arguments.mid(0, 4).join(u' ')).toStdString() + " failed");
    const qint64 spent = clock.nsecsElapsed();
    if (out)
        *out = process.readAllStandardOutput();
    return spent;
}

QString tunedeckPlayer() {
    return testing::builtProgram(QStringLiteral("tunedeck-player"));
}

// `tunedeck-player ls` of the player; nanoseconds.
qint64 listWithTunedeck(const QString& player, QByteArray* out = nullptr) {
    return runProgram(tunedeckPlayer(), {QStringLiteral("--player"), player, QStringLiteral("ls")}, out);
}

// The number tunedeck-player gives the internal memory's folder `name`, as its ls numbers them.
qint16 folderNumber(const QString& player, const QString& name) {
    QByteArray out;
    listWithTunedeck(player, &out);
    static const QRegularExpression folderLine(QStringLiteral("^  folder (\\d+): (.*)$"));
    for (const QString& line : QString::fromUtf8(out).split(u'\n')) {
        if (line.startsWith(QStringLiteral("memory 1")))
            break;
        const QRegularExpressionMatch match = folderLine.match(line);
        if (match.hasMatch() && match.captured(2) == name)
            return qint16(match.captured(1).toInt());
    }
    throw std::runtime_error("the player has no folder " + name.toStdString());
}

// `count` tagged songs of `bytes` bytes each, in a temporary folder of their own.
class Songs {
  public:
    Songs(int count, qsizetype bytes) {
        for (int i = 0; i < count; ++i) {
            const QString path = dir_.filePath(QStringLiteral("song%1.mp3").arg(i, 4, 10, QLatin1Char('0')));
            testing::writeFile(path, testing::mp3File({.title = QStringLiteral("Title %1").arg(i).toLatin1(),
                                                       .artist = "Artist"},
                                                      bytes - 128));
            files.append(path);
        }
    }
    double bytes() const {
        double total = 0;
        for (const QString& file : files)
            total += double(QFileInfo(file).size());
        return total;
    }

    QStringList files;

  private:
    QTemporaryDir dir_;
};

// `tunedeck-player send` of the songs into the internal memory's folder numbered `folder`; nanoseconds.
qint64 sendWithTunedeck(const QString& player, const Songs& songs, qint16 folder) {
    return runProgram(tunedeckPlayer(),
                      QStringList{QStringLiteral("--player"), player, QStringLiteral("send")} + songs.files +
                          QStringList{QStringLiteral("--folder"), QString::number(folder)});
}

// The environment variable `name`, or the benchmark skipped when it is not set.
std::optional<QString> required(benchmark::State& state, const char* name) {
    const QString value = qEnvironmentVariable(name);
    if (value.isEmpty()) {
        state.SkipWithError((std::string(name) + " is not set").c_str());
        return std::nullopt;
    }
    return value;
}

// The throughputs of Tunedeck and of its yardstick over the same bytes, and Tunedeck's as a share of the
// yardstick's.
void countThroughput(benchmark::State& state, const char* peer, double bytes, qint64 tunedeck, qint64 other) {
    state.counters["tunedeck_MBps"] = bytes / (double(tunedeck) / 1e9) / 1e6;
    state.counters[std::string(peer) + "_MBps"] = bytes / (double(other) / 1e9) / 1e6;
    state.counters[std::string("pct_of_") + peer] = 100.0 * double(other) / double(tunedeck);
}

// A send's first hundred songs against its last hundred, from the session's songStarted.
void countSongCost(benchmark::State& state, const std::vector<qint64>& starts, const std::string& who = {}) {
    const auto span = [&](size_t from) { return double(starts[from + 100] - starts[from]) / 1e6; };
    const double first = span(0), last = span(starts.size() - 101);
    state.counters[who + "first100_ms"] = first;
    state.counters[who + "last100_ms"] = last;
    state.counters[who + "last_over_first"] = last / first;
}

// The songs sent in one run through a PlayerSession on `device`, as tunedeck-player sends them: the time
// each song started and, last, the time the run ended; nanoseconds.
const PlayerWords kBenchWords{.name = QStringLiteral("Bench"), .model = QStringLiteral("Bench")};

std::vector<qint64> sendInOneRun(std::unique_ptr<DeviceComponent> device, const Songs& songs, qint16 folder) {
    PlayerSession session(std::move(device), kBenchWords);
    QElapsedTimer clock;
    std::vector<qint64> starts;
    QObject::connect(&session, &PlayerSession::songStarted,
                     [&](int, int, const QString&) { starts.push_back(clock.nsecsElapsed()); });
    clock.start();
    const Outcome outcome = waitFor([&](PlayerSession::Done done) {
        session.send(
            PlayerMemory::Internal, folder, songs.files,
            [](const QString& path) { return QFileInfo(path).completeBaseName(); },
            PlayerSession::AfterRefusal::Stop, done);
    });
    starts.push_back(clock.nsecsElapsed());
    if (!outcome.ok() || starts.size() != size_t(songs.files.size()) + 1)
        throw std::runtime_error("the run of songs failed: " + outcome.description.toStdString());
    return starts;
}

// The song list of the internal memory's `folder` as the window's pane reads it, in a bracket of its own
// through a session that the program keeps: no process started; nanoseconds. Throws unless it holds `songs`.
qint64 readPaneOf(PlayerSession& session, const FolderRef& folder, size_t songs) {
    QElapsedTimer clock;
    clock.start();
    PaneReading reading;
    const Outcome outcome = waitFor(session, PlayerMemory::Internal, folder, reading);
    const qint64 spent = clock.nsecsElapsed();
    if (!outcome.ok() || !reading.songs || reading.songs->size() != songs)
        throw std::runtime_error("the pane's reading failed: " + outcome.description.toStdString());
    return spent;
}

// The mass-storage player's folders as the guest made them.
struct Volume {
    QString player;  // tunedeck-player's id of it
    QString music;   // its music folder, mounted

    QString folder(const QString& name) const { return music + u'/' + name; }
};

std::optional<Volume> benchVolume(benchmark::State& state) {
    const auto player = required(state, "TUNEDECK_BENCH_USB");
    const auto music = player ? required(state, "TUNEDECK_BENCH_MUSIC") : std::nullopt;
    return music ? std::optional<Volume>({*player, *music}) : std::nullopt;
}

QStringList filesOf(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

// Removes from `folder` every file but `kept`, on the device before it returns.
void keepOnlyFiles(const QString& folder, const QStringList& kept) {
    const QSet<QString> keep(kept.begin(), kept.end());
    for (const QString& name : filesOf(folder))
        if (!keep.contains(name) && !QFile::remove(folder + u'/' + name))
            throw std::runtime_error("cannot remove " + name.toStdString());
    ::sync();
}

// cp of each file into `folder` and sync before the next, as durable as Tunedeck's send; nanoseconds.
qint64 copyEachAndSync(const Songs& songs, const QString& folder) {
    qint64 spent = 0;
    for (const QString& file : songs.files)
        spent += runProgram(QStringLiteral("cp"), {file, folder}) + runProgram(QStringLiteral("sync"), {});
    return spent;
}

// cp of all the files into `folder`, then one sync; nanoseconds.
qint64 copyAllAndSync(const Songs& songs, const QString& folder) {
    return runProgram(QStringLiteral("cp"), songs.files + QStringList{folder}) +
           runProgram(QStringLiteral("sync"), {});
}

// The four sends: 20 songs of 64 KiB and of 4 MiB, into the empty folder and into the full one.
void sendCases(benchmark::internal::Benchmark* send) {
    send->ArgNames({"KiB", "held"})
        ->ArgsProduct({{64, 4096}, {0, 1}})
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(2);
}

QString targetFolder(benchmark::State& state) {
    return state.range(1) ? QStringLiteral("Held") : QStringLiteral("Bench");
}

// 20 songs of range(0) KiB sent by tunedeck-player to the USB player's folder Bench (empty; range(1) 0) or
// Held (1,000 songs; range(1) 1), beside cp and sync of each file, and cp of all then one sync.
void BM_SendToAVolume(benchmark::State& state) {
    const auto volume = benchVolume(state);
    if (!volume)
        return;
    const Songs songs(kRunOf, state.range(0) * 1024);
    const QString name = targetFolder(state), folder = volume->folder(name);
    const QStringList kept = state.range(1) ? filesOf(folder) : QStringList{};
    keepOnlyFiles(folder, kept);
    const qint16 number = folderNumber(volume->player, name);
    qint64 tunedeck = 0, each = 0, once = 0;
    for (auto _ : state) {
        const qint64 send = sendWithTunedeck(volume->player, songs, number);
        state.SetIterationTime(double(send) / 1e9);
        tunedeck += send;
        keepOnlyFiles(folder, kept);
        each += copyEachAndSync(songs, folder);
        keepOnlyFiles(folder, kept);
        once += copyAllAndSync(songs, folder);
        keepOnlyFiles(folder, kept);
    }
    const double bytes = songs.bytes() * double(state.iterations());
    countThroughput(state, "cp_sync_each", bytes, tunedeck, each);
    state.counters["cp_all_sync_MBps"] = bytes / (double(once) / 1e9) / 1e6;
    state.counters["pct_of_cp_all_sync"] = 100.0 * double(once) / double(tunedeck);
    state.counters["songs_in_folder"] = double(kept.size());
}
BENCHMARK(BM_SendToAVolume)->Apply(sendCases);

// tunedeck-player ls of the USB player, whose memory holds Held (1,000 songs) among 61 other folders,
// beside ls -f of Held, and of every folder ls lists.
void BM_ListAVolumeWithAFolderOf1000(benchmark::State& state) {
    const auto volume = benchVolume(state);
    if (!volume)
        return;
    QStringList folders;
    for (const QString& name : QDir(volume->music).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        folders << volume->folder(name);
    const QStringList one{QStringLiteral("-f"), volume->folder(QStringLiteral("Held"))};
    qint64 tunedeck = 0, held = 0, all = 0;
    for (auto _ : state) {
        const qint64 list = listWithTunedeck(volume->player);
        state.SetIterationTime(double(list) / 1e9);
        tunedeck += list;
        held += runProgram(QStringLiteral("ls"), one);
        all += runProgram(QStringLiteral("ls"), QStringList{QStringLiteral("-f")} + folders);
    }
    const double n = double(state.iterations());
    state.counters["tunedeck_ms"] = double(tunedeck) / n / 1e6;
    state.counters["ls_f_held_ms"] = double(held) / n / 1e6;
    state.counters["ls_f_every_folder_ms"] = double(all) / n / 1e6;
    state.counters["over_ls_f_held"] = double(tunedeck) / double(held);
    state.counters["over_ls_f_every_folder"] = double(tunedeck) / double(all);
    state.counters["songs_in_held"] = double(filesOf(one[1]).size());
}
BENCHMARK(BM_ListAVolumeWithAFolderOf1000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// The song list of Held as the window reads it (a bracket, no process started), beside ls -f of Held.
void BM_ReadAPaneOf1000OnAVolume(benchmark::State& state) {
    const auto volume = benchVolume(state);
    if (!volume)
        return;
    const QStringList held{QStringLiteral("-f"), volume->folder(QStringLiteral("Held"))};
    const size_t songs = size_t(filesOf(held[1]).size());
    PlayerSession session(createDevice(massStorageKind(), testing::componentsFolder(), volume->player),
                          kBenchWords);
    qint64 tunedeck = 0, yardstick = 0;
    for (auto _ : state) {
        const qint64 read = readPaneOf(
            session, {folderNumber(volume->player, QStringLiteral("Held")), QStringLiteral("Held")}, songs);
        state.SetIterationTime(double(read) / 1e9);
        tunedeck += read;
        yardstick += runProgram(QStringLiteral("ls"), held);
    }
    state.counters["tunedeck_ms"] = double(tunedeck) / double(state.iterations()) / 1e6;
    state.counters["ls_f_held_ms"] = double(yardstick) / double(state.iterations()) / 1e6;
    state.counters["over_ls_f_held"] = double(tunedeck) / double(yardstick);
}
BENCHMARK(BM_ReadAPaneOf1000OnAVolume)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// 1,000 songs of 64 KiB sent in one run to the USB player's empty folder Growth: the last hundred songs'
// time over the first hundred's.
void BM_SongCostOnAVolume1000(benchmark::State& state) {
    const auto volume = benchVolume(state);
    if (!volume)
        return;
    const Songs songs(kLongRun, 64 * 1024);
    const QString name = QStringLiteral("Growth");
    const qint16 number = folderNumber(volume->player, name);
    std::vector<qint64> starts;
    for (auto _ : state) {
        keepOnlyFiles(volume->folder(name), {});
        starts = sendInOneRun(createDevice(massStorageKind(), testing::componentsFolder(), volume->player),
                              songs, number);
        state.SetIterationTime(double(starts.back()) / 1e9);
    }
    countSongCost(state, starts);
    keepOnlyFiles(volume->folder(name), {});
}
BENCHMARK(BM_SongCostOnAVolume1000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

// The objects of the MTP player's folder Music/`name`.
std::vector<bench::PeerObject> objectsOf(MtpPeer& peer, const QString& name) {
    return peer.children(peer.folder({QStringLiteral("Music"), name}));
}

// Removes from the MTP player's folder Music/`name` every object but `kept`.
void keepOnlyObjects(const QString& name, const QSet<uint32_t>& kept) {
    MtpPeer peer;
    for (const bench::PeerObject& object : objectsOf(peer, name))
        if (!kept.contains(object.id))
            peer.remove(object.id);
}

// The peer's send of the songs into Music/`name`: open, find the folder, send each, close; nanoseconds.
// With `starts`, the time each song started and, last, the time the sends ended.
qint64 sendWithPeer(const Songs& songs, const QString& name, std::vector<qint64>* starts = nullptr) {
    QElapsedTimer clock;
    clock.start();
    {
        MtpPeer peer;
        const uint32_t folder = peer.folder({QStringLiteral("Music"), name});
        for (const QString& file : songs.files) {
            if (starts)
                starts->push_back(clock.nsecsElapsed());
            peer.send(file, folder);
        }
        if (starts)
            starts->push_back(clock.nsecsElapsed());
    }
    return clock.nsecsElapsed();
}

// 20 songs of range(0) KiB sent by tunedeck-player to the MTP player's folder Bench (empty; range(1) 0) or
// Held (500 songs; range(1) 1), beside the peer's send of the same files into the same folder.
void BM_SendToAnMtpPlayer(benchmark::State& state) {
    const auto player = required(state, "TUNEDECK_BENCH_MTP");
    if (!player)
        return;
    const Songs songs(kRunOf, state.range(0) * 1024);
    const QString name = targetFolder(state);
    QSet<uint32_t> kept;
    if (state.range(1)) {
        MtpPeer peer;
        for (const bench::PeerObject& object : objectsOf(peer, name))
            kept.insert(object.id);
    }
    keepOnlyObjects(name, kept);
    const qint16 number = folderNumber(*player, name);
    qint64 tunedeck = 0, peer = 0;
    for (auto _ : state) {
        const qint64 send = sendWithTunedeck(*player, songs, number);
        state.SetIterationTime(double(send) / 1e9);
        tunedeck += send;
        keepOnlyObjects(name, kept);
        peer += sendWithPeer(songs, name);
        keepOnlyObjects(name, kept);
    }
    countThroughput(state, "libmtp_peer", songs.bytes() * double(state.iterations()), tunedeck, peer);
    state.counters["songs_in_folder"] = double(kept.size());
}
BENCHMARK(BM_SendToAnMtpPlayer)->Apply(sendCases);

// 1,000 songs of 64 KiB sent in one run to the MTP player's empty folder Growth: the last hundred songs'
// time over the first hundred's, beside the same of the peer's sends, which shows what the player's own cost
// of a song does as its folder fills.
void BM_SongCostOnAnMtpPlayer1000(benchmark::State& state) {
    const auto player = required(state, "TUNEDECK_BENCH_MTP");
    if (!player)
        return;
    const Songs songs(kLongRun, 64 * 1024);
    const QString name = QStringLiteral("Growth");
    const qint16 number = folderNumber(*player, name);
    std::vector<qint64> starts;
    for (auto _ : state) {
        keepOnlyObjects(name, {});
        starts = sendInOneRun(createDevice(mtpKind(), testing::componentsFolder(), *player), songs, number);
        state.SetIterationTime(double(starts.back()) / 1e9);
    }
    countSongCost(state, starts);
    keepOnlyObjects(name, {});
    std::vector<qint64> peerStarts;
    sendWithPeer(songs, name, &peerStarts);
    countSongCost(state, peerStarts, "peer_");
    keepOnlyObjects(name, {});
}
BENCHMARK(BM_SongCostOnAnMtpPlayer1000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

// The song list of Listed as the window reads it (a bracket, no process started), beside the peer's listing
// of that folder.
void BM_ReadAPaneOf1000OnAnMtpPlayer(benchmark::State& state) {
    const auto player = required(state, "TUNEDECK_BENCH_MTP");
    if (!player)
        return;
    const QString name = QStringLiteral("Listed");
    const auto peerListing = [&] {
        MtpPeer connection;
        return objectsOf(connection, name).size();
    };
    const size_t songs = peerListing();
    PlayerSession session(createDevice(mtpKind(), testing::componentsFolder(), *player), kBenchWords);
    qint64 tunedeck = 0, peer = 0;
    for (auto _ : state) {
        const qint64 read = readPaneOf(session, {folderNumber(*player, name), name}, songs);
        state.SetIterationTime(double(read) / 1e9);
        tunedeck += read;
        QElapsedTimer clock;
        clock.start();
        peerListing();
        peer += clock.nsecsElapsed();
    }
    state.counters["tunedeck_ms"] = double(tunedeck) / double(state.iterations()) / 1e6;
    state.counters["libmtp_peer_ms"] = double(peer) / double(state.iterations()) / 1e6;
    state.counters["over_libmtp_peer"] = double(tunedeck) / double(peer);
}
BENCHMARK(BM_ReadAPaneOf1000OnAnMtpPlayer)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// tunedeck-player ls of the MTP player whose music folder holds only Listed (1,000 songs), beside the peer's
// listing of that folder: open, each folder from the root to it listed once, close.
void BM_ListAnMtpPlayerWithAFolderOf1000(benchmark::State& state) {
    const auto player = required(state, "TUNEDECK_BENCH_MTP");
    if (!player)
        return;
    qint64 tunedeck = 0, peer = 0;
    size_t listed = 0;
    for (auto _ : state) {
        const qint64 list = listWithTunedeck(*player);
        state.SetIterationTime(double(list) / 1e9);
        tunedeck += list;
        QElapsedTimer clock;
        clock.start();
        {
            MtpPeer connection;
            listed = objectsOf(connection, QStringLiteral("Listed")).size();
        }
        peer += clock.nsecsElapsed();
    }
    const double n = double(state.iterations());
    state.counters["tunedeck_ms"] = double(tunedeck) / n / 1e6;
    state.counters["libmtp_peer_ms"] = double(peer) / n / 1e6;
    state.counters["over_libmtp_peer"] = double(tunedeck) / double(peer);
    state.counters["songs_listed"] = double(listed);
}
BENCHMARK(BM_ListAnMtpPlayerWithAFolderOf1000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// Syncs: the second sync of a folder whose 1,000 songs are all there, beside the pane's reading of that
// folder; and a sync of 200 songs onto a folder that holds the first 150 of them, beside a plain send of the
// other 50 into that folder. Each through a session the program keeps, as the window syncs.

// The songs' files titled by their names, as a file without tags is.
QString titleByName(const QString& path) {
    return QFileInfo(path).completeBaseName();
}

// A sync of `files` into `request`'s folder; nanoseconds. Throws unless it sent `sent` songs and nothing
// was refused.
qint64 syncWith(PlayerSession& session, SyncRequest request, const QStringList& files,
                const PlayerSession::TitleOf& titleOf, int sent) {
    request.files = files;
    QElapsedTimer clock;
    clock.start();
    SyncResult result;
    const Outcome outcome = waitFor(session, request, titleOf, result);
    const qint64 spent = clock.nsecsElapsed();
    if (!outcome.ok() || outcome.failed > 0 || outcome.done != sent)
        throw std::runtime_error("the sync sent " + std::to_string(outcome.done) +
                                 " songs: " + outcome.description.toStdString());
    return spent;
}

// The internal memory's folder `name`, as the pane lists it.
FolderRef folderNamed(PlayerSession& session, const QString& name) {
    PaneReading reading;
    if (!waitFor(session, PlayerMemory::Internal, std::nullopt, reading).ok() || !reading.folders ||
        !reading.folders->contains(name))
        throw std::runtime_error("the player has no folder " + name.toStdString());
    return {qint16(reading.folders->indexOf(name)), name};
}

// Files on the computer that are the songs of a player's folder: each of its song's size, and titled by the
// name the song list shows.
class CopiesOf {
  public:
    explicit CopiesOf(const std::vector<SongRef>& songs) {
        for (const SongRef& song : songs) {
            const QString path =
                dir_.filePath(QStringLiteral("%1.mp3").arg(files.size(), 4, 10, QLatin1Char('0')));
            testing::writeFile(path, QByteArray(song.size, 'S'));
            files << path;
            titles_.insert(path, song.name);
        }
    }
    PlayerSession::TitleOf titleOf() const {
        return [titles = titles_](const QString& path) { return titles.value(path); };
    }

    QStringList files;

  private:
    QTemporaryDir dir_;
    QHash<QString, QString> titles_;
};

// The second sync of `folder` (all its songs there) timed, beside the pane's reading of it.
void timeSecondSync(benchmark::State& state, PlayerSession& session, const FolderRef& folder) {
    PaneReading reading;
    if (!waitFor(session, PlayerMemory::Internal, folder, reading).ok() || !reading.songs)
        throw std::runtime_error("the folder cannot be read");
    const CopiesOf copies(*reading.songs);
    qint64 synced = 0, listed = 0;
    for (auto _ : state) {
        const qint64 spent = syncWith(session, {.folder = folder}, copies.files, copies.titleOf(), 0);
        state.SetIterationTime(double(spent) / 1e9);
        synced += spent;
        listed += readPaneOf(session, folder, reading.songs->size());
    }
    const double n = double(state.iterations());
    state.counters["sync_ms"] = double(synced) / n / 1e6;
    state.counters["listing_ms"] = double(listed) / n / 1e6;
    state.counters["over_listing"] = double(synced) / double(listed);
    state.counters["songs"] = double(reading.songs->size());
}

// 200 songs synced into `folder`, which a sync of the first 150 filled beforehand, beside a plain send of
// the other 50 into the same folder, which a user would do instead; `empty` empties the folder afterwards.
void timeSyncOnto150(benchmark::State& state, PlayerSession& session, const FolderRef& folder,
                     const std::function<void()>& empty) {
    const Songs songs(200, 64 * 1024);
    const QStringList first = songs.files.mid(0, 150), rest = songs.files.mid(150);
    qint64 sync = 0, send = 0;
    for (auto _ : state) {
        syncWith(session, {.folder = folder}, first, titleByName, 150);
        QElapsedTimer clock;
        clock.start();
        const Outcome sent = waitFor([&](PlayerSession::Done done) {
            session.send(PlayerMemory::Internal, folder.index, rest, titleByName,
                         PlayerSession::AfterRefusal::Stop, done);
        });
        send += clock.nsecsElapsed();
        PaneReading reading;
        if (!sent.ok() || !waitFor(session, PlayerMemory::Internal, folder, reading).ok())
            throw std::runtime_error("the plain send failed: " + sent.description.toStdString());
        const QList<SongRef> sentSongs(reading.songs->begin() + 150, reading.songs->end());
        if (!waitFor([&](PlayerSession::Done done) { session.remove(sentSongs, done); }).ok())
            throw std::runtime_error("the songs sent cannot be removed");
        const qint64 spent = syncWith(session, {.folder = folder}, songs.files, titleByName, 50);
        state.SetIterationTime(double(spent) / 1e9);
        sync += spent;
        empty();
    }
    const double n = double(state.iterations());
    state.counters["sync_of_200_ms"] = double(sync) / n / 1e6;
    state.counters["send_of_50_ms"] = double(send) / n / 1e6;
    state.counters["over_send"] = double(sync) / double(send);
}

// The emulated player, on a store of its own in a temporary folder, with the folders Bench and Growth.
struct EmulatedBench {
    QTemporaryDir dir;
    PlayerSession session{testing::createEmulatedPlayer(dir.filePath(QStringLiteral("player"))), kBenchWords};

    EmulatedBench() {
        for (const QString& name : {QStringLiteral("Bench"), QStringLiteral("Growth")})
            if (!waitFor([&](PlayerSession::Done done) {
                     session.createFolder(PlayerMemory::Internal, name, done);
                 }).ok())
                throw std::runtime_error("cannot make the folders");
    }
    // Every song of the folder removed.
    void empty(const FolderRef& folder) {
        PaneReading reading;
        waitFor(session, PlayerMemory::Internal, folder, reading);
        const QList<SongRef> songs(reading.songs->begin(), reading.songs->end());
        if (!waitFor([&](PlayerSession::Done done) { session.remove(songs, done); }).ok())
            throw std::runtime_error("cannot empty the folder");
    }
};

// The titles made from the songs' tags, as the window makes them, and so timed.
void BM_SecondSyncOf1000OnTheEmulatedPlayer(benchmark::State& state) {
    EmulatedBench bench;
    const FolderRef folder = folderNamed(bench.session, QStringLiteral("Bench"));
    const Songs songs(kLongRun, 8 * 1024);
    const auto byTags = [](const QString& path) {
        TagRecord record;
        return displayTitleFor(path, record, QStringLiteral("%1 - %2"));
    };
    syncWith(bench.session, {.folder = folder}, songs.files, byTags, kLongRun);
    qint64 synced = 0;
    for (auto _ : state) {
        const qint64 spent = syncWith(bench.session, {.folder = folder}, songs.files, byTags, 0);
        state.SetIterationTime(double(spent) / 1e9);
        synced += spent;
    }
    state.counters["sync_ms"] = double(synced) / double(state.iterations()) / 1e6;
    state.counters["listing_ms"] = double(readPaneOf(bench.session, folder, kLongRun)) / 1e6;
}
BENCHMARK(BM_SecondSyncOf1000OnTheEmulatedPlayer)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

void BM_SyncOf200Onto150OnTheEmulatedPlayer(benchmark::State& state) {
    EmulatedBench bench;
    const FolderRef folder = folderNamed(bench.session, QStringLiteral("Bench"));
    timeSyncOnto150(state, bench.session, folder, [&] { bench.empty(folder); });
}
BENCHMARK(BM_SyncOf200Onto150OnTheEmulatedPlayer)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

void BM_SecondSyncOf1000OnAVolume(benchmark::State& state) {
    const auto volume = benchVolume(state);
    if (!volume)
        return;
    PlayerSession session(createDevice(massStorageKind(), testing::componentsFolder(), volume->player),
                          kBenchWords);
    timeSecondSync(state, session, folderNamed(session, QStringLiteral("Held")));
}
BENCHMARK(BM_SecondSyncOf1000OnAVolume)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SyncOf200Onto150OnAVolume(benchmark::State& state) {
    const auto volume = benchVolume(state);
    if (!volume)
        return;
    PlayerSession session(createDevice(massStorageKind(), testing::componentsFolder(), volume->player),
                          kBenchWords);
    timeSyncOnto150(state, session, folderNamed(session, QStringLiteral("Bench")),
                    [&] { keepOnlyFiles(volume->folder(QStringLiteral("Bench")), {}); });
}
BENCHMARK(BM_SyncOf200Onto150OnAVolume)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_SecondSyncOf1000OnAnMtpPlayer(benchmark::State& state) {
    const auto player = required(state, "TUNEDECK_BENCH_MTP");
    if (!player)
        return;
    PlayerSession session(createDevice(mtpKind(), testing::componentsFolder(), *player), kBenchWords);
    timeSecondSync(state, session, folderNamed(session, QStringLiteral("Listed")));
}
BENCHMARK(BM_SecondSyncOf1000OnAnMtpPlayer)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SyncOf200Onto150OnAnMtpPlayer(benchmark::State& state) {
    const auto player = required(state, "TUNEDECK_BENCH_MTP");
    if (!player)
        return;
    PlayerSession session(createDevice(mtpKind(), testing::componentsFolder(), *player), kBenchWords);
    timeSyncOnto150(state, session, folderNamed(session, QStringLiteral("Bench")),
                    [] { keepOnlyObjects(QStringLiteral("Bench"), {}); });
}
BENCHMARK(BM_SyncOf200Onto150OnAnMtpPlayer)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace tunedeck
