// SPDX-License-Identifier: GPL-3.0-or-later
#include "player_store.h"

#include "device_component.h"
#include "display_bitmap.h"
#include "lock_turns.h"
#include "player_texts.h"
#include "song_files.h"
#include "store_io.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace tunedeck {
namespace {

const QString kLockName = QStringLiteral("lock");
const QString kLineName = QStringLiteral("line");
const QString kStateName = QStringLiteral("device.json");
const QString kDataFolder = QStringLiteral("data");

constexpr std::array<PlayerMemory, 2> kMemories{PlayerMemory::Internal, PlayerMemory::Card};

// QSaveFile writes "<name>.XXXXXX" beside the file it replaces; a crash leaves it there.
bool isUnfinishedWrite(const QString& entry) {
    return std::any_of(kMemories.cbegin(), kMemories.cend(),
                       [&](PlayerMemory memory) {
                           return entry.startsWith(MemoryFiles::catalogueName(memory) + QLatin1Char('.'));
                       }) ||
           entry.startsWith(kStateName + QLatin1Char('.'));
}

// What a new store holds in each memory: one empty folder in the internal memory, nothing on the card.
MemoryCatalogue freshCatalogue(PlayerMemory memory) {
    MemoryCatalogue catalogue;
    if (memory == PlayerMemory::Internal) {
        const QString& name = PlayerStore::kFirstFolderName;
        catalogue.folders.push_back({.name = name, .display = renderDisplay(name, DisplayFont{})});
    }
    return catalogue;
}

bool sameFolders(const MemoryCatalogue& a, const MemoryCatalogue& b) {
    return std::equal(a.folders.cbegin(), a.folders.cend(), b.folders.cbegin(), b.folders.cend(),
                      [](const StoredFolder& x, const StoredFolder& y) {
                          return x.name == y.name && x.songs.empty() && y.songs.empty();
                      });
}

// A process killed between creating the lock file and writing its id into it leaves an empty file that
// QLockFile never takes for stale, which would keep the player in use for good. An owner still alive holds
// the file's native lock from just after creating it, and removeStaleLockFile removes the file only when
// that lock is free; as processes try the lock one at a time (lock_turns.h), none looks between another's
// creating the file and locking it.
bool takeOverEmptyLock(QLockFile& lock) {
    return lock.error() == QLockFile::LockFailedError && QFileInfo(lock.fileName()).size() == 0 &&
           lock.removeStaleLockFile() && lock.tryLock(0);
}

}  // namespace

const QString PlayerStore::kFirstFolderName = QStringLiteral("MUSIC");

PlayerStore::PlayerStore(const QString& folder, StoreHooks hooks)
    : folder_(folder),
      hooks_(hooks),
      memories_{MemoryFiles(folder, PlayerMemory::Internal, hooks),
                MemoryFiles(folder, PlayerMemory::Card, hooks)} {}

void PlayerStore::open() {
    if (lock_)
        throw DeviceError(player_texts::kAlreadyOpen);
    if (!QDir().mkpath(folder_))
        throw DeviceError(player_texts::kStoreUnwritable + folder_);
    std::unique_ptr<QLockFile> lock = this->lock();
    if (isNewStore())
        initialise();
    state_ = deviceStateFromJson(readWhole(path(kStateName), kStateName), kStateName);
    loadChanged();
    removeUnfinishedWrites();
    lock_ = std::move(lock);
}

void PlayerStore::close() {
    for (MemoryFiles& memory : memories_)
        memory.closeJournal();
    lock_.reset();
}

void PlayerStore::commitState(const DeviceState& state) {
    writeSafely(path(kStateName), deviceStateToJson(state));
    state_ = state;
}

const MemoryCatalogue& PlayerStore::catalogue(PlayerMemory memory) const {
    return memories_[memoryNumber(memory)].catalogue();
}

qint64 PlayerStore::usedBytes(PlayerMemory memory) const {
    return memories_[memoryNumber(memory)].usedBytes();
}

void PlayerStore::commitCatalogue(PlayerMemory memory, MemoryCatalogue next) {
    MemoryFiles& files = memories_[memoryNumber(memory)];
    const bool repairing = files.isDamaged();
    const QSet<QString> before = repairing ? QSet<QString>() : dataFilesOf(files.catalogue());
    const QSet<QString> after = dataFilesOf(next);
    files.rewrite(std::move(next));
    for (const QString& name : before - after)
        QFile::remove(dataPath(name));
    // The damaged catalogue's data was kept for rescue until now.
    if (repairing && !anyDamaged())
        sweep();
}

void PlayerStore::addSong(PlayerMemory memory, qint32 folder, StoredSong song) {
    MemoryFiles& files = memories_[memoryNumber(memory)];
    const QString dataFile = song.dataFile;
    try {
        files.add(folder, std::move(song));
    } catch (const DeviceError&) {
        QFile::remove(dataPath(dataFile));
        throw;
    }
    if (hooks_.reached)
        hooks_.reached(CrashPoint::JournalLine);
    files.compactIfDue();
}

StoredSong PlayerStore::importSong(const QString& source, qint64 limit, const TransferProgress& progress) {
    StoredSong song{.dataFile = newDataFileName()};
    song.size = copyIntoStore(source, dataPath(song.dataFile), limit, state_.speedKbps, progress);
    if (hooks_.reached)
        hooks_.reached(CrashPoint::SongData);
    return song;
}

void PlayerStore::exportSong(const StoredSong& song, const QString& target,
                             const TransferProgress& progress) const {
    // A download replaces the file a link leads to, as saving a document does, and must never land on the
    // store's own files.
    const QString linked = QFileInfo(target).canonicalFilePath();
    const QString destination = linked.isEmpty() ? target : linked;
    const QString targetFolder = QFileInfo(QFileInfo(destination).absolutePath()).canonicalFilePath();
    const QString store = QFileInfo(folder_).canonicalFilePath();
    if (targetFolder == store || targetFolder.startsWith(store + QLatin1Char('/')))
        throw DeviceError(player_texts::kUnwritableTarget + target);
    copyOutOfStore(dataPath(song.dataFile), song.size, destination, state_.speedKbps, progress);
}

QString PlayerStore::path(const QString& name) const {
    return folder_ + QLatin1Char('/') + name;
}

QString PlayerStore::dataPath(const QString& dataFile) const {
    return path(kDataFolder) + QLatin1Char('/') + dataFile;
}

std::unique_ptr<QLockFile> PlayerStore::lock() const {
    auto lock = std::make_unique<QLockFile>(path(kLockName));
    // A lock is stale only when its process is gone, never because the app has kept it a while.
    lock->setStaleLockTime(0);
    const auto tryLock = [&] {
        if (lock->tryLock(0) || takeOverEmptyLock(*lock))
            return true;
        if (lock->error() != QLockFile::LockFailedError)
            throw DeviceError(player_texts::kStoreUnwritable + folder_);
        return false;
    };
    // Another process's run lets the store go between two songs: the wait stands in line for that moment.
    if (!takeInTurn(path(kLineName), tryLock))
        throw DeviceError(player_texts::kInUse, DeviceError::Kind::InUse);
    return lock;
}

bool PlayerStore::isNewStore() const {
    const QStringList entries =
        QDir(folder_).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    return std::all_of(entries.cbegin(), entries.cend(), [this](const QString& name) {
        return name == kLockName || name == kLineName || isLeftOfSetUp(name);
    });
}

// Set-up writes the device state last, so a folder without it holds at most what set-up wrote before it was
// cut short: an empty data folder, fresh catalogues, and the temporary file of a write under way.
bool PlayerStore::isLeftOfSetUp(const QString& name) const {
    if (name == kDataFolder)
        return QDir(path(kDataFolder))
            .isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    if (isUnfinishedWrite(name))
        return true;
    for (PlayerMemory memory : kMemories) {
        if (name != MemoryFiles::catalogueName(memory))
            continue;
        try {
            return sameFolders(catalogueFromJson(readWhole(path(name), name), name), freshCatalogue(memory));
        } catch (const DeviceError&) {
            return false;
        }
    }
    return false;
}

void PlayerStore::initialise() {
    removeUnfinishedWrites();
    if (!QDir().mkpath(path(kDataFolder)))
        throw DeviceError(player_texts::kStoreUnwritable + path(kDataFolder));
    for (PlayerMemory memory : kMemories) {
        // What was kept of an earlier store in this folder is gone.
        MemoryFiles& files = memories_[memoryNumber(memory)];
        files = MemoryFiles(folder_, memory, hooks_);
        files.rewrite(freshCatalogue(memory));
    }
    writeSafely(path(kStateName), deviceStateToJson(DeviceState{}));
}

void PlayerStore::loadChanged() {
    bool loaded = false;
    for (MemoryFiles& memory : memories_) {
        if (!memory.isCurrent()) {
            memory.load();
            loaded = true;
        }
    }
    if (!loaded)
        return;
    if (!anyDamaged() &&
        dataFilesOf(memories_[0].catalogue()).intersects(dataFilesOf(memories_[1].catalogue())))
        memories_[1].declareDamaged();
    if (!anyDamaged())
        sweep();
}

bool PlayerStore::anyDamaged() const {
    return std::any_of(memories_.cbegin(), memories_.cend(),
                       [](const MemoryFiles& memory) { return memory.isDamaged(); });
}

void PlayerStore::sweep() const {
    QSet<QString> named;
    for (const MemoryFiles& memory : memories_) {
        named.unite(dataFilesOf(memory.catalogue()));
        memory.removeStaleJournals();
    }
    QDir data(path(kDataFolder));
    for (const QString& name : data.entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (!named.contains(name))
            data.remove(name);
}

void PlayerStore::removeUnfinishedWrites() const {
    for (const QString& name : QDir(folder_).entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (isUnfinishedWrite(name))
            QFile::remove(path(name));
}

}  // namespace tunedeck
