// Sending songs with the emulated player: how much of a send is the window's own work rather than the
// player's, how long the window goes without handling events while it sends, and how its throughput
// compares with copying the same files with cp and fdatasync.
#include "frmTunedeck.h"
#include "music_files.h"
#include "program_folder.h"
#include "scripted_prompts.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <stdexcept>
#include <type_traits>
#include <vector>

namespace tunedeck {
namespace {

// The player behind a stopwatch: every call's start and end on the run's clock.
class TimedDevice final : public DeviceComponent {
  public:
    struct Call {
        qint64 start, end;  // nanoseconds
    };

    TimedDevice(std::unique_ptr<DeviceComponent> inner, const QElapsedTimer& clock)
        : inner_(std::move(inner)), clock_(clock) {}

    std::vector<Call> calls;

    qint64 deviceTime() const {
        qint64 total = 0;
        for (const Call& call : calls)
            total += call.end - call.start;
        return total;
    }
    // The part of [from, to] spent inside the player.
    qint64 deviceTimeWithin(qint64 from, qint64 to) const {
        qint64 total = 0;
        for (const Call& call : calls)
            total += std::max<qint64>(0, std::min(call.end, to) - std::max(call.start, from));
        return total;
    }

    void Open() override {
        timed([&] { inner_->Open(); });
    }
    void Close() override {
        timed([&] { inner_->Close(); });
    }
    int ExtFlash() override {
        return timed([&] { return inner_->ExtFlash(); });
    }
    std::vector<DeviceFolder> Folders(qint32 memory) override {
        return timed([&] { return inner_->Folders(memory); });
    }
    std::vector<DeviceSong> Songs(qint32 memory, qint16 folderIndex) override {
        return timed([&] { return inner_->Songs(memory, folderIndex); });
    }
    qint64 AvailableMemory(const QString& memory) override {
        return timed([&] { return inner_->AvailableMemory(memory); });
    }
    void FontName(const QString& faceName) override {
        timed([&] { inner_->FontName(faceName); });
    }
    void FontSize(qint32 pointSize) override {
        timed([&] { inner_->FontSize(pointSize); });
    }
    void AddSong(qint16 folderIndex, const QString& displayTitle, const QString& filePath,
                 const QString& memory) override {
        timed([&] { inner_->AddSong(folderIndex, displayTitle, filePath, memory); });
    }
    void GetSong(qint32 folderIndex, qint32 songIndex, const QString& targetPath,
                 const QString& memory) override {
        timed([&] { inner_->GetSong(folderIndex, songIndex, targetPath, memory); });
    }
    void DeleteSong(qint32 folderIndex, qint32 songIndex, const QString& memory) override {
        timed([&] { inner_->DeleteSong(folderIndex, songIndex, memory); });
    }
    void SwapSong(qint16 folderIndex, qint32 songIndexA, qint32 songIndexB, const QString& memory) override {
        timed([&] { inner_->SwapSong(folderIndex, songIndexA, songIndexB, memory); });
    }
    void AddFolder(const QString& folderName, const QString& memory) override {
        timed([&] { inner_->AddFolder(folderName, memory); });
    }
    void DeleteFolder(qint16 folderIndex, const QString& memory) override {
        timed([&] { inner_->DeleteFolder(folderIndex, memory); });
    }
    void Format(const QString& memory) override {
        timed([&] { inner_->Format(memory); });
    }

  private:
    template <typename Work>
    std::invoke_result_t<Work> timed(Work work) {
        struct Stamp {
            TimedDevice& device;
            qint64 start;
            ~Stamp() { device.calls.push_back({start, device.clock_.nsecsElapsed()}); }
        } stamp{*this, clock_.nsecsElapsed()};
        return work();
    }

    std::unique_ptr<DeviceComponent> inner_;
    const QElapsedTimer& clock_;
};

// Runs the window with the process in an empty working folder, so the computer pane has nothing to read.
class EmptyWorkingFolder {
  public:
    EmptyWorkingFolder() : previous_(QDir::currentPath()) { QDir::setCurrent(dir_.path()); }
    ~EmptyWorkingFolder() { QDir::setCurrent(previous_); }

  private:
    QTemporaryDir dir_;
    QString previous_;
};

// The window on the emulated player, its file list on `count` tagged songs of `bytes` bytes each.
class SendRun {
  public:
    SendRun(int count, qsizetype bytes)
        : window_({.programFolder = folder_.path(),
                   .exeBaseName = folder_.exeBaseName(),
                   .createDevice =
                       [this](const QString&) {
                           auto device = std::make_unique<TimedDevice>(
                               testing::createEmulatedPlayer(folder_.storePath()), clock);
                           device_ = device.get();
                           return device;
                       },
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
        window_.Form_Load();
        window_.dirlst->setPath(music_.path());
    }
    ~SendRun() { window_.close(); }

    // An empty player with one folder, as the window shows it, and no player calls on record.
    void emptyPlayer() {
        auto device = testing::createEmulatedPlayer(folder_.storePath());
        device->Open();
        device->Format(QStringLiteral("0"));
        device->AddFolder(QStringLiteral("音楽"), QStringLiteral("0"));
        device->Close();
        window_.refreshDeviceView(true);
        device_->calls.clear();
    }

    // The whole command, from the click to its closing text; nanoseconds.
    qint64 menuSend() {
        window_.lvwFile->selectAll();
        const qint64 start = clock.nsecsElapsed();
        window_.menuSend_Click();
        const qint64 end = clock.nsecsElapsed();
        if (window_.stbRioInfo->panelText(1) != QStringLiteral("転送が終了しました。"))
            throw std::runtime_error("the send did not finish");
        return end - start;
    }

    // The same songs sent straight to the player, one bracket each as the window does; nanoseconds.
    qint64 directSend() {
        const qint64 start = clock.nsecsElapsed();
        for (int i = 0; i < files.size(); ++i) {
            device_->Open();
            device_->FontName(window_.displayFontName());
            device_->FontSize(window_.displayFontSize());
            device_->AddSong(0, titles[i], files[i], QStringLiteral("0"));
            device_->Close();
        }
        return clock.nsecsElapsed() - start;
    }

    TimedDevice& device() const { return *device_; }

    QElapsedTimer clock;
    QStringList files;
    QStringList titles;  // the display titles the window gives the files

  private:
    EmptyWorkingFolder working_;
    testing::ProgramFolder folder_;
    testing::ScriptedPrompts prompts_;
    QTemporaryDir music_;
    TimedDevice* device_ = nullptr;
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

// (a) and (c): 12 songs of 4 MiB by the menu command. The window's share is everything but the player's
// calls; the same AddSong calls made directly, and cp with fdatasync of the same files, are the yardsticks.
void BM_MenuSend12Of4MiB(benchmark::State& state) {
    SendRun run(12, 4 * 1024 * 1024);
    const double bytes = 12.0 * 4 * 1024 * 1024;
    qint64 total = 0, device = 0, direct = 0, copy = 0;
    for (auto _ : state) {
        run.emptyPlayer();
        const qint64 send = run.menuSend();
        state.SetIterationTime(double(send) / 1e9);
        total += send;
        device += run.device().deviceTime();

        run.emptyPlayer();
        direct += run.directSend();
        copy += copyWithFdatasync(run.files);
    }
    const double n = double(state.iterations());
    state.counters["window_share_pct"] = 100.0 * double(total - device) / double(total);
    state.counters["window_ms"] = double(total - device) / n / 1e6;
    state.counters["direct_ms"] = double(direct) / n / 1e6;
    state.counters["send_vs_direct_pct"] = 100.0 * double(total - direct) / double(direct);
    state.counters["send_MBps"] = bytes * n / (double(total) / 1e9) / 1e6;
    state.counters["cp_fdatasync_MBps"] = bytes * n / (double(copy) / 1e9) / 1e6;
    state.counters["cp_ms"] = double(copy) / n / 1e6;
}
BENCHMARK(BM_MenuSend12Of4MiB)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// Counts the window's event batches: a posted event is handled once in each, and posts the next.
class BatchProbe : public QObject {
  public:
    explicit BatchProbe(const QElapsedTimer& clock) : clock_(clock) { post(); }
    std::vector<qint64> batches;

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

// (b) 200 songs of 256 KiB: the longest time between two handled event batches, less the player's own time
// within it, is how long the window itself keeps the user waiting.
void BM_MenuSendLiveness200Of256KiB(benchmark::State& state) {
    SendRun run(200, 256 * 1024);
    qint64 longestGap = 0, longestOwnGap = 0, longestAddSong = 0;
    for (auto _ : state) {
        run.emptyPlayer();
        BatchProbe probe(run.clock);
        QCoreApplication::processEvents();
        const qint64 send = run.menuSend();
        state.SetIterationTime(double(send) / 1e9);
        for (size_t i = 1; i < probe.batches.size(); ++i) {
            const qint64 from = probe.batches[i - 1], to = probe.batches[i];
            longestGap = std::max(longestGap, to - from);
            longestOwnGap = std::max(longestOwnGap, to - from - run.device().deviceTimeWithin(from, to));
        }
        for (const TimedDevice::Call& call : run.device().calls)
            longestAddSong = std::max(longestAddSong, call.end - call.start);
        state.counters["batches"] = double(probe.batches.size());
    }
    state.counters["longest_gap_ms"] = double(longestGap) / 1e6;
    state.counters["longest_gap_beyond_player_ms"] = double(longestOwnGap) / 1e6;
    state.counters["longest_player_call_ms"] = double(longestAddSong) / 1e6;
}
BENCHMARK(BM_MenuSendLiveness200Of256KiB)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
}  // namespace tunedeck
