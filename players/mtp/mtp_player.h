// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device_component.h"
#include "mtp_connection.h"

#include <QSet>

#include <array>
#include <map>
#include <memory>
#include <optional>

namespace tunedeck {

// An MTP player: memory 0 is its first storage, memory 1 its second (a card); its folders are the folders
// under a storage's music folder, or its root where it has none; its songs are their ".mp3" and ".rmp" files,
// each shown by its file name, made from the display title it was sent with. A player that keeps playlists
// plays a folder in the order of the playlist of the folder's name; any other by file name, so songs are sent
// as "01 title.mp3", "02 …", a swap exchanges the numbers and a new order numbers them anew. Removing a
// folder or formatting removes the songs and their playlists, and a folder once nothing else is in it: a
// phone keeps its photos. A run of songs keeps one connection.
class MtpPlayer final : public DeviceComponent,
                        public KeptFiles,
                        public KeepsConnection,
                        public GivesNotices,
                        public ShowsSongNames,
                        public ArrangesSongs {
  public:
    // `id`: the player id (mtp_devices.h).
    explicit MtpPlayer(QString id);

    void Open() override;
    void Close() override;
    int ExtFlash() override;
    std::vector<DeviceFolder> Folders(qint32 memory) override;
    std::vector<DeviceSong> Songs(qint32 memory, qint16 folderIndex) override;
    qint64 AvailableMemory(const QString& memory) override;
    void FontName(const QString& faceName) override;
    void FontSize(qint32 pointSize) override;
    void AddSong(qint16 folderIndex, const QString& displayTitle, const QString& filePath,
                 const QString& memory, const TransferProgress& progress) override;
    void GetSong(qint32 folderIndex, qint32 songIndex, const QString& targetPath, const QString& memory,
                 const TransferProgress& progress) override;
    void DeleteSong(qint32 folderIndex, qint32 songIndex, const QString& memory) override;
    void SwapSong(qint16 folderIndex, qint32 songIndexA, qint32 songIndexB, const QString& memory) override;
    void AddFolder(const QString& folderName, const QString& memory) override;
    void DeleteFolder(qint16 folderIndex, const QString& memory) override;
    void Format(const QString& memory) override;
    int FilesKept() const override;
    void setNotice(Notice notice) override { notice_ = std::move(notice); }
    QString ShownSongName(const QString& displayTitle, const QString& filePath,
                          const QString& memory) override;
    QString ShownFolderName(const QString& asked, const QString& memory) override;
    void ArrangeSongs(qint16 folderIndex, const std::vector<qint32>& order, const QString& memory) override;

  private:
    // Where a memory's folders are.
    struct Place {
        quint32 storage = 0;
        quint32 parent = kMtpRoot;
    };
    // A folder of the player as it is now, its songs in play order; or, where nothing needs that order, in
    // the player's.
    struct Folder {
        MtpObject folder;
        std::vector<MtpObject> objects;
        std::vector<MtpObject> songs;
        std::optional<MtpPlaylist> playlist;
    };

    MtpConnection& connection() const;
    Place memoryAt(qint32 memory);
    Place memoryAt(const QString& memory);
    // The storage as last read: at Open, or by AvailableMemory.
    MtpStorage& storageOf(const Place& place);
    enum class Order { Play, Any };
    Folder folderAt(const Place& place, qint32 index);
    Folder readFolder(const Place& place, const MtpObject& object, Order order = Order::Play);
    const MtpObject& songOf(const Folder& folder, qint32 index) const;
    // What the sends into a name-ordered folder go on from: its next free number and its names, folded to one
    // case. Worked out at the folder's first send of a bracket, then kept up by each send.
    struct SendPlan {
        int next = 1;
        QSet<QString> taken;
    };
    // The plan of the folder `object`, taken out of those kept (a send that fails leaves none behind); its
    // songs numbered first where two share a number or one has none.
    SendPlan takePlan(const Place& place, const MtpObject& object);
    // Gives a name-ordered folder's songs numbers of their own, in the order `inOrder` names them; leaves its
    // songs in that order.
    void numberSongs(Folder& folder, const Place& place, const std::vector<MtpObject>& inOrder);
    void keepOrder(const Folder& folder, const Place& place, std::vector<quint32> tracks);
    // Removes the folder's songs and its playlist, and the folder once nothing else is in it; the files kept.
    int clearFolder(const Place& place, const Folder& folder);
    int filesIn(quint32 storage, const MtpObject& object);

    QString id_;
    Notice notice_ = [](const QString&) {};
    std::unique_ptr<MtpConnection> connection_;  // while open
    std::vector<MtpStorage> storages_;
    std::array<std::optional<Place>, 2> places_;
    bool playlists_ = false;             // the player orders songs by playlists
    std::map<quint32, SendPlan> plans_;  // by folder id, until the bracket ends or another change
    int kept_ = 0;                       // by the last DeleteFolder or Format
};

}  // namespace tunedeck
