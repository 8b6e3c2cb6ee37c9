// SPDX-License-Identifier: GPL-3.0-or-later

// AddSong and GetSong of a 4 MiB song through the emulated player, against a plain copy of the same bytes.
// Each device call is timed alone and with the bracket the program runs around it (Open, the call, Close);
// undoing the change for the next round is not timed. Both device calls commit with QSaveFile, whose flush to
// disk also writes out the song's bytes, so the durable copy (a plain copy flushed with fdatasync) shows what
// part of the gap is the disk's and what part is the player's own. BM_ManySongs fills the memory with 10,000
// small songs, each in a bracket of its own as the window sends them: the last thousand should cost no more
// than the first (goal: last / first <= 1.5).
#include "emulated_player.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <stdexcept>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 kSongSize = 4 * 1024 * 1024;
constexpr qint64 kChunk = 1024 * 1024;

struct Workspace {
    QTemporaryDir dir;
    QString source = dir.filePath(u"song.mp3"_s);
    QString target = dir.filePath(u"copy.mp3"_s);
    QString store = dir.filePath(u"player"_s);

    Workspace() {
        QByteArray bytes(kSongSize, Qt::Uninitialized);
        QRandomGenerator generator(500);
        generator.fillRange(reinterpret_cast<quint32*>(bytes.data()), kSongSize / sizeof(quint32));
        QFile file(source);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != kSongSize)
            throw std::runtime_error("cannot write the song");
    }
};

void plainCopy(const QString& from, const QString& to, bool flush) {
    QFile in(from);
    QFile out(to);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot copy");
    std::vector<char> buffer(kChunk);
    for (qint64 got; (got = in.read(buffer.data(), kChunk)) > 0;)
        out.write(buffer.data(), got);
    if (flush && (!out.flush() || ::fdatasync(out.handle()) != 0))
        throw std::runtime_error("cannot flush the copy");
}

void BM_PlainCopy(benchmark::State& state) {
    Workspace work;
    const bool durable = state.range(0) != 0;
    state.SetLabel(durable ? "flushed with fdatasync" : "plain");
    for (auto _ : state) {
        plainCopy(work.source, work.target, durable);
        state.PauseTiming();
        QFile::remove(work.target);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * kSongSize);
}

// Runs `call` inside an Open/Close bracket, timing the bracket (range 1) or the call alone (range 0).
template <typename Call>
void inBracket(benchmark::State& state, tunedeck::EmulatedPlayer& player, Call call) {
    const bool wholeBracket = state.range(0) != 0;
    if (!wholeBracket)
        state.PauseTiming();
    player.Open();
    if (!wholeBracket)
        state.ResumeTiming();
    call();
    if (!wholeBracket)
        state.PauseTiming();
    player.Close();
    if (!wholeBracket)
        state.ResumeTiming();
}

void BM_AddSong(benchmark::State& state) {
    Workspace work;
    tunedeck::EmulatedPlayer player(work.store);
    state.SetLabel(state.range(0) ? "Open to Close" : "the call alone");
    for (auto _ : state) {
        inBracket(state, player, [&] {
            player.FontName(u"IPAGothic"_s);
            player.FontSize(9);
            player.AddSong(0, QStringLiteral("アーティスト - タイトル"), work.source, u"0"_s, {});
        });
        state.PauseTiming();
        player.Open();
        player.DeleteSong(0, 0, u"0"_s);
        player.Close();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * kSongSize);
}

void BM_GetSong(benchmark::State& state) {
    Workspace work;
    tunedeck::EmulatedPlayer player(work.store);
    player.Open();
    player.AddSong(0, QStringLiteral("アーティスト - タイトル"), work.source, u"0"_s, {});
    player.Close();
    state.SetLabel(state.range(0) ? "Open to Close" : "the call alone");
    for (auto _ : state) {
        inBracket(state, player, [&] { player.GetSong(0, 0, work.target, u"0"_s, {}); });
        state.PauseTiming();
        QFile::remove(work.target);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * kSongSize);
}

void BM_ManySongs(benchmark::State& state) {
    constexpr int kSongs = 10'000, kMeasured = 1'000;
    QTemporaryDir dir;
    const QString source = dir.filePath(u"song.mp3"_s);
    QFile file(source);
    if (!file.open(QIODevice::WriteOnly) || file.write(QByteArray(4 * 1024, 'x')) != 4 * 1024)
        throw std::runtime_error("cannot write the song");
    file.close();
    for (auto _ : state) {
        tunedeck::EmulatedPlayer player(dir.filePath(u"player"_s));
        QElapsedTimer clock;
        double first = 0;
        clock.start();
        for (int song = 0; song < kSongs; ++song) {
            if (song == kMeasured) {
                first = clock.nsecsElapsed() / 1e9;
            } else if (song == kSongs - kMeasured) {
                clock.restart();
            }
            player.Open();
            player.AddSong(0, QStringLiteral("song %1").arg(song), source, u"0"_s, {});
            player.Close();
        }
        const double last = clock.nsecsElapsed() / 1e9;
        state.counters["first_1000_s"] = first;
        state.counters["last_1000_s"] = last;
        state.counters["last_per_first"] = last / first;
    }
}

BENCHMARK(BM_PlainCopy)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_AddSong)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GetSong)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ManySongs)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
}  // namespace

// AddSong renders its display bitmap, which needs a GUI application; no window is shown.
int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
