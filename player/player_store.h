#pragma once

#include "memory.h"
#include "store_format.h"

#include <QLockFile>
#include <QString>

#include <array>
#include <functional>
#include <memory>

namespace tunedeck {

struct StoreHooks {
    // Runs once a song's bytes are in data/ and before a catalogue names them; tests end the process here
    // to play a crash.
    std::function<void()> afterSongData;
};

// The player's state in a store folder (the layout is in store_format.h). Open holds the folder's lock, so
// the device and the tunedeck-player command never write at the same time; every change is committed with
// QSaveFile, so a crash leaves the old or the new catalogue and at most some unnamed data files and a
// temporary file of QSaveFile's, which the next open sweeps away.
class PlayerStore {
  public:
    explicit PlayerStore(const QString& folder, StoreHooks hooks = {});

    // Takes the lock, sets up a new store in a missing or empty folder, or in one whose set-up was cut short
    // (connected, an empty card present, one empty folder in the internal memory), reads it and sweeps data
    // files that no catalogue names and the temporary files of writes cut short. Throws DeviceError, and then
    // holds no lock.
    void open();
    void close();  // harmless when not open
    bool isOpen() const { return lock_ != nullptr; }
    QString folder() const { return folder_; }

    // These need the store open.
    const DeviceState& state() const { return state_; }
    void commitState(const DeviceState& state);
    const MemoryCatalogue& catalogue(Memory memory) const { return catalogues_[indexOf(memory)]; }
    // Replaces the memory's catalogue. Data files only the old one named are removed after the commit; data
    // files only the new one names are removed when the commit fails.
    void commitCatalogue(Memory memory, MemoryCatalogue next);

    // Copies `source` into a new data file of at most `limit` bytes; returns the song with its size and data
    // file set. The song exists for the store only once a committed catalogue names it.
    StoredSong importSong(const QString& source, qint64 limit);
    void exportSong(const StoredSong& song, const QString& target) const;

    static const QString kFirstFolderName;

  private:
    QString path(const QString& name) const;
    QString dataPath(const QString& dataFile) const;
    bool isNewStore() const;
    bool isLeftOfSetUp(const QString& name) const;
    void initialise();
    void load();
    void sweep() const;
    void removeUnfinishedWrites() const;
    void removeDataNotIn(const MemoryCatalogue& kept, const MemoryCatalogue& from) const;

    QString folder_;
    StoreHooks hooks_;
    std::unique_ptr<QLockFile> lock_;
    DeviceState state_;
    std::array<MemoryCatalogue, 2> catalogues_;
};

}  // namespace tunedeck
