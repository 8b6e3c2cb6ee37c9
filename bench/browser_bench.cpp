// SPDX-License-Identifier: GPL-3.0-or-later

// The file list fill against the per-file title procedure alone over the same generated folder of 10,000
// files (warm cache), and the fill of a folder of 100,000 files with the process's peak resident size and
// the share of the name order in it.
#include "display_title.h"
#include "folder_entries.h"
#include "frmTunedeck.h"
#include "music_files.h"
#include "music_folder.h"
#include "program_folder.h"
#include "window_run.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

namespace tunedeck {
namespace {

// A generated folder, written once for the whole run.
struct GeneratedFolder {
    template <typename Write>
    explicit GeneratedFolder(Write write) : musicFiles(write(dir.path())) {}
    QTemporaryDir dir;
    QStringList musicFiles;
};

const GeneratedFolder& tenThousandFiles() {
    static const GeneratedFolder folder(
        [](const QString& path) { return testing::writeMusicFolder(path, 10'000).musicFiles; });
    return folder;
}

// 100,000 small tagged files: the list's memory does not depend on the files' sizes. Their paths are not
// kept, so that only the list counts in the resident size.
const GeneratedFolder& hundredThousandFiles() {
    static const GeneratedFolder folder([](const QString& path) {
        for (int n = 0; n < 100'000; ++n) {
            const QByteArray number = QByteArray::number(n);
            testing::writeFile(
                path + QStringLiteral("/%1.mp3").arg(n, 6, 10, QChar(u'0')),
                testing::mp3File({.title = "Title " + number, .artist = "Artist " + number}, 256));
        }
        return QStringList();
    });
    return folder;
}

// The window started in an empty working folder, without a player.
struct Window {
    Window()
        : previous(QDir::currentPath()),
          window({.programFolder = folder.path(),
                  .exeBaseName = folder.exeBaseName(),
                  .createDevice = [](const PlayerEntry&) -> std::unique_ptr<DeviceComponent> {
                      throw DeviceError(QStringLiteral("not registered"));
                  }}) {
        QDir::setCurrent(working.path());
        window.Form_Load();
        waitForRun(window);
    }
    ~Window() {
        window.close();
        QDir::setCurrent(previous);
    }
    QTemporaryDir working;
    QString previous;
    testing::ProgramFolder folder;
    frmTunedeck window;
};

qint64 peakResidentKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void BM_TitleProcedure10000Files(benchmark::State& state) {
    const GeneratedFolder& generated = tenThousandFiles();
    const testing::ProgramFolder folder;
    const SettingsFile settings = folder.settings();
    for (auto _ : state) {
        const QString format = readDisplayFormat(settings);  // once, as the fill does
        for (const QString& path : generated.musicFiles) {
            TagRecord record;
            benchmark::DoNotOptimize(displayTitleFor(path, record, format));
        }
    }
    state.counters["files"] = double(generated.musicFiles.size());
}
BENCHMARK(BM_TitleProcedure10000Files)->Unit(benchmark::kMillisecond);

void BM_FileListFill10000Files(benchmark::State& state) {
    const GeneratedFolder& generated = tenThousandFiles();
    Window w;
    for (auto _ : state) {
        w.window.fillFileList(generated.dir.path());
        benchmark::DoNotOptimize(w.window.lvwFile->itemCount());
    }
    state.counters["items"] = w.window.lvwFile->itemCount();
}
BENCHMARK(BM_FileListFill10000Files)->Unit(benchmark::kMillisecond);

void BM_FileListFill100000Files(benchmark::State& state) {
    const QString folder = hundredThousandFiles().dir.path();
    Window w;
    const qint64 before = peakResidentKilobytes();
    for (auto _ : state) {
        w.window.fillFileList(folder);
        benchmark::DoNotOptimize(w.window.lvwFile->itemCount());
    }
    state.counters["items"] = w.window.lvwFile->itemCount();
    state.counters["peak_rss_MiB_before"] = double(before) / 1024;
    state.counters["peak_rss_MiB"] = double(peakResidentKilobytes()) / 1024;
}
BENCHMARK(BM_FileListFill100000Files)->Unit(benchmark::kMillisecond)->Iterations(3);

// The name order alone, over the names of the same folder as the file system gives them: its share of the
// fill above.
void BM_NameOrder100000Files(benchmark::State& state) {
    QStringList names;
    readFolder(hundredThousandFiles().dir.path(), [&names](QString name, EntryKind) { names.append(name); });
    for (auto _ : state) {
        state.PauseTiming();
        QStringList unsorted = names;
        unsorted.detach();
        state.ResumeTiming();
        sortByName(unsorted);
    }
    state.counters["names"] = double(names.size());
}
BENCHMARK(BM_NameOrder100000Files)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tunedeck
