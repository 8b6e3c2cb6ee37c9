// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device_component.h"
#include "display_bitmap.h"
#include "player_store.h"

namespace tunedeck {

// The player behind ProgID "Rio500Remix.Rio500" for users without the hardware and for every test: a real
// little device whose state lives in a store folder. Refusals throw DeviceError and change nothing.
class EmulatedPlayer final : public DeviceComponent {
  public:
    explicit EmulatedPlayer(const QString& storeFolder, StoreHooks hooks = {});

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

  private:
    void requireOpen() const;
    // Refuses a closed device and a missing card.
    void requireReachable(PlayerMemory memory) const;
    // The memory's catalogue, once the memory can be reached and is not damaged.
    const MemoryCatalogue& reachable(PlayerMemory memory) const;

    PlayerStore store_;
    DisplayFont font_;
};

}  // namespace tunedeck
