// SPDX-License-Identifier: GPL-3.0-or-later

// The window's own work: a refresh listing 2,000 songs from a device that answers from memory, and start-up
// to the window's first paint with the emulated player and an empty working folder.
#include "frmTunedeck.h"
#include "program_folder.h"
#include "scripted_prompts.h"
#include "window_run.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace tunedeck {
namespace {

// Answers every question at once from what it holds, so that only the window's work is measured.
class MemoryDevice final : public DeviceComponent {
  public:
    explicit MemoryDevice(int songCount) {
        for (int i = 0; i < songCount; ++i)
            songs_.push_back({QStringLiteral("アーティスト %1 - タイトル %1").arg(i), 3'000'000 + i});
    }
    void Open() override {}
    void Close() override {}
    int ExtFlash() override { return 1; }
    std::vector<DeviceFolder> Folders(qint32) override { return {{QStringLiteral("音楽")}}; }
    std::vector<DeviceSong> Songs(qint32, qint16) override { return songs_; }
    qint64 AvailableMemory(const QString&) override { return 1'000'000; }
    void FontName(const QString&) override {}
    void FontSize(qint32) override {}
    void AddSong(qint16, const QString&, const QString&, const QString&, const TransferProgress&) override {}
    void GetSong(qint32, qint32, const QString&, const QString&, const TransferProgress&) override {}
    void DeleteSong(qint32, qint32, const QString&) override {}
    void SwapSong(qint16, qint32, qint32, const QString&) override {}
    void AddFolder(const QString&, const QString&) override {}
    void DeleteFolder(qint16, const QString&) override {}
    void Format(const QString&) override {}

  private:
    std::vector<DeviceSong> songs_;
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

void BM_RefreshListing2000Songs(benchmark::State& state) {
    EmptyWorkingFolder working;
    testing::ProgramFolder folder;
    testing::ScriptedPrompts prompts;
    frmTunedeck window(
        {.programFolder = folder.path(),
         .exeBaseName = folder.exeBaseName(),
         .createDevice = [](const PlayerEntry&) { return std::make_unique<MemoryDevice>(2000); },
         .prompts = &prompts});
    window.Form_Load();
    waitForRun(window);
    for (auto _ : state) {
        window.refreshDeviceView(false);
        waitForRun(window);
        benchmark::DoNotOptimize(window.lvwSong->itemCount());
    }
    state.counters["songs"] = window.lvwSong->itemCount();
    window.close();
}
BENCHMARK(BM_RefreshListing2000Songs)->Unit(benchmark::kMillisecond);

// Stops the clock at the first paint of any widget.
class FirstPaint : public QObject {
  public:
    explicit FirstPaint(QElapsedTimer& clock) : clock_(clock) {}
    qint64 nanoseconds = -1;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && nanoseconds < 0)
            nanoseconds = clock_.nsecsElapsed();
        return false;
    }

  private:
    QElapsedTimer& clock_;
};

void BM_StartUpToFirstPaint(benchmark::State& state) {
    EmptyWorkingFolder working;
    testing::ProgramFolder folder;
    testing::ScriptedPrompts prompts;
    const Environment environment{
        .programFolder = folder.path(),
        .exeBaseName = folder.exeBaseName(),
        .createDevice =
            [&folder](const PlayerEntry&) { return testing::createEmulatedPlayer(folder.storePath()); },
        .prompts = &prompts};
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        FirstPaint firstPaint(clock);
        qApp->installEventFilter(&firstPaint);  // any of the window's widgets painting counts
        frmTunedeck window(environment);
        window.Form_Load();
        qApp->removeEventFilter(&firstPaint);
        state.SetIterationTime(double(firstPaint.nanoseconds) / 1e9);
        waitForRun(window);
        window.close();
    }
}
BENCHMARK(BM_StartUpToFirstPaint)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace
}  // namespace tunedeck
