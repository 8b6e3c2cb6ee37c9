// SPDX-License-Identifier: GPL-3.0-or-later
#include "mtp_player.h"

#include "display_title.h"
#include "fat_names.h"
#include "index_range.h"
#include "local_path.h"
#include "mtp_songs.h"
#include "new_folder_name.h"
#include "play_order.h"
#include "player_memory.h"
#include "player_texts.h"
#include "volume_files.h"

#include <algorithm>

namespace tunedeck {
namespace {

QStringList namesOf(const std::vector<MtpObject>& objects) {
    QStringList names;
    for (const MtpObject& object : objects)
        names << object.name;
    return names;
}

std::vector<quint32> idsOf(const std::vector<MtpObject>& objects) {
    std::vector<quint32> ids;
    for (const MtpObject& object : objects)
        ids.push_back(object.id);
    return ids;
}

const MtpObject& named(const std::vector<MtpObject>& objects, const QString& name) {
    return *std::find_if(objects.begin(), objects.end(),
                         [&](const MtpObject& object) { return object.name == name; });
}

}  // namespace

MtpPlayer::MtpPlayer(QString id) : id_(std::move(id)) {}

void MtpPlayer::Open() {
    if (connection_)
        throw DeviceError(player_texts::kAlreadyOpen);
    const std::optional<MtpDevice> device = mtpDevice(id_);
    if (!device)
        throw DeviceError(player_texts::kNotConnected, DeviceError::Kind::NotConnected);
    auto connection = std::make_unique<MtpConnection>(*device, notice_);
    storages_ = connection->storages();
    playlists_ = connection->offersPlaylists();
    connection_ = std::move(connection);
}

void MtpPlayer::Close() {
    connection_.reset();
    places_ = {};
    plans_.clear();
}

int MtpPlayer::ExtFlash() {
    connection();
    return storages_.size() > 1 ? 1 : 0;
}

std::vector<DeviceFolder> MtpPlayer::Folders(qint32 memory) {
    const Place place = memoryAt(memory);
    std::vector<DeviceFolder> folders;
    for (const MtpObject& folder : folderList(connection().children(place.storage, place.parent)))
        folders.push_back({.name = folder.name});
    return folders;
}

std::vector<DeviceSong> MtpPlayer::Songs(qint32 memory, qint16 folderIndex) {
    const Folder folder = folderAt(memoryAt(memory), folderIndex);
    std::vector<DeviceSong> songs;
    for (const MtpObject& song : folder.songs)
        songs.push_back({.name = listedTitle(song.name, !playlists_),
                         .size = song.size,
                         .identity = QString::number(song.id)});
    return songs;
}

qint64 MtpPlayer::AvailableMemory(const QString& memory) {
    const Place place = memoryAt(memory);
    storages_ = connection().storages();
    return storageOf(place).free;
}

// The player draws titles in a font of its own.
void MtpPlayer::FontName(const QString&) {
    connection();
}

void MtpPlayer::FontSize(qint32) {
    connection();
}

void MtpPlayer::AddSong(qint16 folderIndex, const QString& displayTitle, const QString& filePath,
                        const QString& memory, const TransferProgress& progress) {
    const Place place = memoryAt(memory);
    const std::vector<MtpObject> folders = folderList(connection().children(place.storage, place.parent));
    requireFolderIndex(folderIndex, qint64(folders.size()));
    const MtpObject& target = folders[folderIndex];
    const std::optional<Folder> ordered =
        playlists_ ? std::optional(readFolder(place, target)) : std::nullopt;
    const QString extension = extensionOf(filePath.section(u'/', -1));
    const auto [source, size] = openSongSource(filePath);
    // As the player said at Open, less what this bracket sent since: asking again costs a round trip a song.
    MtpStorage& storage = storageOf(place);
    if (size > storage.free)
        throw DeviceError(player_texts::kMemoryFull);
    SendPlan sends = ordered ? SendPlan{} : takePlan(place, target);
    const QString title = songStem(displayTitle, extension);
    const QString name =
        ordered ? freeFatName(title, extension, namesOf(ordered->objects))
                : freeFatName(numberPrefix(sends.next) + title, extension,
                              [&](const QString& each) { return sends.taken.contains(each.toCaseFolded()); });
    TagRecord tags;
    readTags(filePath, tags);
    const quint32 sent = connection().send(source.get(),
                                           {.name = name,
                                            .parent = target.id,
                                            .storage = place.storage,
                                            .size = size,
                                            .mp3 = extension.compare(u".mp3", Qt::CaseInsensitive) == 0,
                                            .title = displayTitle,
                                            .artist = tags.artist,
                                            .album = tags.album},
                                           progress);
    storage.free -= size;
    if (ordered) {
        std::vector<quint32> tracks = idsOf(ordered->songs);
        tracks.push_back(sent);
        keepOrder(*ordered, place, std::move(tracks));
        return;
    }
    ++sends.next;
    sends.taken.insert(name.toCaseFolded());
    plans_.insert_or_assign(target.id, std::move(sends));
}

void MtpPlayer::GetSong(qint32 folderIndex, qint32 songIndex, const QString& targetPath,
                        const QString& memory, const TransferProgress& progress) {
    const Folder folder = folderAt(memoryAt(memory), folderIndex);
    const MtpObject& song = songOf(folder, songIndex);
    const DeviceError unwritable(player_texts::kUnwritableTarget + pathText(targetPath));
    const auto [target, name] = openContainingFolder(targetPath);
    if (!target)
        throw unwritable;
    fillThroughTemporary(
        target, name, [&](int file) { connection().receive(song.id, file, progress, unwritable); },
        [&](int) { return unwritable; });
}

void MtpPlayer::DeleteSong(qint32 folderIndex, qint32 songIndex, const QString& memory) {
    plans_.clear();
    const Place place = memoryAt(memory);
    const Folder folder = folderAt(place, folderIndex);
    const quint32 song = songOf(folder, songIndex).id;
    connection().remove(song);
    if (folder.playlist) {
        std::vector<quint32> tracks = folder.playlist->tracks;
        std::erase(tracks, song);
        keepOrder(folder, place, std::move(tracks));
    }
}

void MtpPlayer::SwapSong(qint16 folderIndex, qint32 songIndexA, qint32 songIndexB, const QString& memory) {
    plans_.clear();
    const Place place = memoryAt(memory);
    Folder folder = folderAt(place, folderIndex);
    songOf(folder, songIndexA);
    songOf(folder, songIndexB);
    if (songIndexA == songIndexB)
        return;
    if (playlists_) {
        std::vector<quint32> tracks = idsOf(folder.songs);
        std::swap(tracks[songIndexA], tracks[songIndexB]);
        keepOrder(folder, place, std::move(tracks));
        return;
    }
    if (!numberedApart(namesOf(folder.songs)))
        numberSongs(folder, place, folder.songs);
    // Each takes the other's number; a title they share keeps them apart by " (2)".
    const MtpObject a = folder.songs[songIndexA], b = folder.songs[songIndexB];
    const auto numberA = numberPrefixOf(a.name), numberB = numberPrefixOf(b.name);
    QStringList taken = namesOf(folder.objects);
    taken.removeOne(a.name);
    const QString newA = numberB->digits + u' ' + numberA->rest;
    const QString nameA = freeFatName(stemOf(newA), extensionOf(newA), taken);
    connection().rename(a.id, nameA);
    taken.removeOne(b.name);
    taken << nameA;
    const QString newB = numberA->digits + u' ' + numberB->rest;
    connection().rename(b.id, freeFatName(stemOf(newB), extensionOf(newB), taken));
}

void MtpPlayer::ArrangeSongs(qint16 folderIndex, const std::vector<qint32>& order, const QString& memory) {
    plans_.clear();
    const Place place = memoryAt(memory);
    Folder folder = folderAt(place, folderIndex);
    const std::vector<MtpObject> arranged = arrangedSongs(folder.songs, order);
    if (std::ranges::is_sorted(order))
        return;
    if (playlists_)
        keepOrder(folder, place, idsOf(arranged));
    else
        numberSongs(folder, place, arranged);
}

// Within FAT's limit, as AddSong names every song: MTP does not say what file system a storage has. A memory
// the player lacks is refused, as by every other member.
QString MtpPlayer::ShownSongName(const QString& displayTitle, const QString& filePath,
                                 const QString& memory) {
    memoryAt(memory);
    return shownSongName(displayTitle, filePath.section(u'/', -1), {}, !playlists_);
}

QString MtpPlayer::ShownFolderName(const QString& asked, const QString& memory) {
    memoryAt(memory);
    return folderNameFor(asked, {});
}

void MtpPlayer::AddFolder(const QString& folderName, const QString& memory) {
    plans_.clear();
    const Place place = memoryAt(memory);
    const QString name = newFolderName(
        folderName, {}, [&] { return namesOf(connection().children(place.storage, place.parent)); });
    connection().createFolder(name, place.parent == kMtpRoot ? 0 : place.parent, place.storage);
}

void MtpPlayer::DeleteFolder(qint16 folderIndex, const QString& memory) {
    plans_.clear();
    const Place place = memoryAt(memory);
    kept_ = clearFolder(place, folderAt(place, folderIndex));
}

// What the pane shows goes, and only that: a phone keeps its photos and the player its own files.
void MtpPlayer::Format(const QString& memory) {
    plans_.clear();
    const Place place = memoryAt(memory);
    int kept = 0;
    for (const MtpObject& folder : folderList(connection().children(place.storage, place.parent)))
        kept += clearFolder(place, readFolder(place, folder));
    kept_ = kept;
}

int MtpPlayer::FilesKept() const {
    return kept_;
}

MtpConnection& MtpPlayer::connection() const {
    if (!connection_)
        throw DeviceError(player_texts::kNotOpen);
    return *connection_;
}

MtpPlayer::Place MtpPlayer::memoryAt(qint32 memory) {
    connection();
    const int index = memoryNumber(memoryFromNumber(memory));
    if (index >= int(storages_.size()))
        throw DeviceError(index == 1 ? player_texts::kNoCard : player_texts::kNotConnected);
    if (!places_[index]) {
        const quint32 storage = storages_[index].id;
        places_[index] = Place{.storage = storage,
                               .parent = musicFolderOf(connection().children(storage, kMtpRoot),
                                                       connection().defaultMusicFolder())
                                             .value_or(kMtpRoot)};
    }
    return *places_[index];
}

MtpStorage& MtpPlayer::storageOf(const Place& place) {
    for (MtpStorage& storage : storages_)
        if (storage.id == place.storage)
            return storage;
    throw DeviceError(player_texts::kNotConnected);
}

MtpPlayer::Place MtpPlayer::memoryAt(const QString& memory) {
    connection();
    return memoryAt(memoryNumber(memoryFromText(memory)));
}

MtpPlayer::Folder MtpPlayer::folderAt(const Place& place, qint32 index) {
    const std::vector<MtpObject> folders = folderList(connection().children(place.storage, place.parent));
    requireFolderIndex(index, qint64(folders.size()));
    return readFolder(place, folders[index]);
}

MtpPlayer::Folder MtpPlayer::readFolder(const Place& place, const MtpObject& object, Order order) {
    Folder folder{.folder = object, .objects = connection().children(place.storage, object.id)};
    if (playlists_)
        folder.playlist = folderPlaylist(connection().playlists(), place.storage, folder.folder.name);
    if (!playlists_ && order == Order::Any)
        folder.songs = songsAmong(folder.objects);
    else
        folder.songs = playOrder(folder.objects, folder.playlist ? std::optional(folder.playlist->tracks)
                                                 : playlists_    ? std::optional(std::vector<quint32>())
                                                                 : std::nullopt);
    return folder;
}

const MtpObject& MtpPlayer::songOf(const Folder& folder, qint32 index) const {
    requireSongIndex(index, qint64(folder.songs.size()));
    return folder.songs[index];
}

MtpPlayer::SendPlan MtpPlayer::takePlan(const Place& place, const MtpObject& object) {
    if (auto kept = plans_.extract(object.id))
        return std::move(kept.mapped());
    // By name a song needs the numbers taken, not the order: reading them from the listing before every song,
    // or sorting the folder, would make each song cost more the fuller the folder.
    Folder folder = readFolder(place, object, Order::Any);
    if (!numberedApart(namesOf(folder.songs)))
        numberSongs(folder, place, playOrder(folder.objects, std::nullopt));
    SendPlan plan{.next = nextNumber(namesOf(folder.songs))};
    for (const MtpObject& each : folder.objects)
        plan.taken.insert(each.name.toCaseFolded());
    return plan;
}

void MtpPlayer::numberSongs(Folder& folder, const Place& place, const std::vector<MtpObject>& inOrder) {
    for (const Rename& rename : numberingRenames(namesOf(inOrder), namesOf(folder.objects)))
        connection().rename(named(folder.objects, rename.from).id, rename.to);
    folder.objects = connection().children(place.storage, folder.folder.id);
    folder.songs = playOrder(folder.objects, std::nullopt);
}

void MtpPlayer::keepOrder(const Folder& folder, const Place& place, std::vector<quint32> tracks) {
    if (folder.playlist) {
        MtpPlaylist changed = *folder.playlist;
        changed.tracks = std::move(tracks);
        connection().updatePlaylist(changed);
    } else {
        connection().createPlaylist(
            {.storage = place.storage, .name = folder.folder.name, .tracks = std::move(tracks)}, 0);
    }
}

int MtpPlayer::clearFolder(const Place& place, const Folder& folder) {
    for (const MtpObject& song : folder.songs)
        connection().remove(song.id);
    if (folder.playlist)
        connection().remove(folder.playlist->id);
    int kept = 0;
    for (const MtpObject& object : folder.objects)
        if (object.folder || !isSongName(object.name))
            kept += filesIn(place.storage, object);
    if (folder.objects.size() == folder.songs.size())
        connection().remove(folder.folder.id);
    return kept;
}

int MtpPlayer::filesIn(quint32 storage, const MtpObject& object) {
    if (!object.folder)
        return 1;
    int files = 0;
    for (const MtpObject& inside : connection().children(storage, object.id))
        files += filesIn(storage, inside);
    return files;
}

}  // namespace tunedeck
