// SPDX-License-Identifier: GPL-3.0-or-later

// The per-file title procedure over a folder of 10,000 files, against the floor (only the system calls any
// tag reader must make) and against TagLib doing the same job. Run all three in one process, warm cache:
//   build/<dir>/bin/metadata_bench
#include "display_title.h"
#include "music_file.h"
#include "music_files.h"
#include "music_folder.h"
#include "tag_text.h"
#include "title_format.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <taglib/id3v1tag.h>
#include <taglib/infotag.h>
#include <taglib/mpegfile.h>
#include <taglib/wavfile.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <memory>

using namespace Qt::StringLiterals;

namespace tunedeck {
namespace {

constexpr int kFolderFiles = 10'000;

struct Folder {
    QTemporaryDir dir;
    testing::MusicFolder files;
    QList<QByteArray> encodedMusicFiles;
    SettingsFile settings{dir.path(), QStringLiteral("tunedeck")};

    Folder() {
        files = testing::writeMusicFolder(dir.path(), kFolderFiles);
        for (const QString& path : files.musicFiles)
            encodedMusicFiles.append(QFile::encodeName(path));
        testing::writeFile(settings.path(),
                           "[tunedeck]\r\nWindowLeft=1200\r\nWindowTop=900\r\nSeparate=2000\r\n"
                           "FontName=MS UI Gothic\r\nFontSize=9\r\nDisplayFormat=%1 - %2\r\n");
    }
};

const Folder& folder() {
    static const Folder instance;
    return instance;
}

void countFiles(benchmark::State& state) {
    state.SetItemsProcessed(state.iterations() * folder().files.musicFiles.size());
}

// What any reader of these tags must do: open, the first 12 bytes, the size, then the last 128 bytes, or for
// an RMP3 file the chunks that follow its header (a block of them, as the reader takes them), and close.
void BM_Floor(benchmark::State& state) {
    char head[12];
    char rest[MusicFile::kBlock];
    for (auto _ : state) {
        for (const QByteArray& path : folder().encodedMusicFiles) {
            const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
            benchmark::DoNotOptimize(::pread(fd, head, sizeof head, 0));
            struct stat info {};
            ::fstat(fd, &info);
            const bool rmp3 = std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "RMP3", 4) == 0;
            benchmark::DoNotOptimize(rmp3 ? ::pread(fd, rest, sizeof rest, sizeof head)
                                          : ::pread(fd, rest, 128, info.st_size - 128));
            ::close(fd);
        }
    }
    countFiles(state);
}

// Calls `readOne(path, record)` for every music file of the folder.
template <typename ReadOne>
void overMusicFiles(benchmark::State& state, ReadOne readOne) {
    for (auto _ : state) {
        for (const QString& path : folder().files.musicFiles) {
            TagRecord record;
            benchmark::DoNotOptimize(readOne(path, record));
        }
    }
    countFiles(state);
}

// The tags alone, as the file list needs them.
void BM_ReadTags(benchmark::State& state) {
    overMusicFiles(state, [](const QString& path, TagRecord& record) { return readTags(path, record); });
}

// The display format alone, looked up once for every file: what each title of a send pays for it.
void BM_DisplayFormat(benchmark::State& state) {
    overMusicFiles(state, [](const QString&, TagRecord&) { return readDisplayFormat(folder().settings); });
}

// Calls `titleOf(path, record, format)` for every music file of the folder, with the display format looked up
// once for the folder, as the file list fill does.
template <typename TitleOf>
void overFolderTitles(benchmark::State& state, TitleOf titleOf) {
    for (auto _ : state) {
        const QString format = readDisplayFormat(folder().settings);
        for (const QString& path : folder().files.musicFiles) {
            TagRecord record;
            benchmark::DoNotOptimize(titleOf(path, record, format));
        }
    }
    countFiles(state);
}

void BM_TitleProcedure(benchmark::State& state) {
    overFolderTitles(state, [](const QString& path, TagRecord& record, const QString& format) {
        return displayTitleFor(path, record, format);
    });
}

// TagLib with the same code page 932 decoding and tag text cut.
QString fromCp932(const TagLib::ByteVector& data) {
    return tagText(QByteArrayView(data.data(), data.size()));
}

TagLib::String toTagLib(const QString& text) {
    return TagLib::String(text.toStdWString());
}

QString fromTagLib(const TagLib::String& text) {
    return QString::fromStdWString(text.toWString());
}

struct Id3v1Cp932 : TagLib::ID3v1::StringHandler {
    TagLib::String parse(const TagLib::ByteVector& data) const override { return toTagLib(fromCp932(data)); }
};

struct InfoCp932 : TagLib::RIFF::Info::StringHandler {
    TagLib::String parse(const TagLib::ByteVector& data) const override { return toTagLib(fromCp932(data)); }
};

bool readWithTagLib(const QString& path, TagRecord& record) {
    static const Id3v1Cp932 id3v1Handler;
    static const InfoCp932 infoHandler;
    TagLib::ID3v1::Tag::setStringHandler(&id3v1Handler);
    TagLib::RIFF::Info::Tag::setStringHandler(&infoHandler);
    const QByteArray name = QFile::encodeName(path);
    const TagLib::Tag* tag = nullptr;
    std::unique_ptr<TagLib::File> file;
    if (path.endsWith(u".rmp")) {
        auto wav = std::make_unique<TagLib::RIFF::WAV::File>(name.constData(), false);
        tag = wav->hasInfoTag() ? wav->InfoTag() : nullptr;
        file = std::move(wav);
    } else {
        auto mpeg = std::make_unique<TagLib::MPEG::File>(name.constData(), false);
        tag = mpeg->hasID3v1Tag() ? mpeg->ID3v1Tag() : nullptr;
        file = std::move(mpeg);
    }
    record = TagRecord{};
    if (!tag)
        return false;
    record.artist = fromTagLib(tag->artist());
    record.title = fromTagLib(tag->title());
    record.album = fromTagLib(tag->album());
    record.release = tag->year() ? QString::number(tag->year()) : QString();
    record.comment = fromTagLib(tag->comment());
    return true;
}

void BM_TagLibTags(benchmark::State& state) {
    overMusicFiles(state, readWithTagLib);
}

void BM_TagLibTitle(benchmark::State& state) {
    overFolderTitles(state, [](const QString& path, TagRecord& record, const QString& format) {
        return readWithTagLib(path, record) ? formatDisplayTitle(format, path, record) : fileNameOf(path);
    });
}

// The RMP3 files of up to 4 GiB that cost the reader the most: nothing but empty chunks, a LIST of nothing
// but empty sub-chunks, LIST chunks of the longest texts. Sparse: a hole reads as empty chunks.
QString hostileRmp3(int shape) {
    using namespace testing;
    static const QTemporaryDir dir;
    const QString path = dir.path() + u"/hostile"_s + QString::number(shape) + u".rmp"_s;
    QByteArray bytes = rmp3File({});
    if (shape == 1)
        bytes += riffChunkClaiming("LIST", 0x7FFF'FFFE, "INFO");
    for (int i = 0; shape == 2 && i < 64; ++i)
        bytes += riffChunkClaiming("LIST", 65'536, "INFO" + riffChunkClaiming("IART", 65'524, "")) +
                 QByteArray(65'524, 'a');
    writeFile(path, bytes);
    QFile(path).resize(0xFFFF'FFFFLL);
    return path;
}

void BM_HostileRmp3(benchmark::State& state) {
    const QString path = hostileRmp3(int(state.range(0)));
    for (auto _ : state) {
        TagRecord record;
        benchmark::DoNotOptimize(readTags(path, record));
    }
}

BENCHMARK(BM_Floor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadTags)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DisplayFormat)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TitleProcedure)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TagLibTags)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TagLibTitle)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HostileRmp3)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tunedeck

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    // The folder is written, and so in the page cache, before anything is timed.
    tunedeck::folder();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
