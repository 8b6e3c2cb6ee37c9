#include "player_store.h"

#include "device_component.h"
#include "display_bitmap.h"
#include "player_texts.h"
#include "song_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>

#include <algorithm>

namespace tunedeck {
namespace {

const QString kLockName = QStringLiteral("lock");
const QString kStateName = QStringLiteral("device.json");
const QString kDataFolder = QStringLiteral("data");

QString catalogueName(Memory memory) {
    return QStringLiteral("memory%1.json").arg(indexOf(memory));
}

constexpr std::array<Memory, 2> kMemories{Memory::Internal, Memory::Card};

void writeSafely(const QString& path, const QByteArray& bytes) {
    // Unbuffered: a buffered write that the disk cuts short fails only inside commit(), which ignores it and
    // puts the short catalogue in place.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(bytes) != bytes.size() ||
        !file.commit())
        throw DeviceError(player_texts::kStoreUnwritable + file.errorString());
}

QByteArray readWhole(const QString& path, const QString& name) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw DeviceError(player_texts::kStoreDamaged + name);
    return file.readAll();
}

// QSaveFile writes "<name>.XXXXXX" beside the file it replaces; a crash leaves it there.
bool isUnfinishedWrite(const QString& entry) {
    return std::any_of(
               kMemories.cbegin(), kMemories.cend(),
               [&](Memory memory) { return entry.startsWith(catalogueName(memory) + QLatin1Char('.')); }) ||
           entry.startsWith(kStateName + QLatin1Char('.'));
}

// What a new store holds in each memory: one empty folder in the internal memory, nothing on the card.
MemoryCatalogue freshCatalogue(Memory memory) {
    MemoryCatalogue catalogue;
    if (memory == Memory::Internal) {
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

QSet<QString> dataFilesOf(const MemoryCatalogue& catalogue) {
    QSet<QString> names;
    for (const StoredFolder& folder : catalogue.folders)
        for (const StoredSong& song : folder.songs)
            names.insert(song.dataFile);
    return names;
}

// A process killed between creating the lock file and writing its id into it leaves an empty file that
// QLockFile never takes for stale, which would keep the player in use for good. An owner still alive holds
// the file's native lock from just after creating it, and removeStaleLockFile removes the file only when
// that lock is free.
bool takeOverEmptyLock(QLockFile& lock) {
    return lock.error() == QLockFile::LockFailedError && QFileInfo(lock.fileName()).size() == 0 &&
           lock.removeStaleLockFile() && lock.tryLock(0);
}

}  // namespace

const QString PlayerStore::kFirstFolderName = QStringLiteral("MUSIC");

PlayerStore::PlayerStore(const QString& folder, StoreHooks hooks)
    : folder_(folder), hooks_(std::move(hooks)) {}

void PlayerStore::open() {
    if (lock_)
        throw DeviceError(player_texts::kAlreadyOpen);
    if (!QDir().mkpath(folder_))
        throw DeviceError(player_texts::kStoreUnwritable + folder_);
    auto lock = std::make_unique<QLockFile>(path(kLockName));
    // A lock is stale only when its process is gone, never because the app has kept it a while.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0) && !takeOverEmptyLock(*lock))
        throw DeviceError(lock->error() == QLockFile::LockFailedError
                              ? player_texts::kInUse
                              : player_texts::kStoreUnwritable + folder_);
    if (isNewStore())
        initialise();
    load();
    sweep();
    lock_ = std::move(lock);
}

void PlayerStore::close() {
    lock_.reset();
}

void PlayerStore::commitState(const DeviceState& state) {
    writeSafely(path(kStateName), deviceStateToJson(state));
    state_ = state;
}

void PlayerStore::commitCatalogue(Memory memory, MemoryCatalogue next) {
    MemoryCatalogue& current = catalogues_[indexOf(memory)];
    try {
        writeSafely(path(catalogueName(memory)), catalogueToJson(next));
    } catch (const DeviceError&) {
        removeDataNotIn(current, next);
        throw;
    }
    removeDataNotIn(next, current);
    current = std::move(next);
}

StoredSong PlayerStore::importSong(const QString& source, qint64 limit) {
    StoredSong song{.dataFile = newDataFileName()};
    song.size = copyIntoStore(source, dataPath(song.dataFile), limit);
    if (hooks_.afterSongData)
        hooks_.afterSongData();
    return song;
}

void PlayerStore::exportSong(const StoredSong& song, const QString& target) const {
    // A download replaces the file a link leads to, as saving a document does, and must never land on the
    // store's own files.
    const QString linked = QFileInfo(target).canonicalFilePath();
    const QString destination = linked.isEmpty() ? target : linked;
    const QString targetFolder = QFileInfo(QFileInfo(destination).absolutePath()).canonicalFilePath();
    const QString store = QFileInfo(folder_).canonicalFilePath();
    if (targetFolder == store || targetFolder.startsWith(store + QLatin1Char('/')))
        throw DeviceError(player_texts::kUnwritableTarget + target);
    copyOutOfStore(dataPath(song.dataFile), song.size, destination);
}

QString PlayerStore::path(const QString& name) const {
    return folder_ + QLatin1Char('/') + name;
}

QString PlayerStore::dataPath(const QString& dataFile) const {
    return path(kDataFolder) + QLatin1Char('/') + dataFile;
}

bool PlayerStore::isNewStore() const {
    const QStringList entries =
        QDir(folder_).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    return std::all_of(entries.cbegin(), entries.cend(),
                       [this](const QString& name) { return name == kLockName || isLeftOfSetUp(name); });
}

// Set-up writes the device state last, so a folder without it holds at most what set-up wrote before it was
// cut short: an empty data folder, fresh catalogues, and the temporary file of a write under way.
bool PlayerStore::isLeftOfSetUp(const QString& name) const {
    if (name == kDataFolder)
        return QDir(path(kDataFolder))
            .isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    if (isUnfinishedWrite(name))
        return true;
    for (Memory memory : kMemories) {
        if (name != catalogueName(memory))
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
    for (Memory memory : kMemories)
        writeSafely(path(catalogueName(memory)), catalogueToJson(freshCatalogue(memory)));
    writeSafely(path(kStateName), deviceStateToJson(DeviceState{}));
}

void PlayerStore::load() {
    state_ = deviceStateFromJson(readWhole(path(kStateName), kStateName), kStateName);
    QSet<QString> seen;
    for (Memory memory : kMemories) {
        const QString name = catalogueName(memory);
        MemoryCatalogue catalogue = catalogueFromJson(readWhole(path(name), name), name);
        const QSet<QString> dataFiles = dataFilesOf(catalogue);
        if (catalogue.usedBytes() > capacityOf(memory) || seen.intersects(dataFiles))
            throw DeviceError(player_texts::kStoreDamaged + name);
        seen.unite(dataFiles);
        catalogues_[indexOf(memory)] = std::move(catalogue);
    }
}

void PlayerStore::sweep() const {
    QSet<QString> named;
    for (const MemoryCatalogue& catalogue : catalogues_)
        named.unite(dataFilesOf(catalogue));
    QDir data(path(kDataFolder));
    for (const QString& name : data.entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (!named.contains(name))
            data.remove(name);
    removeUnfinishedWrites();
}

void PlayerStore::removeUnfinishedWrites() const {
    for (const QString& name : QDir(folder_).entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (isUnfinishedWrite(name))
            QFile::remove(path(name));
}

void PlayerStore::removeDataNotIn(const MemoryCatalogue& kept, const MemoryCatalogue& from) const {
    const QSet<QString> keep = dataFilesOf(kept);
    for (const QString& name : dataFilesOf(from))
        if (!keep.contains(name))
            QFile::remove(dataPath(name));
}

}  // namespace tunedeck
