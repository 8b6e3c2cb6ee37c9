// SPDX-License-Identifier: GPL-3.0-or-later
#include "mass_storage_player.h"

#include "entry_order.h"
#include "fat_names.h"
#include "file_player_texts.h"
#include "folder_entries.h"
#include "folder_listings.h"
#include "index_range.h"
#include "local_path.h"
#include "lock_turns.h"
#include "new_folder_name.h"
#include "play_order.h"
#include "player_memory.h"
#include "player_texts.h"
#include "playlist.h"
#include "volume_files.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <cerrno>

namespace tunedeck {
namespace {

// FAT keeps a file's size in 32 bits.
constexpr qint64 kFatLargestFile = (qint64(1) << 32) - 1;

bool isHidden(const QString& name) {
    return name.startsWith(u'.');
}

bool isSong(const VolumeEntry& entry) {
    return entry.kind == VolumeEntry::Kind::File && !isHidden(entry.name) && isSongName(entry.name);
}

struct Song {
    QString fileName;
    qint64 size = 0;
    QString identity;  // its directory entry: inode and modification time
};

QStringList fileNames(const std::vector<Song>& songs) {
    QStringList names;
    for (const Song& song : songs)
        names << song.fileName;
    return names;
}

QStringList entryNames(const std::vector<VolumeEntry>& entries) {
    QStringList names;
    for (const VolumeEntry& entry : entries)
        names << entry.name;
    return names;
}

// The folder's songs in the order the player plays them under `order`; `listed`: the names its playlist
// lists.
std::vector<Song> playOrder(SongOrder order, const std::vector<VolumeEntry>& entries,
                            const QStringList& listed) {
    std::vector<Song> songs;
    for (const VolumeEntry& entry : entries)
        if (isSong(entry))
            songs.push_back({entry.name, entry.size,
                             QString::number(entry.inode) + u':' + QString::number(entry.modified)});
    if (order == SongOrder::Name)
        sortSongsByName(songs, [](const Song& song) -> const QString& { return song.fileName; });
    else if (order == SongOrder::Playlist)
        sortSongsByList(songs, listed, [](const Song& song) -> const QString& { return song.fileName; });
    return songs;
}

// One memory as it is now, its audio folder open, its folders listed as the bracket last listed them.
class Volume {
  public:
    Volume(const MountedMemory& memory, FolderListings& listings)
        : memory_(memory), listings_(listings), audio_(openFolder(memory.audioFolder)) {
        if (!audio_)
            throw DeviceError(file_player_texts::kAudioFolderMissing + pathText(memory.audioFolder));
    }

    const Fd& audio() const { return audio_; }
    const MountedMemory& memory() const { return memory_; }
    FolderListings& listings() const { return listings_; }
    QString pathOf(const QString& folderName) const { return memory_.audioFolder + u'/' + folderName; }

    // The player's folders: the folders right under the audio folder, but hidden ones (ours among them).
    // Where the audio folder is a volume's root that holds the user's files too, only those that hold songs
    // or nothing at all: a folder of documents or photos is not the player's.
    QStringList folderNames() const {
        QStringList names;
        for (const VolumeEntry& entry : listings_.entries(audio_, memory_.audioFolder))
            if (entry.kind == VolumeEntry::Kind::Folder && !isHidden(entry.name) &&
                (!memory_.audioFolderShared || holdsSongsOrNothing(entry.name)))
                names << entry.name;
        sortByName(names);
        return names;
    }
    QString folderName(qint32 index) const {
        const QStringList names = folderNames();
        requireFolderIndex(index, names.size());
        return names[index];
    }
    bool isFat() const { return memory_.fileSystem == u"vfat" || fileSystemType() == MSDOS_SUPER_MAGIC; }
    // FAT or exFAT through the kernel: a folder lists its entries in the order of their slots, which is the
    // order cheap players play, and a name is counted in UTF-16 units.
    bool isFatFamily() const {
        return memory_.fileSystem == u"vfat" || memory_.fileSystem == u"exfat" ||
               keepsEntryOrder(fileSystemType());
    }
    // The order its folders play in when `chosen` is asked for: a file system that lists a folder by other
    // rules than its entries' slots plays it by name.
    SongOrder songOrder(SongOrder chosen) const {
        return chosen == SongOrder::Directory && !isFatFamily() ? SongOrder::Name : chosen;
    }
    NameLimit nameLimit() const {
        if (isFatFamily())
            return {};
        const long most = ::fpathconf(audio_.get(), _PC_NAME_MAX);
        return {.most = most > 0 ? qsizetype(most) : kFatNameUnits, .inBytes = true};
    }
    qint64 available() const {
        struct statvfs status {};
        if (::fstatvfs(audio_.get(), &status) != 0)
            throw volumeError(errno, memory_.audioFolder);
        return qint64(status.f_bavail) * qint64(status.f_frsize);
    }

  private:
    qint64 fileSystemType() const {
        struct statfs status {};
        return ::fstatfs(audio_.get(), &status) == 0 ? status.f_type : 0;
    }
    bool holdsSongsOrNothing(const QString& name) const {
        const std::vector<VolumeEntry>& entries = listings_.entries(openFolderAt(audio_, name), pathOf(name));
        return std::all_of(entries.begin(), entries.end(),
                           [](const VolumeEntry& entry) { return entry.name.startsWith(kOwnPrefix); }) ||
               std::any_of(entries.begin(), entries.end(), isSong);
    }

    const MountedMemory& memory_;
    FolderListings& listings_;
    Fd audio_;
};

// One folder of the player, open, with its songs in play order.
class SongFolder {
  public:
    // In `order`, unless the volume cannot keep it.
    SongFolder(const Volume& volume, qint32 index, SongOrder order)
        : volume_(volume),
          name_(volume.folderName(index)),
          path_(volume.pathOf(name_)),
          folder_(openFolderAt(volume.audio(), name_)),
          order_(volume.songOrder(order)) {
        if (!folder_)
            throw volumeError(errno, name_);
        if (listings().firstVisit(path_)) {
            try {
                recoverFolder(folder_);
            } catch (const DeviceError&) {
                // A volume that cannot be written keeps it; reading still works.
            }
            listings().forget(path_);
        }
    }

    const QString& name() const { return name_; }
    const Fd& fd() const { return folder_; }
    SongOrder order() const { return order_; }
    FolderListings& listings() const { return volume_.listings(); }
    void noteWritten(const QString& name) const { listings().noteWritten(folder_, path_, name); }
    void noteRemoved(const QString& name) const { listings().noteRemoved(folder_, path_, name); }
    void forget() const { listings().forget(path_); }

    std::vector<VolumeEntry> entries() const { return listings().entries(folder_, path_); }
    std::vector<Song> songs() const {
        return playOrder(order_, entries(), order_ == SongOrder::Playlist ? listed() : QStringList());
    }
    Song song(qint32 index) const {
        const std::vector<Song> all = songs();
        requireSongIndex(index, qint64(all.size()));
        return all[index];
    }
    QString title(const Song& song) const { return listedTitle(song.fileName, order_ == SongOrder::Name); }

    bool hasPlaylist() const { return entryExists(playlistFolder(), playlistName(name_)); }
    // The songs the playlist lists, in its order.
    QStringList listed() const {
        return playlistSongs(readSmallFile(playlistFolder(), playlistName(name_)), playlistPath(), path_);
    }
    void writePlaylist(const QStringList& songNames) const {
        writeAtomically(playlistFolder(), playlistName(name_),
                        playlistText(songNames, playlistPath(), path_));
        if (volume_.memory().playlistFolder.isEmpty())
            noteWritten(playlistName(name_));
        else
            listings().forget(volume_.memory().playlistFolder);
    }
    // A name for a new song: free among the entries listed, and on the volume now, whatever the listing
    // missed.
    QString freeName(const QString& stem, const QString& extension, const NameLimit& limit) const {
        QString name = freeFatName(stem, extension, entryNames(entries()), limit);
        if (entryExists(folder_, name)) {
            forget();
            name = freeFatName(stem, extension, entryNames(entries()), limit);
        }
        return name;
    }

  private:
    QString playlistPath() const {
        const QString& elsewhere = volume_.memory().playlistFolder;
        return elsewhere.isEmpty() ? path_ : elsewhere;
    }
    Fd playlistFolder() const {
        return volume_.memory().playlistFolder.isEmpty() ? openFolderAt(folder_, QStringLiteral("."))
                                                         : openFolder(volume_.memory().playlistFolder);
    }

    const Volume& volume_;
    QString name_;
    QString path_;
    Fd folder_;
    SongOrder order_;
};

// Gives every song of a name-ordered folder its place as a number ("01 ", "02 ", …), in the order `inOrder`
// names them, all or none of them.
void numberSongs(const SongFolder& folder, const std::vector<Song>& inOrder, const NameLimit& limit,
                 const StepDone& stepDone) {
    renameAll(folder.fd(), numberingRenames(fileNames(inOrder), entryNames(folder.entries()), limit),
              stepDone);
    folder.forget();
}

// Puts the folder's songs into the order `arranged` at once, as the folder's order keeps one: its entries
// made anew in it, its songs numbered in it, or its playlist written in it.
void arrange(const Volume& volume, std::optional<SongFolder>& folder, const std::vector<Song>& arranged,
             const StepDone& stepDone) {
    switch (folder->order()) {
        case SongOrder::Directory: {
            // The rewrite moves the rest along after the songs.
            const QStringList order = fileNames(arranged);
            const QString name = folder->name();
            // Closed before the rewrite removes it: FAT frees a folder's cluster only when its last holder
            // lets it go.
            folder.reset();
            rewriteFolder(volume.audio(), name, order, stepDone);
            break;
        }
        case SongOrder::Name:
            numberSongs(*folder, arranged, volume.nameLimit(), stepDone);
            break;
        case SongOrder::Playlist:
            folder->writePlaylist(fileNames(arranged));
            break;
    }
}

// The files in and under the entry.
int filesIn(const Fd& folder, const VolumeEntry& entry) {
    if (entry.kind != VolumeEntry::Kind::Folder)
        return 1;
    const Fd inside = openFolderAt(folder, entry.name);
    int files = 0;
    for (const VolumeEntry& each : listEntries(inside))
        files += filesIn(inside, each);
    return files;
}

// The memory's audio folder, made when missing and held from Open to Close: another program opening the
// player meanwhile would take this one's temporaries for what a crash left. It waits as the emulated player
// does, taking turns with the other programs; the line is kept off the volume, so that waiting writes
// nothing on the player.
Fd lockedAudioFolder(const MountedMemory& memory) {
    ::mkdir(NativePath(memory.audioFolder).c_str(), 0755);
    Fd folder = openFolder(memory.audioFolder);
    if (!folder)
        throw DeviceError(file_player_texts::kAudioFolderMissing + pathText(memory.audioFolder));
    // A file system without locks has nothing to wait for.
    const auto tryLock = [&] {
        return ::flock(folder.get(), LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK;
    };
    if (!takeInTurn(sharedLineFor(folder.get()), tryLock))
        throw DeviceError(player_texts::kInUse, DeviceError::Kind::InUse);
    return folder;
}

// The songs of the hidden folder of `name` go, with what Tunedeck keeps for them (the folder's playlist, what
// a crash left), then the folder itself when nothing else is in it, or else it takes its name back; the files
// kept are counted.
int finishRemoval(const Volume& volume, const QString& name) {
    const QString hidden = kRemovingPrefix + name, playlist = playlistName(name);
    int kept = 0;
    bool empty = true;
    {
        // Closed before the folder goes: FAT frees a folder's cluster only when its last holder lets it go.
        const Fd folder = openFolderAt(volume.audio(), hidden);
        if (!folder)
            throw volumeError(errno, name);
        for (const VolumeEntry& entry : listEntries(folder)) {
            if (isSong(entry) || entry.name.startsWith(kOwnPrefix) || entry.name == playlist) {
                removeEntry(folder, entry.name);
            } else {
                kept += filesIn(folder, entry);
                empty = false;
            }
        }
        syncFolder(folder);
    }
    if (const QString& playlists = volume.memory().playlistFolder; !playlists.isEmpty())
        if (const Fd elsewhere = openFolder(playlists); elsewhere && entryExists(elsewhere, playlist)) {
            removeEntry(elsewhere, playlist);
            syncFolder(elsewhere);
        }
    if (empty) {
        removeEntry(volume.audio(), hidden);
        syncFolder(volume.audio());
    } else {
        renameEntry(volume.audio(), hidden, volume.audio(), name, name);
        syncVolume(volume.audio());
    }
    return kept;
}

// Removes the folder's songs as finishRemoval does, the folder hidden first: a crash in the middle leaves it
// as it was or, once the next Open has finished the removal, as it is to be.
int clearFolder(const Volume& volume, const QString& name) {
    renameEntry(volume.audio(), name, volume.audio(), kRemovingPrefix + name, name);
    syncVolume(volume.audio());
    return finishRemoval(volume, name);
}

// What a crash left in a memory's audio folder, finished or removed; a volume that cannot be written keeps
// it. A folder's own leftovers wait until the folder is first opened: a player of many folders is not read
// whole for them.
void recover(const MountedMemory& memory, FolderListings& listings) {
    try {
        const Volume volume(memory, listings);
        recoverFolder(volume.audio());
        finishRewrites(volume.audio());
        for (const VolumeEntry& entry : listEntries(volume.audio()))
            if (entry.kind == VolumeEntry::Kind::Folder && entry.name.startsWith(kRemovingPrefix))
                finishRemoval(volume, entry.name.sliced(kRemovingPrefix.size()));
        if (!memory.playlistFolder.isEmpty())
            recoverFolder(openFolder(memory.playlistFolder));
    } catch (const DeviceError&) {
        // Reading still works; the next write says what is wrong.
    }
}

}  // namespace

MassStoragePlayer::MassStoragePlayer(PlayerLocator locator, StepDone stepDone)
    : locator_(std::move(locator)), stepDone_(std::move(stepDone)) {}

void MassStoragePlayer::Open() {
    if (layout_)
        throw DeviceError(player_texts::kAlreadyOpen);
    MountedPlayer layout = locator_();
    std::vector<Fd> locks;
    listings_ = {};
    for (const auto& memory : {layout.internal, layout.card})
        if (memory) {
            locks.push_back(lockedAudioFolder(*memory));
            recover(*memory, listings_);
        }
    layout_ = std::move(layout);
    locks_ = std::move(locks);
}

void MassStoragePlayer::Close() {
    layout_.reset();
    locks_.clear();
    listings_ = {};
}

int MassStoragePlayer::ExtFlash() {
    requireOpen();
    return layout_->card ? 1 : 0;
}

std::vector<DeviceFolder> MassStoragePlayer::Folders(qint32 memory) {
    std::vector<DeviceFolder> folders;
    for (const QString& name : Volume(memoryAt(memory), listings_).folderNames())
        folders.push_back({.name = name});
    return folders;
}

std::vector<DeviceSong> MassStoragePlayer::Songs(qint32 memory, qint16 folderIndex) {
    const Volume volume(memoryAt(memory), listings_);
    const SongFolder folder(volume, folderIndex, order());
    std::vector<DeviceSong> songs;
    for (const Song& song : folder.songs())
        songs.push_back({.name = folder.title(song), .size = song.size, .identity = song.identity});
    return songs;
}

qint64 MassStoragePlayer::AvailableMemory(const QString& memory) {
    return Volume(memoryAt(memory), listings_).available();
}

// The player draws titles in a font of its own.
void MassStoragePlayer::FontName(const QString&) {
    requireOpen();
}

void MassStoragePlayer::FontSize(qint32) {
    requireOpen();
}

void MassStoragePlayer::AddSong(qint16 folderIndex, const QString& displayTitle, const QString& filePath,
                                const QString& memory, const TransferProgress& progress) {
    const Volume volume(memoryAt(memory), listings_);
    const SongFolder folder(volume, folderIndex, order());
    const QString extension = extensionOf(filePath.section(u'/', -1));
    const auto [source, size] = openSongSource(filePath);
    if (size > kFatLargestFile && volume.isFat())
        throw DeviceError(file_player_texts::kTooLargeForFat);
    if (size > volume.available())
        throw DeviceError(player_texts::kMemoryFull);
    const NameLimit limit = volume.nameLimit();
    // A new song goes last; in name order the songs already there first take numbers that keep their places.
    const bool byName = folder.order() == SongOrder::Name;
    if (byName && !numberedApart(fileNames(folder.songs())))
        numberSongs(folder, folder.songs(), limit, stepDone_);
    const std::vector<Song> songs = folder.songs();
    const QString title = songStem(displayTitle, extension);
    const QString stem = byName ? numberPrefix(nextNumber(fileNames(songs))) + title : title;
    const QString name = folder.freeName(stem, extension, limit);
    copyThroughTemporary(
        source.get(), size, folder.fd(), name, progress,
        {.read = [&] { return DeviceError(player_texts::kUnreadableSource + pathText(filePath)); },
         .write = [&](int error) { return volumeError(error, name); }});
    folder.noteWritten(name);
    if (folder.order() == SongOrder::Playlist)
        folder.writePlaylist(fileNames(songs) << name);
}

void MassStoragePlayer::GetSong(qint32 folderIndex, qint32 songIndex, const QString& targetPath,
                                const QString& memory, const TransferProgress& progress) {
    const Volume volume(memoryAt(memory), listings_);
    const SongFolder folder(volume, folderIndex, order());
    const Song song = folder.song(songIndex);
    const DeviceError unreadable(file_player_texts::kReadFailed + nameText(song.fileName));
    const Fd source(
        ::openat(folder.fd().get(), NativePath(song.fileName).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!source)
        throw unreadable;
    const DeviceError unwritable(player_texts::kUnwritableTarget + pathText(targetPath));
    const auto [target, name] = openContainingFolder(targetPath);
    if (!target)
        throw unwritable;
    copyThroughTemporary(source.get(), song.size, target, name, progress,
                         {.read = [&] { return unreadable; }, .write = [&](int) { return unwritable; }});
}

void MassStoragePlayer::DeleteSong(qint32 folderIndex, qint32 songIndex, const QString& memory) {
    const Volume volume(memoryAt(memory), listings_);
    const SongFolder folder(volume, folderIndex, order());
    const Song song = folder.song(songIndex);
    removeEntry(folder.fd(), song.fileName);
    syncFolder(folder.fd());
    folder.noteRemoved(song.fileName);
    // The playlist keeps its own order, also where the player plays by another.
    if (folder.hasPlaylist()) {
        QStringList kept = folder.listed();
        kept.removeAll(song.fileName);
        folder.writePlaylist(kept);
    }
}

void MassStoragePlayer::SwapSong(qint16 folderIndex, qint32 songIndexA, qint32 songIndexB,
                                 const QString& memory) {
    const Volume volume(memoryAt(memory), listings_);
    std::optional<SongFolder> folder(std::in_place, volume, folderIndex, order());
    std::vector<Song> songs = folder->songs();
    for (const qint32 index : {songIndexA, songIndexB})
        requireSongIndex(index, qint64(songs.size()));
    if (songIndexA == songIndexB)
        return;
    // By name two songs exchange their numbers, which renames two songs, not the folder's all.
    if (folder->order() == SongOrder::Name) {
        const NameLimit limit = volume.nameLimit();
        if (!numberedApart(fileNames(songs))) {
            numberSongs(*folder, songs, limit, stepDone_);
            songs = folder->songs();
        }
        renameAll(folder->fd(), prefixSwap(songs[songIndexA].fileName, songs[songIndexB].fileName, limit),
                  stepDone_);
    } else {
        std::swap(songs[songIndexA], songs[songIndexB]);
        arrange(volume, folder, songs, stepDone_);
    }
    listings_.forgetAll();
}

void MassStoragePlayer::ArrangeSongs(qint16 folderIndex, const std::vector<qint32>& order,
                                     const QString& memory) {
    const Volume volume(memoryAt(memory), listings_);
    std::optional<SongFolder> folder(std::in_place, volume, folderIndex, this->order());
    const std::vector<Song> arranged = arrangedSongs(folder->songs(), order);
    if (std::ranges::is_sorted(order))
        return;
    arrange(volume, folder, arranged, stepDone_);
    listings_.forgetAll();
}

// Made as AddSong makes a song's name, without listing the folder: a sync asks it of every file it follows.
QString MassStoragePlayer::ShownSongName(const QString& displayTitle, const QString& filePath,
                                         const QString& memory) {
    const Volume volume(memoryAt(memory), listings_);
    return shownSongName(displayTitle, filePath.section(u'/', -1), volume.nameLimit(),
                         volume.songOrder(order()) == SongOrder::Name);
}

QString MassStoragePlayer::ShownFolderName(const QString& asked, const QString& memory) {
    return folderNameFor(asked, Volume(memoryAt(memory), listings_).nameLimit());
}

void MassStoragePlayer::AddFolder(const QString& folderName, const QString& memory) {
    const Volume volume(memoryAt(memory), listings_);
    const QString name = newFolderName(folderName, volume.nameLimit(),
                                       [&] { return entryNames(listEntries(volume.audio())); });
    makeFolder(volume.audio(), name);
    syncFolder(volume.audio());
    listings_.forget(volume.memory().audioFolder);
}

void MassStoragePlayer::DeleteFolder(qint16 folderIndex, const QString& memory) {
    const Volume volume(memoryAt(memory), listings_);
    kept_ = clearFolder(volume, volume.folderName(folderIndex));
    listings_.forgetAll();
}

// Never mkfs: a player may keep its own files on the volume, and anything outside its folders' songs stays.
void MassStoragePlayer::Format(const QString& memory) {
    const Volume volume(memoryAt(memory), listings_);
    int kept = 0;
    for (const QString& name : volume.folderNames())
        kept += clearFolder(volume, name);
    for (const VolumeEntry& entry : listEntries(volume.audio()))
        if (entry.name.startsWith(kOwnPrefix))
            removeEntry(volume.audio(), entry.name);
    syncFolder(volume.audio());
    listings_.forgetAll();
    kept_ = kept;
}

int MassStoragePlayer::FilesKept() const {
    return kept_;
}

void MassStoragePlayer::ChooseSongOrder(SongOrder order) {
    chosenOrder_ = order;
}

void MassStoragePlayer::requireOpen() const {
    if (!layout_)
        throw DeviceError(player_texts::kNotOpen);
}

const MountedMemory& MassStoragePlayer::memoryAt(qint32 memory) const {
    requireOpen();
    const std::optional<MountedMemory>& found =
        memoryFromNumber(memory) == PlayerMemory::Card ? layout_->card : layout_->internal;
    if (!found)
        throw DeviceError(memory == 1 ? player_texts::kNoCard : player_texts::kNotConnected);
    return *found;
}

const MountedMemory& MassStoragePlayer::memoryAt(const QString& memory) const {
    requireOpen();
    return memoryAt(memoryNumber(memoryFromText(memory)));
}

SongOrder MassStoragePlayer::order() const {
    return layout_ && layout_->order ? *layout_->order : chosenOrder_;
}

}  // namespace tunedeck
