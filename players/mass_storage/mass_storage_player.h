// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device_component.h"
#include "folder_listings.h"
#include "folder_rewrite.h"
#include "mounted_player.h"
#include "song_order.h"
#include "volume_files.h"

#include <QStringList>

#include <optional>

namespace tunedeck {

// A USB mass-storage player: its folders are the folders right under a memory's audio folder, its songs their
// ".mp3" and ".rmp" files in the order the player plays them (song_order.h), each shown by its file name,
// which is made from the display title it was sent with. Every write goes to a hidden temporary name, reaches
// the device and is then renamed; what a crash leaves is finished or removed at the next Open, in a folder
// when it is next opened. A member is done only once what it did is on the device. A new order for a folder
// is one reordering, as a swap is. Removing a folder or formatting removes the songs and what Tunedeck keeps
// beside them, never another file. A run of songs keeps the player open, found and locked once.
class MassStoragePlayer final : public DeviceComponent,
                                public SongOrderChoice,
                                public KeptFiles,
                                public KeepsConnection,
                                public ShowsSongNames,
                                public ArrangesSongs {
  public:
    // `stepDone` is for tests: called after each step of a reordering that is on the device.
    explicit MassStoragePlayer(PlayerLocator locator, StepDone stepDone = {});

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
    void ChooseSongOrder(SongOrder order) override;
    int FilesKept() const override;
    QString ShownSongName(const QString& displayTitle, const QString& filePath,
                          const QString& memory) override;
    QString ShownFolderName(const QString& asked, const QString& memory) override;
    void ArrangeSongs(qint16 folderIndex, const std::vector<qint32>& order, const QString& memory) override;

  private:
    void requireOpen() const;
    // The memory, once the player is open and has it.
    const MountedMemory& memoryAt(qint32 memory) const;
    const MountedMemory& memoryAt(const QString& memory) const;
    SongOrder order() const;

    PlayerLocator locator_;
    StepDone stepDone_;
    SongOrder chosenOrder_ = SongOrder::Directory;
    std::optional<MountedPlayer> layout_;  // while open
    std::vector<Fd> locks_;                // the memories' audio folders, held while open
    FolderListings listings_;              // of this bracket
    int kept_ = 0;                         // by the last DeleteFolder or Format
};

}  // namespace tunedeck
