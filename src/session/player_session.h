// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device_component.h"
#include "player_memory.h"
#include "player_words.h"
#include "sync_plan.h"

#include <QMutex>
#include <QObject>
#include <QStringList>
#include <QThread>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tunedeck {

// A song as a list showed it: where it was and what it was. Nothing is found again from a text on screen.
struct SongRef {
    PlayerMemory memory = PlayerMemory::Internal;
    qint16 folderIndex = 0;
    QString folderName;
    qint32 index = 0;  // in its folder, from 0
    QString name;
    qint64 size = 0;
    QString identity;  // DeviceSong::identity

    qint32 position() const { return index + 1; }  // in the song list, from 1
};

// A folder as a list showed it.
struct FolderRef {
    qint16 index = -1;
    QString name;
};

// What one reading of the player pane found. A part is there once it was read, also when a later step
// failed, so the window can show what it learnt.
struct PaneReading {
    std::optional<bool> cardPresent;
    std::optional<QStringList> folders;         // read again; the first one is the folder listed
    std::optional<std::vector<SongRef>> songs;  // of the folder listed
    std::optional<qint64> available;            // bytes free in the memory
};

// What one reading of a whole memory found: every folder with its songs.
struct MemoryReading {
    std::optional<bool> cardPresent;
    QStringList folders;
    std::vector<std::vector<SongRef>> songs;  // of each folder
    std::optional<qint64> available;
};

// How one operation ended.
struct Outcome {
    enum class Ending {
        Done,
        Failed,     // `description` says why
        Cancelled,  // stopped by cancel(); what was done before stays done
        Changed,    // the player no longer held what the list showed; nothing was done to that song
    };
    Ending ending = Ending::Done;
    QString description;
    bool notConnected = false;   // failed because no player answered Open
    bool inUse = false;          // failed because another program held the player past Open's wait
    int done = 0;                // songs sent, fetched or deleted
    int failed = 0;              // files refused in a run that goes on after a refusal
    bool askedToChange = false;  // a deletion reached the player before the run ended
    int kept = 0;                // files a folder removal or a format left, being no songs of the player

    bool ok() const { return ending == Ending::Done; }
};

// Where a run of songs stands.
struct RunProgress {
    int song = 0;  // from 1
    int songs = 0;
    int songsDone = 0;
    qint64 songBytes = 0;
    qint64 songTotal = 0;
    qint64 runBytes = 0;
    qint64 runTotal = 0;
};

// A player folder that is to follow a computer folder's music files `files`, in their order (the file
// list's): `folder`, or where that is empty, the folder named `newFolder`, made when the memory has none of
// that name.
struct SyncRequest {
    PlayerMemory memory = PlayerMemory::Internal;
    std::optional<FolderRef> folder;
    QString newFolder;
    QStringList files;
    bool removeOnlyOnPlayer = false;  // the songs no file is go
};

// What a sync would do: into the request's folder, where it names one, and into the folder named
// `newFolder` (every file to send while the memory has no folder of that name).
struct SyncPreview {
    std::optional<SyncSummary> intoFolder;
    SyncSummary intoNewFolder;
    bool newFolderExists = false;
};

// What a sync did: `planned` as it found the folder; Outcome::done counts the songs sent and
// Outcome::failed those the player refused.
struct SyncResult {
    FolderRef folder;  // the folder synced into, named as the player lists it; index -1 before it was found
    SyncSummary planned;
    int removed = 0;
    bool reordered = false;
};

// The one way to a player. It owns the device object and a thread on which every call of it runs, so the
// caller's thread never waits on the player: each operation below returns at once, and its continuation
// `done` is called with its outcome on the thread that owns the session, queued (never inside the call that
// began the operation), after every signal the work raised. Nothing waits in a loop of its own meanwhile, so
// no handler of the caller runs inside another. Each operation is made of Open..Close brackets, and none
// overlaps another: one begun while another is under way is refused (its continuation gets oneAtATime()), the
// one under way going on untouched.
class PlayerSession : public QObject {
    Q_OBJECT
  public:
    enum class AfterRefusal { Stop, GoOn };
    using TitleOf = std::function<QString(const QString& filePath)>;
    using TargetOf = std::function<QString(const SongRef& song)>;
    using Done = std::function<void(const Outcome& outcome)>;
    using ReadingDone = std::function<void(const Outcome& outcome, const PaneReading& reading)>;
    using MemoryReadingDone = std::function<void(const Outcome& outcome, const MemoryReading& reading)>;
    using SyncPreviewDone = std::function<void(const Outcome& outcome, const SyncPreview& preview)>;
    using SyncDone = std::function<void(const Outcome& outcome, const SyncResult& result)>;

    // `device` may be empty (its component could not be created): then every operation fails. `words` are
    // what the session's own texts call the player.
    PlayerSession(std::unique_ptr<DeviceComponent> device, PlayerWords words, QObject* parent = nullptr);
    ~PlayerSession() override;

    DeviceComponent* device() const { return device_.get(); }
    // What an operation begun while another is under way ends with.
    QString oneAtATime() const;
    // No operation under way: none begun, or the last one's continuation called.
    bool isIdle() const { return idle_; }

    // The font in which the player draws the titles and folder names sent from now on.
    void setDisplayFont(const QString& faceName, qint32 pointSize);

    // The card, the folders (without `folder`: read again, and the first one listed), the songs of the folder
    // and the free memory.
    void readPane(PlayerMemory memory, std::optional<FolderRef> folder, ReadingDone done);
    // The card, and where it is there or `memory` is the internal one, every folder with its songs and the
    // free memory, in one bracket.
    void readMemory(PlayerMemory memory, MemoryReadingDone done);
    // Each file in a bracket of its own (or all in one, where the player keeps its connection), titled by
    // `titleOf` (called on the session's thread).
    void send(PlayerMemory memory, qint16 folderIndex, QStringList files, TitleOf titleOf,
              AfterRefusal afterRefusal, Done done);
    // What `request` would do, read in one bracket that changes nothing; each file titled by `titleOf`
    // (called on the session's thread).
    void previewSync(SyncRequest request, TitleOf titleOf, SyncPreviewDone done);
    // `request` as a run of songs: the files not on the player are sent (a refused one is named by
    // songRefused and the rest go on), the songs no file is go where asked, and the folder is put into the
    // files' order. A run stopped or cut short leaves every song it sent whole, and a sync made again sends
    // only what is still missing.
    void sync(SyncRequest request, TitleOf titleOf, SyncDone done);
    // The songs (of one folder), all in one bracket, each into the file `targetOf` names.
    void download(QList<SongRef> songs, TargetOf targetOf, Done done);
    // Each song in a bracket of its own (or all in one, as a send); every deletion moves the later songs of
    // the folder up by one, and the ones still to go are asked for where they have moved.
    void remove(QList<SongRef> songs, Done done);
    void swap(SongRef first, SongRef second, Done done);
    void createFolder(PlayerMemory memory, QString name, Done done);
    void removeFolder(PlayerMemory memory, qint16 folderIndex, QString folderName, Done done);
    void format(PlayerMemory memory, Done done);
    // `work` on the session's thread, outside any bracket: what reaches the player by other ways than the
    // device (unmounting it for removal). A DeviceError it throws is the failure.
    void aside(std::function<void()> work, Done done);
    // Close with its failure ignored, after the operation under way: the player released when the program
    // ends or another player is chosen. The session's end waits for it.
    void release();

    // Stops the operation under way: between songs at once, inside a song where the component can. The song
    // in flight leaves nothing behind.
    void cancel();
    // Cancels, and every later operation ends cancelled at once: the program is ending.
    void stop();

  signals:
    void opened();  // a pane reading has reached the player
    void songStarted(int song, int songs, const QString& name);
    void songRefused(const QString& description);  // in a run that goes on
    void progressed(const tunedeck::RunProgress& progress);
    void noticed(const QString& text);  // what the player did on its own that the user should hear of

  private:
    class Run;
    class RunBrackets;

    // Runs `work` on the session's thread, then `done` with its outcome on the owner's.
    void perform(std::function<Outcome()> work, Done done);
    // One bracket, on the session's thread: Open, `work`, Close. A failure closes the device with its own
    // failure ignored; so is a failed Open, unless `closeAfterFailedOpen` is false (a reading only looks).
    Outcome bracket(const std::function<void(DeviceComponent&)>& work, bool closeAfterFailedOpen = true);
    // A bracket's parts: Open; `work`, closing the device quietly when it fails; Close.
    Outcome open(bool closeAfterFailure);
    Outcome within(const std::function<void(DeviceComponent&)>& work);
    Outcome close();
    void closeQuietly();
    bool cancelled() const { return cancelRequested_ || stopping_; }
    std::pair<QString, qint32> displayFont() const;

    std::unique_ptr<DeviceComponent> device_;
    const PlayerWords words_;
    QThread thread_;
    QObject* worker_;  // lives on thread_: the context the work runs in
    std::atomic<bool> cancelRequested_ = false;
    std::atomic<bool> stopping_ = false;
    bool idle_ = true;  // on the owner's thread
    mutable QMutex fontLock_;
    QString fontName_;
    qint32 fontSize_ = 0;
};

// For programs without a window (tunedeck-player, tests): begins an operation with `begin`, handing it the
// continuation, and returns its outcome once that has been called, waiting in an event loop of its own. With
// no window nothing but the session's own signals can run in that loop. A window never waits so: its handlers
// go on in their continuations, or one would run inside another.
Outcome waitFor(const std::function<void(PlayerSession::Done)>& begin);
// A pane reading, waited for as above, into `reading`.
Outcome waitFor(PlayerSession& session, PlayerMemory memory, std::optional<FolderRef> folder,
                PaneReading& reading);
// A sync's preview and a sync, waited for as above.
Outcome waitFor(PlayerSession& session, const SyncRequest& request, const PlayerSession::TitleOf& titleOf,
                SyncPreview& preview);
Outcome waitFor(PlayerSession& session, const SyncRequest& request, const PlayerSession::TitleOf& titleOf,
                SyncResult& result);
// A reading of a whole memory, waited for as above, into `reading`.
Outcome waitFor(PlayerSession& session, PlayerMemory memory, MemoryReading& reading);

}  // namespace tunedeck
