// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulated_player.h"

#include "index_range.h"
#include "player_texts.h"

namespace tunedeck {
namespace {

// Serves both the catalogue read as it is and the copy about to be changed.
template <typename Catalogue>
auto& folderAt(Catalogue& catalogue, qint32 folderIndex) {
    requireFolderIndex(folderIndex, qint64(catalogue.folders.size()));
    return catalogue.folders[folderIndex];
}

void requireSong(const StoredFolder& folder, qint32 songIndex) {
    requireSongIndex(songIndex, qint64(folder.songs.size()));
}

}  // namespace

EmulatedPlayer::EmulatedPlayer(const QString& storeFolder, StoreHooks hooks)
    : store_(storeFolder, std::move(hooks)) {}

void EmulatedPlayer::Open() {
    store_.open();
    if (!store_.state().connected) {
        store_.close();
        throw DeviceError(player_texts::kNotConnected, DeviceError::Kind::NotConnected);
    }
}

void EmulatedPlayer::Close() {
    store_.close();
}

int EmulatedPlayer::ExtFlash() {
    requireOpen();
    return store_.state().cardPresent ? 1 : 0;
}

std::vector<DeviceFolder> EmulatedPlayer::Folders(qint32 memory) {
    std::vector<DeviceFolder> folders;
    for (const StoredFolder& folder : reachable(memoryFromNumber(memory)).folders)
        folders.push_back({.name = folder.name});
    return folders;
}

std::vector<DeviceSong> EmulatedPlayer::Songs(qint32 memory, qint16 folderIndex) {
    std::vector<DeviceSong> songs;
    for (const StoredSong& song : folderAt(reachable(memoryFromNumber(memory)), folderIndex).songs)
        songs.push_back({.name = song.name, .size = song.size, .identity = song.dataFile});
    return songs;
}

qint64 EmulatedPlayer::AvailableMemory(const QString& memory) {
    const PlayerMemory which = memoryFromText(memory);
    requireReachable(which);
    return capacityOf(which) - store_.usedBytes(which);
}

void EmulatedPlayer::FontName(const QString& faceName) {
    requireOpen();
    font_.faceName = faceName;
}

void EmulatedPlayer::FontSize(qint32 pointSize) {
    requireOpen();
    font_.pointSize = pointSize;
}

void EmulatedPlayer::AddSong(qint16 folderIndex, const QString& displayTitle, const QString& filePath,
                             const QString& memory, const TransferProgress& progress) {
    const PlayerMemory which = memoryFromText(memory);
    folderAt(reachable(which), folderIndex);
    const QByteArray display = renderDisplay(displayTitle, font_);
    StoredSong song = store_.importSong(filePath, capacityOf(which) - store_.usedBytes(which), progress);
    song.name = displayTitle;
    song.display = display;
    store_.addSong(which, folderIndex, std::move(song));
}

void EmulatedPlayer::GetSong(qint32 folderIndex, qint32 songIndex, const QString& targetPath,
                             const QString& memory, const TransferProgress& progress) {
    const StoredFolder& folder = folderAt(reachable(memoryFromText(memory)), folderIndex);
    requireSong(folder, songIndex);
    store_.exportSong(folder.songs[songIndex], targetPath, progress);
}

void EmulatedPlayer::DeleteSong(qint32 folderIndex, qint32 songIndex, const QString& memory) {
    const PlayerMemory which = memoryFromText(memory);
    MemoryCatalogue next = reachable(which);
    StoredFolder& folder = folderAt(next, folderIndex);
    requireSong(folder, songIndex);
    folder.songs.erase(folder.songs.begin() + songIndex);
    store_.commitCatalogue(which, std::move(next));
}

void EmulatedPlayer::SwapSong(qint16 folderIndex, qint32 songIndexA, qint32 songIndexB,
                              const QString& memory) {
    const PlayerMemory which = memoryFromText(memory);
    MemoryCatalogue next = reachable(which);
    StoredFolder& folder = folderAt(next, folderIndex);
    requireSong(folder, songIndexA);
    requireSong(folder, songIndexB);
    std::swap(folder.songs[songIndexA], folder.songs[songIndexB]);
    store_.commitCatalogue(which, std::move(next));
}

void EmulatedPlayer::AddFolder(const QString& folderName, const QString& memory) {
    const PlayerMemory which = memoryFromText(memory);
    MemoryCatalogue next = reachable(which);
    if (folderName.isEmpty())
        throw DeviceError(player_texts::kEmptyFolderName);
    next.folders.push_back({.name = folderName, .display = renderDisplay(folderName, font_)});
    store_.commitCatalogue(which, std::move(next));
}

void EmulatedPlayer::DeleteFolder(qint16 folderIndex, const QString& memory) {
    const PlayerMemory which = memoryFromText(memory);
    MemoryCatalogue next = reachable(which);
    folderAt(next, folderIndex);
    next.folders.erase(next.folders.begin() + folderIndex);
    store_.commitCatalogue(which, std::move(next));
}

// Also the way to make a damaged memory usable again.
void EmulatedPlayer::Format(const QString& memory) {
    const PlayerMemory which = memoryFromText(memory);
    requireReachable(which);
    store_.commitCatalogue(which, MemoryCatalogue{});
}

void EmulatedPlayer::requireOpen() const {
    if (!store_.isOpen())
        throw DeviceError(player_texts::kNotOpen);
}

void EmulatedPlayer::requireReachable(PlayerMemory memory) const {
    requireOpen();
    if (memory == PlayerMemory::Card && !store_.state().cardPresent)
        throw DeviceError(player_texts::kNoCard);
}

const MemoryCatalogue& EmulatedPlayer::reachable(PlayerMemory memory) const {
    requireReachable(memory);
    return store_.catalogue(memory);
}

}  // namespace tunedeck
