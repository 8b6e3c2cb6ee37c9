// SPDX-License-Identifier: GPL-3.0-or-later
#include "device_plugin.h"
#include "index_range.h"
#include "player_memory.h"
#include "player_texts.h"

#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QSaveFile>

#include <map>

namespace tunedeck {
namespace {

using namespace player_texts;

constexpr qint64 kCapacity = 1 << 20;

struct Song {
    QString name;
    QByteArray bytes;
    quint64 serial;  // what the player knows it by
};
struct Folder {
    QString name;
    std::vector<Song> songs;
};
struct Shelf {
    std::vector<Folder> folders;
    quint64 nextSerial = 1;
};

// A player's memory outlives its device objects, as a real player's does.
Shelf& shelfAt(const QString& address) {
    static std::map<QString, Shelf> shelves;
    return shelves[address];
}

// The folder or song `index` names, refused as every player refuses a number out of range.
template <class Items>
auto& folderAt(Items& folders, qint64 index) {
    requireFolderIndex(index, qint64(folders.size()));
    return folders[size_t(index)];
}
template <class Items>
auto& songAt(Items& songs, qint64 index) {
    requireSongIndex(index, qint64(songs.size()));
    return songs[size_t(index)];
}

class ShelfPlayer final : public DeviceComponent {
  public:
    explicit ShelfPlayer(const QString& address) : shelf_(shelfAt(address)) {}

    void Open() override {
        if (open_)
            throw DeviceError(kAlreadyOpen);
        open_ = true;
    }
    void Close() override { open_ = (require(), false); }
    int ExtFlash() override { return (require(), 0); }
    std::vector<DeviceFolder> Folders(qint32 memory) override {
        std::vector<DeviceFolder> folders;
        for (const Folder& folder : internal(memoryFromNumber(memory)).folders)
            folders.push_back({folder.name});
        return folders;
    }
    std::vector<DeviceSong> Songs(qint32 memory, qint16 folderIndex) override {
        std::vector<DeviceSong> songs;
        for (const Song& song : folder(memoryFromNumber(memory), folderIndex).songs)
            songs.push_back({song.name, song.bytes.size(), QString::number(song.serial)});
        return songs;
    }
    qint64 AvailableMemory(const QString& memory) override {
        qint64 used = 0;
        for (const Folder& folder : internal(memoryFromText(memory)).folders)
            for (const Song& song : folder.songs)
                used += song.bytes.size();
        return kCapacity - used;
    }
    void FontName(const QString&) override { require(); }
    void FontSize(qint32) override { require(); }
    void AddSong(qint16 folderIndex, const QString& displayTitle, const QString& filePath,
                 const QString& memory, const TransferProgress& progress) override {
        Folder& target = folder(memoryFromText(memory), folderIndex);
        QFile file(filePath);
        if (!file.open(QIODevice::ReadOnly))
            throw DeviceError(kUnreadableSource + filePath);
        if (file.size() > AvailableMemory(memory))
            throw DeviceError(kMemoryFull);
        // A title made from a file name keeps no extension, as a player of files shows its songs.
        const QString extension = u'.' + QFileInfo(filePath).suffix();
        const QString name = displayTitle.endsWith(extension, Qt::CaseInsensitive)
                                 ? displayTitle.chopped(extension.size())
                                 : displayTitle;
        Song song{name, file.readAll(), shelf_.nextSerial++};
        moved(song, progress);
        target.songs.push_back(std::move(song));
    }
    void GetSong(qint32 folderIndex, qint32 songIndex, const QString& targetPath, const QString& memory,
                 const TransferProgress& progress) override {
        const Song& song = songAt(folder(memoryFromText(memory), qint16(folderIndex)).songs, songIndex);
        moved(song, progress);
        QSaveFile file(targetPath);
        if (!file.open(QIODevice::WriteOnly) || file.write(song.bytes) != song.bytes.size() || !file.commit())
            throw DeviceError(kUnwritableTarget + targetPath);
    }
    void DeleteSong(qint32 folderIndex, qint32 songIndex, const QString& memory) override {
        std::vector<Song>& songs = folder(memoryFromText(memory), qint16(folderIndex)).songs;
        songAt(songs, songIndex);
        songs.erase(songs.begin() + songIndex);
    }
    void SwapSong(qint16 folderIndex, qint32 songIndexA, qint32 songIndexB, const QString& memory) override {
        std::vector<Song>& songs = folder(memoryFromText(memory), folderIndex).songs;
        std::swap(songAt(songs, songIndexA), songAt(songs, songIndexB));
    }
    void AddFolder(const QString& folderName, const QString& memory) override {
        if (folderName.isEmpty())
            throw DeviceError(kEmptyFolderName);
        internal(memoryFromText(memory)).folders.push_back({folderName, {}});
    }
    void DeleteFolder(qint16 folderIndex, const QString& memory) override {
        std::vector<Folder>& folders = internal(memoryFromText(memory)).folders;
        folderAt(folders, folderIndex);
        folders.erase(folders.begin() + folderIndex);
    }
    void Format(const QString& memory) override { internal(memoryFromText(memory)).folders.clear(); }

  private:
    // A song moves in one piece: told once, and stopped before anything of it is kept.
    static void moved(const Song& song, const TransferProgress& progress) {
        if (progress && !progress(song.bytes.size(), song.bytes.size()))
            throw DeviceError(kCancelled);
    }
    void require() const {
        if (!open_)
            throw DeviceError(kNotOpen);
    }
    // It has no card.
    Shelf& internal(PlayerMemory memory) {
        require();
        if (memory == PlayerMemory::Card)
            throw DeviceError(kNoCard);
        return shelf_;
    }
    Folder& folder(PlayerMemory memory, qint16 folderIndex) {
        return folderAt(internal(memory).folders, folderIndex);
    }

    Shelf& shelf_;
    bool open_ = false;
};

class ShelfPlugin : public QObject, public DevicePlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TUNEDECK_DEVICE_PLUGIN_IID)
    Q_INTERFACES(tunedeck::DevicePlugin)

  public:
    std::unique_ptr<DeviceComponent> create(const QString& address) override {
        return std::make_unique<ShelfPlayer>(address);
    }
};

}  // namespace
}  // namespace tunedeck

#include "shelf_player.moc"
