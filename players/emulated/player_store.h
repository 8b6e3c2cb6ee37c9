// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device_component.h"
#include "memory.h"
#include "memory_files.h"
#include "store_format.h"
#include "store_hooks.h"

#include <QLockFile>
#include <QString>

#include <array>
#include <memory>

namespace tunedeck {

// The player's state in a store folder (the layout is in store_format.h). Open holds the folder's lock, so
// the device and the tunedeck-player command never write at the same time; every change is committed with
// QSaveFile or one synced journal line, so a crash leaves the old or the new state and at most some unnamed
// data files, a journal's torn last line and a temporary file of QSaveFile's, which the next open cleans up.
class PlayerStore {
  public:
    explicit PlayerStore(const QString& folder, StoreHooks hooks = {});

    // Takes the lock, waiting a while for another process to let it go and taking turns with the others
    // (lock_turns.h); sets up a new store in a missing or empty folder, or in one whose set-up was cut short
    // (connected, an empty card present, one empty folder in the internal memory); reads what changed on disk
    // since the last open and, after reading a catalogue, sweeps data files that no catalogue names. Throws
    // DeviceError, and then holds no lock; a damaged memory does not fail the open, only the calls that reach
    // it.
    void open();
    void close();  // harmless when not open
    bool isOpen() const { return lock_ != nullptr; }
    QString folder() const { return folder_; }

    // These need the store open.
    const DeviceState& state() const { return state_; }
    void commitState(const DeviceState& state);
    // These two throw DeviceError naming the damaged file when the memory's catalogue is damaged.
    const MemoryCatalogue& catalogue(PlayerMemory memory) const;
    qint64 usedBytes(PlayerMemory memory) const;
    // Replaces the memory's catalogue, also a damaged one. Data files only the old one named are removed
    // after the commit.
    void commitCatalogue(PlayerMemory memory, MemoryCatalogue next);
    // Names `song`, made by importSong, in the folder `folder` of the memory; its data file goes when that
    // fails.
    void addSong(PlayerMemory memory, qint32 folder, StoredSong song);

    // Copies `source` into a new data file of at most `limit` bytes; returns the song with its size and data
    // file set. The song exists for the store only once addSong names it. Both copies go at the link speed
    // of the state and stop when `progress` says so.
    StoredSong importSong(const QString& source, qint64 limit, const TransferProgress& progress);
    void exportSong(const StoredSong& song, const QString& target, const TransferProgress& progress) const;

    static const QString kFirstFolderName;

  private:
    QString path(const QString& name) const;
    QString dataPath(const QString& dataFile) const;
    std::unique_ptr<QLockFile> lock() const;
    bool isNewStore() const;
    bool isLeftOfSetUp(const QString& name) const;
    void initialise();
    void loadChanged();
    bool anyDamaged() const;
    void sweep() const;
    void removeUnfinishedWrites() const;

    QString folder_;
    StoreHooks hooks_;
    std::unique_ptr<QLockFile> lock_;
    DeviceState state_;
    std::array<MemoryFiles, 2> memories_;
};

}  // namespace tunedeck
