// SPDX-License-Identifier: GPL-3.0-or-later

// Sending songs with the emulated player: how much of a send is the window's own work (the CPU time of the
// window's thread, while the player works on the session's), how long the window goes without handling
// events while it sends over a slow link, how soon Esc stops it, and how the throughput compares with
// copying the same files with cp and fdatasync. Given a mounted volume in TUNEDECK_BENCH_VOLUME (the test
// machine's FAT player, tests/vm/usb_send_bench_guest.sh), the same against cp and sync on that volume; given
// an MTP player's id in TUNEDECK_BENCH_MTP (the test machine's, tests/vm/mtp_send_bench_guest.sh), the same
// against libmtp's mtp-sendfile to that player, and how soon Esc stops a send to it.
#include "device_factory.h"
#include "frmTunedeck.h"
#include "mass_storage_kind.h"
#include "mtp_kind.h"
#include "music_files.h"
#include "program_folder.h"
#include "scripted_prompts.h"
#include "window_run.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace tunedeck {
namespace {

// The CPU time the calling thread has used; nanoseconds.
qint64 threadCpuTime() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// Runs the window with the process in an empty working folder, so the computer pane has nothing to read.
class EmptyWorkingFolder {
  public:
    EmptyWorkingFolder() : previous_(QDir::currentPath()) { QDir::setCurrent(dir_.path()); }
    ~EmptyWorkingFolder() { QDir::setCurrent(previous_); }

  private:
    QTemporaryDir dir_;
    QString previous_;
};

// A player other than the emulated one: the component and its address.
struct SendTarget {
    std::optional<PlayerKind> kind;
    QString address;
};

// The window on the emulated player, its file list on `count` tagged songs of `bytes` bytes each, the
// player's link at `kbps` KB/s (0: unlimited); or on `target`: the mass-storage player of a folder, or an MTP
// player.
class SendRun {
  public:
    SendRun(int count, qsizetype bytes, int kbps, const SendTarget& target = {})
        : target_(target),
          window_({.programFolder = folder_.path(),
                   .exeBaseName = folder_.exeBaseName(),
                   .createDevice = [this](const PlayerEntry&) { return device(); },
                   .prompts = &prompts_}) {
        clock.start();
        for (int i = 0; i < count; ++i) {
            const QString path =
                music_.filePath(QStringLiteral("song%1.mp3").arg(i, 3, 10, QLatin1Char('0')));
            testing::writeFile(path, testing::mp3File({.title = QStringLiteral("Title %1").arg(i).toLatin1(),
                                                       .artist = "Artist"},
                                                      bytes - 128));
            files.append(path);
            titles.append(QStringLiteral("Artist - Title %1").arg(i));
        }
        if (!target.kind && QProcess::execute(testing::builtProgram(QStringLiteral("tunedeck-player")),
                                              {QStringLiteral("--store"), folder_.storePath(),
                                               QStringLiteral("set-speed"), QString::number(kbps)}) != 0)
            throw std::runtime_error("cannot set the link speed");
        window_.Form_Load();
        waitForRun(window_);
        window_.dirlst->setPath(music_.path());
    }
    ~SendRun() { window_.close(); }

    // An empty player with one folder, as the window shows it.
    void emptyPlayer() {
        if (!target_.kind) {
            folder_.setUpPlayer(QStringLiteral("音楽:"));
        } else if (target_.kind->progId == kMassStorageProgId) {
            QDir(target_.address + QStringLiteral("/Bench")).removeRecursively();
            QDir(target_.address).mkpath(QStringLiteral("Bench"));
            ::sync();
        } else {
            const auto device = this->device();
            device->Open();
            for (qint16 folder = qint16(device->Folders(0).size()); folder-- > 0;)
                device->DeleteFolder(folder, QStringLiteral("0"));
            device->AddFolder(QStringLiteral("Bench"), QStringLiteral("0"));
            device->Close();
        }
        window_.refreshDeviceView(true);
        waitForRun(window_);
    }

    // The whole command chosen from the menu, to its closing text; nanoseconds of the clock and of the
    // window thread's CPU.
    std::pair<qint64, qint64> menuSend(const QString& ending = QStringLiteral("転送が終了しました。")) {
        window_.lvwFile->selectAll();
        const qint64 start = clock.nsecsElapsed(), cpu = threadCpuTime();
        window_.menuSend->trigger();
        waitForRun(window_);
        const std::pair<qint64, qint64> spent{clock.nsecsElapsed() - start, threadCpuTime() - cpu};
        if (!window_.stbRioInfo->panelText(1).startsWith(ending))
            throw std::runtime_error("the send did not end as it should");
        return spent;
    }

    // The same songs sent straight to the player, one bracket each as the window does; nanoseconds.
    qint64 directSend() {
        const auto device = this->device();
        const qint64 start = clock.nsecsElapsed();
        for (int i = 0; i < files.size(); ++i) {
            device->Open();
            device->FontName(window_.displayFontName());
            device->FontSize(window_.displayFontSize());
            device->AddSong(0, titles[i], files[i], QStringLiteral("0"), {});
            device->Close();
        }
        return clock.nsecsElapsed() - start;
    }

    frmTunedeck& window() { return window_; }

    QElapsedTimer clock;
    QStringList files;
    QStringList titles;  // the display titles the window gives the files

  private:
    std::unique_ptr<DeviceComponent> device() const {
        return !target_.kind ? testing::createEmulatedPlayer(folder_.storePath())
                             : createDevice(*target_.kind, testing::componentsFolder(), target_.address);
    }

    SendTarget target_;
    EmptyWorkingFolder working_;
    testing::ProgramFolder folder_;
    testing::ScriptedPrompts prompts_;
    QTemporaryDir music_;
    frmTunedeck window_;
};

// cp of the files into a fresh folder, then fdatasync of every copy; nanoseconds.
qint64 copyWithFdatasync(const QStringList& files) {
    QTemporaryDir target;
    QElapsedTimer clock;
    clock.start();
    if (QProcess::execute(QStringLiteral("cp"), files + QStringList{target.path()}) != 0)
        throw std::runtime_error("cp failed");
    QStringList copies;
    for (const QString& file : files)
        copies << target.filePath(QFileInfo(file).fileName());
    if (QProcess::execute(QStringLiteral("sync"), QStringList{QStringLiteral("-d")} + copies) != 0)
        throw std::runtime_error("sync failed");
    return clock.nsecsElapsed();
}

// 12 songs of 4 MiB by the menu command, unlimited (range 0) and at the link speed of a USB 2.0 player
// (20,000 KB/s): the window's share is its thread's CPU time over the send's; the same AddSong calls made
// directly, and cp with fdatasync of the same files, are the yardsticks.
void BM_MenuSend12Of4MiB(benchmark::State& state) {
    SendRun run(12, 4 * 1024 * 1024, int(state.range(0)));
    const double bytes = 12.0 * 4 * 1024 * 1024;
    qint64 total = 0, window = 0, direct = 0, copy = 0;
    for (auto _ : state) {
        run.emptyPlayer();
        const auto [send, cpu] = run.menuSend();
        state.SetIterationTime(double(send) / 1e9);
        total += send;
        window += cpu;

        run.emptyPlayer();
        direct += run.directSend();
        copy += copyWithFdatasync(run.files);
    }
    const double n = double(state.iterations());
    state.counters["window_share_pct"] = 100.0 * double(window) / double(total);
    state.counters["window_ms"] = double(window) / n / 1e6;
    state.counters["direct_ms"] = double(direct) / n / 1e6;
    state.counters["send_vs_direct_pct"] = 100.0 * double(total - direct) / double(direct);
    state.counters["send_MBps"] = bytes * n / (double(total) / 1e9) / 1e6;
    state.counters["cp_fdatasync_MBps"] = bytes * n / (double(copy) / 1e9) / 1e6;
}
BENCHMARK(BM_MenuSend12Of4MiB)
    ->Arg(0)
    ->Arg(20'000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

// cp of the files into `folder`, made anew, then sync of everything; nanoseconds.
qint64 copyWithSync(const QStringList& files, const QString& folder) {
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    ::sync();
    QElapsedTimer clock;
    clock.start();
    if (QProcess::execute(QStringLiteral("cp"), files + QStringList{folder}) != 0 ||
        QProcess::execute(QStringLiteral("sync"), {}) != 0)
        throw std::runtime_error("cp or sync failed");
    const qint64 spent = clock.nsecsElapsed();
    QDir(folder).removeRecursively();
    return spent;
}

// Counts the window's event batches: a posted event is handled once in each, and posts the next.
class BatchProbe : public QObject {
  public:
    explicit BatchProbe(const QElapsedTimer& clock) : clock_(clock) { post(); }
    std::vector<qint64> batches;

    // The longest time between two batches; nanoseconds.
    qint64 longestGap() const {
        qint64 longest = 0;
        for (size_t i = 1; i < batches.size(); ++i)
            longest = std::max(longest, batches[i] - batches[i - 1]);
        return longest;
    }

  protected:
    bool event(QEvent* event) override {
        if (event->type() != kType)
            return QObject::event(event);
        batches.push_back(clock_.nsecsElapsed());
        post();
        return true;
    }

  private:
    static constexpr QEvent::Type kType = QEvent::User;
    void post() { QCoreApplication::postEvent(this, new QEvent(kType)); }
    const QElapsedTimer& clock_;
};

// Esc pressed during a send, and the time from it to the run's saying it stopped.
class CancelProbe {
  public:
    explicit CancelProbe(SendRun& run) : run_(run) {
        ended_ = QObject::connect(run.window().stbRioInfo, &StatusBar::panelTextChanged,
                                  [this](int, const QString& text) {
                                      if (text.startsWith(kStopped) && !stopped_)
                                          stopped_ = run_.clock.nsecsElapsed();
                                  });
    }
    ~CancelProbe() { QObject::disconnect(ended_); }

    void press() {
        pressed_ = run_.clock.nsecsElapsed();
        QTest::keyClick(run_.window().windowHandle(), Qt::Key_Escape);
    }
    bool pressed() const { return pressed_ != 0; }
    // The stopped send by the menu; nanoseconds of the clock and of the window thread's CPU.
    std::pair<qint64, qint64> send() { return run_.menuSend(kStopped); }
    // Nanoseconds.
    qint64 latency() const { return stopped_ - pressed_; }

  private:
    inline static const QString kStopped = QStringLiteral("転送を中止しました。");
    SendRun& run_;
    QMetaObject::Connection ended_;
    qint64 pressed_ = 0, stopped_ = 0;
};

// 20 songs of 4 MiB at 2,000 KB/s, Esc pressed after three seconds: the longest time between two handled
// event batches is how long the window keeps the user waiting, and the time from Esc to the run's end how
// soon a cancel takes effect.
void BM_MenuSendLivenessAndCancel20Of4MiB(benchmark::State& state) {
    SendRun run(20, 4 * 1024 * 1024, 2000);
    qint64 longestGap = 0, longestCancel = 0;
    for (auto _ : state) {
        run.emptyPlayer();
        BatchProbe probe(run.clock);
        CancelProbe cancel(run);
        QTimer::singleShot(3000, [&] { cancel.press(); });
        QCoreApplication::processEvents();
        const auto [send, cpu] = cancel.send();
        state.SetIterationTime(double(send) / 1e9);
        longestGap = std::max(longestGap, probe.longestGap());
        longestCancel = std::max(longestCancel, cancel.latency());
        state.counters["batches"] = double(probe.batches.size());
    }
    state.counters["longest_gap_ms"] = double(longestGap) / 1e6;
    state.counters["esc_to_stop_ms"] = double(longestCancel) / 1e6;
}
BENCHMARK(BM_MenuSendLivenessAndCancel20Of4MiB)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

// 20 songs of 4 MiB sent by the menu to the mass-storage player on TUNEDECK_BENCH_VOLUME, beside cp and sync
// of the same files onto the same volume; and the longest time the window went without handling events.
void BM_MenuSendToAVolume20Of4MiB(benchmark::State& state) {
    const QString volume = qEnvironmentVariable("TUNEDECK_BENCH_VOLUME");
    if (volume.isEmpty()) {
        state.SkipWithError("TUNEDECK_BENCH_VOLUME names no volume");
        return;
    }
    SendRun run(20, 4 * 1024 * 1024, 0, {massStorageKind(), volume});
    const double bytes = 20.0 * 4 * 1024 * 1024;
    qint64 total = 0, copy = 0, direct = 0, longestGap = 0;
    for (auto _ : state) {
        run.emptyPlayer();
        BatchProbe probe(run.clock);
        const qint64 send = run.menuSend().first;
        state.SetIterationTime(double(send) / 1e9);
        total += send;
        longestGap = std::max(longestGap, probe.longestGap());
        QDir(volume + QStringLiteral("/Bench")).removeRecursively();
        copy += copyWithSync(run.files, volume + QStringLiteral("/Copy"));
        run.emptyPlayer();
        direct += run.directSend();
    }
    const double n = double(state.iterations());
    state.counters["send_MBps"] = bytes * n / (double(total) / 1e9) / 1e6;
    state.counters["cp_sync_MBps"] = bytes * n / (double(copy) / 1e9) / 1e6;
    state.counters["send_of_cp_sync_pct"] = 100.0 * double(copy) / double(total);
    state.counters["direct_MBps"] = bytes * n / (double(direct) / 1e9) / 1e6;
    state.counters["longest_gap_ms"] = double(longestGap) / 1e6;
}
BENCHMARK(BM_MenuSendToAVolume20Of4MiB)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// libmtp's mtp-sendfile of the files into the player's folder Music/Bench, a process each as the tool works;
// nanoseconds.
qint64 mtpSendfile(const QStringList& files) {
    QElapsedTimer clock;
    clock.start();
    for (const QString& file : files) {
        QProcess tool;
        tool.setStandardOutputFile(QProcess::nullDevice());
        tool.setStandardErrorFile(QProcess::nullDevice());
        tool.start(QStringLiteral("mtp-sendfile"), {file, QStringLiteral("/Music/Bench")});
        if (!tool.waitForFinished(-1) || tool.exitCode() != 0)
            throw std::runtime_error("mtp-sendfile failed");
    }
    return clock.nsecsElapsed();
}

// 20 songs of 4 MiB sent by the menu to the MTP player TUNEDECK_BENCH_MTP, beside mtp-sendfile of the same
// files to the same player; the longest time the window went without handling events; and the time from Esc,
// pressed in the middle of a song, to the end of the run.
void BM_MenuSendToAnMtpPlayer20Of4MiB(benchmark::State& state) {
    const QString player = qEnvironmentVariable("TUNEDECK_BENCH_MTP");
    if (player.isEmpty()) {
        state.SkipWithError("TUNEDECK_BENCH_MTP names no player");
        return;
    }
    SendRun run(20, 4 * 1024 * 1024, 0, {mtpKind(), player});
    const double bytes = 20.0 * 4 * 1024 * 1024;
    qint64 total = 0, tool = 0, longestGap = 0, longestCancel = 0;
    for (auto _ : state) {
        run.emptyPlayer();
        BatchProbe probe(run.clock);
        const qint64 send = run.menuSend().first;
        state.SetIterationTime(double(send) / 1e9);
        total += send;
        longestGap = std::max(longestGap, probe.longestGap());
        run.emptyPlayer();
        tool += mtpSendfile(run.files);

        run.emptyPlayer();
        CancelProbe cancel(run);
        const QProgressBar* bar = run.window().stbRioInfo->progressBar();
        // Half way through the fourth song.
        const auto pressing = QObject::connect(bar, &QProgressBar::valueChanged, [&](int value) {
            if (!cancel.pressed() && value * 40 > bar->maximum() * 7)
                cancel.press();
        });
        cancel.send();
        QObject::disconnect(pressing);
        longestCancel = std::max(longestCancel, cancel.latency());
    }
    const double n = double(state.iterations());
    state.counters["send_MBps"] = bytes * n / (double(total) / 1e9) / 1e6;
    state.counters["mtp_sendfile_MBps"] = bytes * n / (double(tool) / 1e9) / 1e6;
    state.counters["send_of_mtp_sendfile_pct"] = 100.0 * double(tool) / double(total);
    state.counters["longest_gap_ms"] = double(longestGap) / 1e6;
    state.counters["esc_to_stop_ms"] = double(longestCancel) / 1e6;
}
BENCHMARK(BM_MenuSendToAnMtpPlayer20Of4MiB)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
}  // namespace tunedeck
