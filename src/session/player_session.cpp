// SPDX-License-Identifier: GPL-3.0-or-later
#include "player_session.h"

#include "local_path.h"
#include "song_positions.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QMutexLocker>

#include <algorithm>

namespace tunedeck {
namespace {

using Ending = Outcome::Ending;

// What the desktop says of a call on an object that was never created.
const QString kNoObject = QStringLiteral("オブジェクト変数または With ブロック変数が設定されていません。");

// Raised inside a bracket: the player no longer holds what the list showed, or the run was cancelled
// between two songs.
struct PlayerChanged {};
struct RunCancelled {};

QString descriptionOf(const std::exception& error) {
    if (const auto* deviceError = dynamic_cast<const DeviceError*>(&error))
        return deviceError->description();
    return QString::fromLocal8Bit(error.what());
}

Outcome ended(Ending ending, const QString& description = {}) {
    return {.ending = ending, .description = description};
}

// The folder is still where the list showed it.
void requireFolder(DeviceComponent& device, PlayerMemory memory, qint16 index, const QString& name) {
    const std::vector<DeviceFolder> folders = device.Folders(memoryNumber(memory));
    if (index < 0 || index >= qint16(folders.size()) || folders[index].name != name)
        throw PlayerChanged{};
}

// The songs of the song's folder, once the folder is still the one the list showed.
std::vector<DeviceSong> songsBeside(DeviceComponent& device, const SongRef& song) {
    requireFolder(device, song.memory, song.folderIndex, song.folderName);
    return device.Songs(memoryNumber(song.memory), song.folderIndex);
}

// The song is at `index` of `songs`, as the list showed it.
void requireAt(const std::vector<DeviceSong>& songs, const SongRef& song, qint32 index) {
    if (index < 0 || index >= qint32(songs.size()) || songs[index].name != song.name ||
        songs[index].size != song.size || songs[index].identity != song.identity)
        throw PlayerChanged{};
}

std::vector<SongRef> songsOf(DeviceComponent& device, PlayerMemory memory, const FolderRef& folder) {
    std::vector<SongRef> songs;
    for (const DeviceSong& song : device.Songs(memoryNumber(memory), folder.index))
        songs.push_back({.memory = memory,
                         .folderIndex = folder.index,
                         .folderName = folder.name,
                         .index = qint32(songs.size()),
                         .name = song.name,
                         .size = song.size,
                         .identity = song.identity});
    return songs;
}

QStringList folderNames(DeviceComponent& device, PlayerMemory memory) {
    QStringList names;
    for (const DeviceFolder& each : device.Folders(memoryNumber(memory)))
        names << each.name;
    return names;
}

}  // namespace

// The progress of one run, kept on the session's thread. Reports are spaced out: a fast player moves a
// song's data in many small steps, and the window needs to see only a few of them.
class PlayerSession::Run {
  public:
    Run(PlayerSession& session, int songs, qint64 runTotal) : session_(session) {
        progress_.songs = songs;
        progress_.runTotal = runTotal;
        sinceReport_.start();
    }

    // Starts song `song` (from 1) of `songTotal` bytes.
    void start(int song, const QString& name, qint64 songTotal) {
        progress_.song = song;
        progress_.songBytes = 0;
        progress_.songTotal = songTotal;
        emit session_.songStarted(song, progress_.songs, name);
        report();
    }
    void finish() {
        ++progress_.songsDone;
        move(progress_.songTotal, progress_.songTotal);
        runBefore_ += progress_.songTotal;
    }
    // What the component calls as the song's data moves; false once the run is cancelled.
    TransferProgress mover() {
        return [this](qint64 done, qint64 total) {
            move(done, total);
            return !session_.cancelled();
        };
    }

  private:
    void move(qint64 done, qint64 total) {
        progress_.songBytes = done;
        progress_.songTotal = total;
        progress_.runBytes = runBefore_ + done;
        if (sinceReport_.elapsed() >= 40 || done == total)
            report();
    }
    void report() {
        sinceReport_.restart();
        emit session_.progressed(progress_);
    }

    PlayerSession& session_;
    RunProgress progress_;
    qint64 runBefore_ = 0;
    QElapsedTimer sinceReport_;
};

PlayerSession::PlayerSession(std::unique_ptr<DeviceComponent> device, PlayerWords words, QObject* parent)
    : QObject(parent), device_(std::move(device)), words_(std::move(words)), worker_(new QObject) {
    worker_->moveToThread(&thread_);
    thread_.start();
    if (auto* notices = dynamic_cast<GivesNotices*>(device_.get()))
        notices->setNotice([this](const QString& text) { emit noticed(text); });
}

PlayerSession::~PlayerSession() {
    // After what is queued there: the work under way and a release.
    QMetaObject::invokeMethod(
        worker_, [this] { thread_.quit(); }, Qt::QueuedConnection);
    thread_.wait();
    delete worker_;
}

void PlayerSession::setDisplayFont(const QString& faceName, qint32 pointSize) {
    const QMutexLocker locked(&fontLock_);
    fontName_ = faceName;
    fontSize_ = pointSize;
}

std::pair<QString, qint32> PlayerSession::displayFont() const {
    const QMutexLocker locked(&fontLock_);
    return {fontName_, fontSize_};
}

void PlayerSession::cancel() {
    cancelRequested_ = true;
}

void PlayerSession::stop() {
    stopping_ = true;
}

QString PlayerSession::oneAtATime() const {
    return worded(QStringLiteral("Rioとのやり取りが終わるまで、次の操作はできません。"), words_);
}

void PlayerSession::perform(std::function<Outcome()> work, Done done) {
    const auto reply = [this](const Outcome& outcome, Done done) {
        // Delivered after every signal the work raised.
        QMetaObject::invokeMethod(
            this,
            [this, outcome, done = std::move(done)] {
                idle_ = true;
                done(outcome);
            },
            Qt::QueuedConnection);
    };
    if (!idle_) {
        // Refused without touching the operation under way, whose end sets the session idle.
        QMetaObject::invokeMethod(
            this, [outcome = ended(Ending::Failed, oneAtATime()), done = std::move(done)] { done(outcome); },
            Qt::QueuedConnection);
        return;
    }
    idle_ = false;
    if (stopping_) {
        reply(ended(Ending::Cancelled), std::move(done));
        return;
    }
    cancelRequested_ = false;
    // `done` travels back whole and is never destroyed on the session's thread: what it holds belongs to the
    // owner's.
    QMetaObject::invokeMethod(
        worker_,
        [reply, work = std::move(work), done = std::move(done)]() mutable { reply(work(), std::move(done)); },
        Qt::QueuedConnection);
}

namespace {

int filesKept(const DeviceComponent& device) {
    const auto* kept = dynamic_cast<const KeptFiles*>(&device);
    return kept ? kept->FilesKept() : 0;
}

// `outcome` ended as `bracketOutcome`, keeping the counts of the run so far.
Outcome endedAs(Outcome outcome, const Outcome& bracketOutcome) {
    outcome.ending = bracketOutcome.ending;
    outcome.description = bracketOutcome.description;
    outcome.notConnected = bracketOutcome.notConnected;
    outcome.inUse = bracketOutcome.inUse;
    return outcome;
}

}  // namespace

Outcome PlayerSession::open(bool closeAfterFailure) {
    DeviceComponent* const device = device_.get();
    if (!device)
        return ended(Ending::Failed, kNoObject);
    try {
        device->Open();
        return {};
    } catch (const std::exception& error) {
        if (closeAfterFailure)
            closeQuietly();
        Outcome outcome = ended(Ending::Failed, descriptionOf(error));
        const auto* deviceError = dynamic_cast<const DeviceError*>(&error);
        outcome.notConnected = deviceError && deviceError->kind() == DeviceError::Kind::NotConnected;
        outcome.inUse = deviceError && deviceError->kind() == DeviceError::Kind::InUse;
        return outcome;
    }
}

Outcome PlayerSession::within(const std::function<void(DeviceComponent&)>& work) {
    try {
        work(*device_);
        return {};
    } catch (const PlayerChanged&) {
        closeQuietly();
        return ended(Ending::Changed);
    } catch (const RunCancelled&) {
        closeQuietly();
        return ended(Ending::Cancelled);
    } catch (const std::exception& error) {
        closeQuietly();
        // A song stopped partway by a cancel fails; the cancel is what ended it.
        return ended(cancelled() ? Ending::Cancelled : Ending::Failed, descriptionOf(error));
    }
}

Outcome PlayerSession::close() {
    try {
        device_->Close();
        return {};
    } catch (const std::exception& error) {
        // Once more, so that what the failed Close left held is let go.
        closeQuietly();
        return ended(Ending::Failed, descriptionOf(error));
    }
}

void PlayerSession::closeQuietly() {
    try {
        device_->Close();
    } catch (const std::exception&) {
        // Already failing: the first error is the one to report.
    }
}

Outcome PlayerSession::bracket(const std::function<void(DeviceComponent&)>& work, bool closeAfterFailedOpen) {
    if (Outcome opened = open(closeAfterFailedOpen); !opened.ok())
        return opened;
    const Outcome outcome = within(work);
    return outcome.ok() ? close() : outcome;
}

// The brackets of one run of songs: one a song, or one for the whole run where the player keeps its
// connection. A song that fails closes the run's bracket, so the next one finds and opens the player afresh.
class PlayerSession::RunBrackets {
  public:
    explicit RunBrackets(PlayerSession& session)
        : session_(session), whole_(dynamic_cast<const KeepsConnection*>(session.device_.get()) != nullptr) {}
    ~RunBrackets() {
        if (open_)
            session_.closeQuietly();
    }
    RunBrackets(const RunBrackets&) = delete;
    RunBrackets& operator=(const RunBrackets&) = delete;

    // Whether the run is one bracket, the player held throughout.
    bool keepsConnection() const { return whole_; }

    Outcome step(const std::function<void(DeviceComponent&)>& work) {
        if (!whole_)
            return session_.bracket(work);
        if (!open_) {
            if (Outcome opened = session_.open(true); !opened.ok())
                return opened;
            open_ = true;
        }
        Outcome outcome = session_.within(work);
        open_ = outcome.ok();
        return outcome;
    }
    // `run` once the run's last bracket has closed, or failed as that Close failed.
    Outcome end(const Outcome& run) {
        if (!std::exchange(open_, false))
            return run;
        const Outcome closed = session_.close();
        return closed.ok() ? run : endedAs(run, closed);
    }

  private:
    PlayerSession& session_;
    const bool whole_;
    bool open_ = false;
};

void PlayerSession::readPane(PlayerMemory memory, std::optional<FolderRef> folder, ReadingDone done) {
    const auto reading = std::make_shared<PaneReading>();
    const auto work = [this, memory, folder, reading]() mutable {
        if (!device_)
            return Outcome{.ending = Ending::Failed, .description = kNoObject, .notConnected = true};
        return bracket(
            [&](DeviceComponent& device) {
                emit opened();
                reading->cardPresent = device.ExtFlash() == 1;
                if (!folder) {
                    const QStringList names = folderNames(device, memory);
                    reading->folders = names;
                    folder = names.isEmpty() ? FolderRef{} : FolderRef{.index = 0, .name = names.first()};
                }
                if (folder->index >= 0)
                    reading->songs = songsOf(device, memory, *folder);
                reading->available = device.AvailableMemory(memoryText(memory));
            },
            false);
    };
    perform(work, [reading, done = std::move(done)](const Outcome& outcome) { done(outcome, *reading); });
}

void PlayerSession::readMemory(PlayerMemory memory, MemoryReadingDone done) {
    const auto reading = std::make_shared<MemoryReading>();
    const auto work = [this, memory, reading] {
        if (!device_)
            return Outcome{.ending = Ending::Failed, .description = kNoObject, .notConnected = true};
        return bracket(
            [&](DeviceComponent& device) {
                reading->cardPresent = device.ExtFlash() == 1;
                if (memory == PlayerMemory::Card && !*reading->cardPresent)
                    return;
                reading->folders = folderNames(device, memory);
                for (qint16 folder = 0; folder < reading->folders.size(); ++folder)
                    reading->songs.push_back(songsOf(device, memory, {folder, reading->folders[folder]}));
                reading->available = device.AvailableMemory(memoryText(memory));
            },
            false);
    };
    perform(work, [reading, done = std::move(done)](const Outcome& outcome) { done(outcome, *reading); });
}

void PlayerSession::send(PlayerMemory memory, qint16 folderIndex, QStringList files, TitleOf titleOf,
                         AfterRefusal afterRefusal, Done done) {
    const auto work = [this, memory, folderIndex, files = std::move(files), titleOf = std::move(titleOf),
                       afterRefusal] {
        const QString noFolder =
            worded(QStringLiteral("Rioにフォルダがありません。フォルダは必ず必要です。"), words_);
        qint64 total = 0;
        for (const QString& file : files)
            total += std::max<qint64>(fileSize(file), 0);
        Run run(*this, int(files.size()), total);
        RunBrackets brackets(*this);
        Outcome outcome;
        for (int i = 0; i < files.size(); ++i) {
            if (cancelled())
                return endedAs(outcome, ended(Ending::Cancelled));
            const QString title = titleOf(files[i]);
            run.start(i + 1, title, std::max<qint64>(fileSize(files[i]), 0));
            const Outcome one = folderIndex < 0 ? ended(Ending::Failed, noFolder)
                                                : brackets.step([&](DeviceComponent& device) {
                                                      const auto [faceName, pointSize] = displayFont();
                                                      device.FontName(faceName);
                                                      device.FontSize(pointSize);
                                                      device.AddSong(folderIndex, title, files[i],
                                                                     memoryText(memory), run.mover());
                                                  });
            if (one.ok()) {
                ++outcome.done;
                run.finish();
            } else if (one.ending == Ending::Failed && afterRefusal == AfterRefusal::GoOn) {
                ++outcome.failed;
                outcome.description = one.description;
                emit songRefused(one.description);
            } else {
                return endedAs(outcome, one);
            }
        }
        return brackets.end(outcome);
    };
    perform(work, std::move(done));
}

namespace {

// The computer folder's files as a sync compares them: titled now, named as the player's list would show
// them, and sized.
std::vector<SyncSource> syncSources(DeviceComponent& device, const SyncRequest& request,
                                    const PlayerSession::TitleOf& titleOf) {
    auto* const names = dynamic_cast<ShowsSongNames*>(&device);
    std::vector<SyncSource> sources;
    for (const QString& file : request.files) {
        const QString title = titleOf(file);
        sources.push_back(
            {.path = file,
             .title = title,
             .shown = names ? names->ShownSongName(title, file, memoryText(request.memory)) : title,
             .size = fileSize(file)});
    }
    return sources;
}

// The folder a sync works on: the request's, still where the list showed it; or the first of the memory's
// folders that the new one would be, named as the player names it; or none yet (-1).
FolderRef syncFolder(DeviceComponent& device, const SyncRequest& request) {
    if (request.folder) {
        requireFolder(device, request.memory, request.folder->index, request.folder->name);
        return *request.folder;
    }
    const QStringList names = folderNames(device, request.memory);
    auto* const named = dynamic_cast<ShowsSongNames*>(&device);
    if (!named)
        return {qint16(names.indexOf(request.newFolder)), request.newFolder};
    const QString name = named->ShownFolderName(request.newFolder, memoryText(request.memory));
    for (qint16 i = 0; i < names.size(); ++i)
        if (names[i].compare(name, Qt::CaseInsensitive) == 0)
            return {i, names[i]};
    return {-1, name};
}

std::vector<DeviceSong> songsIn(DeviceComponent& device, PlayerMemory memory, qint16 folder) {
    return folder < 0 ? std::vector<DeviceSong>{} : device.Songs(memoryNumber(memory), folder);
}

}  // namespace

void PlayerSession::previewSync(SyncRequest request, TitleOf titleOf, SyncPreviewDone done) {
    const auto preview = std::make_shared<SyncPreview>();
    const auto work = [this, request = std::move(request), titleOf = std::move(titleOf), preview] {
        return bracket([&](DeviceComponent& device) {
            const std::vector<SyncSource> sources = syncSources(device, request, titleOf);
            const qint64 available = device.AvailableMemory(memoryText(request.memory));
            const auto summaryInto = [&](qint16 folder) {
                return planSync(sources, songsIn(device, request.memory, folder), available).summary;
            };
            if (request.folder)
                preview->intoFolder = summaryInto(syncFolder(device, request).index);
            SyncRequest asNew = request;
            asNew.folder.reset();
            const qint16 named = syncFolder(device, asNew).index;
            preview->newFolderExists = named >= 0;
            preview->intoNewFolder = summaryInto(named);
        });
    };
    perform(work, [preview, done = std::move(done)](const Outcome& outcome) { done(outcome, *preview); });
}

void PlayerSession::sync(SyncRequest request, TitleOf titleOf, SyncDone done) {
    const auto result = std::make_shared<SyncResult>();
    const auto work = [this, request = std::move(request), titleOf = std::move(titleOf), result] {
        const QString memory = memoryText(request.memory);
        RunBrackets brackets(*this);
        Outcome outcome;
        std::vector<SyncSource> sources;
        SyncPlan plan;
        FolderRef folder;
        std::vector<DeviceSong> listed;
        const Outcome planned = brackets.step([&](DeviceComponent& device) {
            folder = syncFolder(device, request);
            if (folder.index < 0) {
                const auto [faceName, pointSize] = displayFont();
                device.FontName(faceName);
                device.FontSize(pointSize);
                const QStringList before = folderNames(device, request.memory);
                device.AddFolder(request.newFolder, memory);
                const QStringList after = folderNames(device, request.memory);
                // The player may have made the name its own (FAT's form of it); the folder is the one new.
                for (qint16 i = 0; i < after.size() && folder.index < 0; ++i)
                    if (!before.contains(after[i]))
                        folder = {i, after[i]};
                if (folder.index < 0)
                    throw PlayerChanged{};
            }
            sources = syncSources(device, request, titleOf);
            listed = songsIn(device, request.memory, folder.index);
            plan = planSync(sources, listed, device.AvailableMemory(memory));
        });
        if (!planned.ok())
            return planned;
        result->folder = folder;
        result->planned = plan.summary;

        // The songs that go leave room for those that come; from the last, so that the others keep their
        // places.
        if (request.removeOnlyOnPlayer)
            for (auto extra = plan.extra.rbegin(); extra != plan.extra.rend(); ++extra) {
                if (cancelled())
                    return endedAs(outcome, ended(Ending::Cancelled));
                const Outcome one = brackets.step([&](DeviceComponent& device) {
                    requireFolder(device, request.memory, folder.index, folder.name);
                    const std::vector<DeviceSong> now = songsIn(device, request.memory, folder.index);
                    const DeviceSong& was = listed[*extra];
                    requireAt(now, {.name = was.name, .size = was.size, .identity = was.identity}, *extra);
                    outcome.askedToChange = true;
                    device.DeleteSong(folder.index, *extra, memory);
                });
                if (!one.ok())
                    return endedAs(outcome, one);
                ++result->removed;
            }

        Run run(*this, int(plan.send.size()), plan.summary.sendBytes);
        for (size_t i = 0; i < plan.send.size(); ++i) {
            if (cancelled())
                return endedAs(outcome, ended(Ending::Cancelled));
            const SyncSource& source = sources[plan.send[i]];
            run.start(int(i) + 1, source.title, std::max<qint64>(source.size, 0));
            bool sentMeanwhile = false;
            const Outcome one = brackets.step([&](DeviceComponent& device) {
                requireFolder(device, request.memory, folder.index, folder.name);
                // Between two brackets another program may have had the player, and sent this very song in
                // a sync of its own.
                if (!brackets.keepsConnection()) {
                    const std::vector<DeviceSong> now = songsIn(device, request.memory, folder.index);
                    sentMeanwhile = planSync(sources, now, 0).matched[plan.send[i]] >= 0;
                    if (sentMeanwhile)
                        return;
                }
                const auto [faceName, pointSize] = displayFont();
                device.FontName(faceName);
                device.FontSize(pointSize);
                device.AddSong(folder.index, source.title, source.path, memory, run.mover());
            });
            // A player gone or taken by another program refuses no song: the rest could not go either.
            if (one.ok()) {
                outcome.done += sentMeanwhile ? 0 : 1;
                run.finish();
            } else if (one.ending == Ending::Failed && !one.notConnected && !one.inUse) {
                ++outcome.failed;
                outcome.description = one.description;
                emit songRefused(one.description);
            } else {
                return endedAs(outcome, one);
            }
        }

        if (cancelled())
            return endedAs(outcome, ended(Ending::Cancelled));
        // Held throughout a run that changed nothing, the folder is as it was listed.
        const bool asListed = brackets.keepsConnection() && outcome.done == 0 && result->removed == 0;
        const Outcome arranged = brackets.step([&](DeviceComponent& device) {
            if (!asListed)
                requireFolder(device, request.memory, folder.index, folder.name);
            const std::vector<qint32> order =
                followingOrder(sources, asListed ? listed : songsIn(device, request.memory, folder.index));
            const std::vector<SongSwap> swaps = swapsInto(order);
            if (swaps.empty())
                return;
            if (auto* arranges = dynamic_cast<ArrangesSongs*>(&device))
                arranges->ArrangeSongs(folder.index, order, memory);
            else
                for (const SongSwap& swap : swaps)
                    device.SwapSong(folder.index, swap.a, swap.b, memory);
            result->reordered = true;
        });
        if (!arranged.ok())
            return endedAs(outcome, arranged);
        return brackets.end(outcome);
    };
    perform(work, [result, done = std::move(done)](const Outcome& outcome) { done(outcome, *result); });
}

void PlayerSession::download(QList<SongRef> songs, TargetOf targetOf, Done done) {
    const auto work = [this, songs = std::move(songs), targetOf = std::move(targetOf)] {
        qint64 total = 0;
        for (const SongRef& song : songs)
            total += song.size;
        Run run(*this, int(songs.size()), total);
        Outcome outcome;
        const Outcome fetched = bracket([&](DeviceComponent& device) {
            if (songs.isEmpty())
                return;
            // The songs of one list, all in one folder, which nothing else changes while the bracket holds
            // the player.
            const std::vector<DeviceSong> listed = songsBeside(device, songs.first());
            for (const SongRef& song : songs)
                requireAt(listed, song, song.index);
            for (int i = 0; i < songs.size(); ++i) {
                if (cancelled())
                    throw RunCancelled{};
                run.start(i + 1, songs[i].name, songs[i].size);
                device.GetSong(songs[i].folderIndex, songs[i].index, targetOf(songs[i]),
                               memoryText(songs[i].memory), run.mover());
                ++outcome.done;
                run.finish();
            }
        });
        return endedAs(outcome, fetched);
    };
    perform(work, std::move(done));
}

void PlayerSession::remove(QList<SongRef> songs, Done done) {
    const auto work = [this, songs = std::move(songs)] {
        Run run(*this, int(songs.size()), 0);
        RunBrackets brackets(*this);
        Outcome outcome;
        for (int i = 0; i < songs.size(); ++i) {
            if (cancelled())
                return endedAs(outcome, ended(Ending::Cancelled));
            const SongRef& song = songs[i];
            run.start(i + 1, song.name, 0);
            const Outcome one = brackets.step([&](DeviceComponent& device) {
                const qint32 index = deletedSongIndex(song.position(), outcome.done);
                requireAt(songsBeside(device, song), song, index);
                outcome.askedToChange = true;
                device.DeleteSong(song.folderIndex, index, memoryText(song.memory));
            });
            if (!one.ok())
                return endedAs(outcome, one);
            ++outcome.done;
            run.finish();
        }
        return brackets.end(outcome);
    };
    perform(work, std::move(done));
}

void PlayerSession::swap(SongRef first, SongRef second, Done done) {
    const auto work = [this, first = std::move(first), second = std::move(second)] {
        return bracket([&](DeviceComponent& device) {
            const std::vector<DeviceSong> listed = songsBeside(device, first);
            requireAt(listed, first, first.index);
            requireAt(listed, second, second.index);
            device.SwapSong(first.folderIndex, first.index, second.index, memoryText(first.memory));
        });
    };
    perform(work, std::move(done));
}

void PlayerSession::createFolder(PlayerMemory memory, QString name, Done done) {
    const auto work = [this, memory, name = std::move(name)] {
        return bracket([&](DeviceComponent& device) {
            const auto [faceName, pointSize] = displayFont();
            device.FontName(faceName);
            device.FontSize(pointSize);
            device.AddFolder(name, memoryText(memory));
        });
    };
    perform(work, std::move(done));
}

void PlayerSession::removeFolder(PlayerMemory memory, qint16 folderIndex, QString folderName, Done done) {
    const auto work = [this, memory, folderIndex, folderName = std::move(folderName)] {
        int kept = 0;
        Outcome outcome = bracket([&](DeviceComponent& device) {
            requireFolder(device, memory, folderIndex, folderName);
            device.DeleteFolder(folderIndex, memoryText(memory));
            kept = filesKept(device);
        });
        outcome.kept = kept;
        return outcome;
    };
    perform(work, std::move(done));
}

void PlayerSession::format(PlayerMemory memory, Done done) {
    const auto work = [this, memory] {
        int kept = 0;
        Outcome outcome = bracket([&](DeviceComponent& device) {
            device.Format(memoryText(memory));
            kept = filesKept(device);
        });
        outcome.kept = kept;
        return outcome;
    };
    perform(work, std::move(done));
}

void PlayerSession::aside(std::function<void()> work, Done done) {
    const auto aside = [work = std::move(work)] {
        try {
            work();
            return Outcome{};
        } catch (const DeviceError& error) {
            return ended(Ending::Failed, error.description());
        }
    };
    perform(aside, std::move(done));
}

void PlayerSession::release() {
    // Queued behind the operation under way, if any, on the session's thread, which ends only after it. The
    // program ends or leaves this player either way.
    QMetaObject::invokeMethod(
        worker_,
        [this] {
            if (device_)
                closeQuietly();
        },
        Qt::QueuedConnection);
}

Outcome waitFor(const std::function<void(PlayerSession::Done)>& begin) {
    QEventLoop loop;
    std::optional<Outcome> outcome;
    begin([&](const Outcome& ended) {
        outcome = ended;
        loop.quit();
    });
    if (!outcome)
        loop.exec();
    return *outcome;
}

namespace {

// The continuation of an operation that reads: what it read kept in `into`, then the wait ended.
template <typename Read>
auto keeping(Read& into, PlayerSession::Done done) {
    return [&into, done = std::move(done)](const Outcome& outcome, const Read& read) {
        into = read;
        done(outcome);
    };
}

}  // namespace

Outcome waitFor(PlayerSession& session, PlayerMemory memory, std::optional<FolderRef> folder,
                PaneReading& reading) {
    return waitFor(
        [&](PlayerSession::Done done) { session.readPane(memory, folder, keeping(reading, done)); });
}

Outcome waitFor(PlayerSession& session, const SyncRequest& request, const PlayerSession::TitleOf& titleOf,
                SyncPreview& preview) {
    return waitFor(
        [&](PlayerSession::Done done) { session.previewSync(request, titleOf, keeping(preview, done)); });
}

Outcome waitFor(PlayerSession& session, const SyncRequest& request, const PlayerSession::TitleOf& titleOf,
                SyncResult& result) {
    return waitFor([&](PlayerSession::Done done) { session.sync(request, titleOf, keeping(result, done)); });
}

Outcome waitFor(PlayerSession& session, PlayerMemory memory, MemoryReading& reading) {
    return waitFor([&](PlayerSession::Done done) { session.readMemory(memory, keeping(reading, done)); });
}

}  // namespace tunedeck
