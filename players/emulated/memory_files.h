// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "memory.h"
#include "store_format.h"
#include "store_hooks.h"

#include <QFile>
#include <QString>

#include <sys/stat.h>

#include <memory>
#include <optional>

namespace tunedeck {

// One memory's catalogue as its files hold it: memoryN.json of some generation, and the journal of the songs
// added since, memoryN.<generation>.journal. Adding a song appends a line to the journal, so it costs the
// same however many songs there are; any other change writes the catalogue of the next generation and drops
// the journal, and so does an add once the journal outgrows the catalogue. What was read or written last is
// kept and read again only when the files changed on disk: the store's lock makes the files change only in
// the process that holds it.
class MemoryFiles {
  public:
    MemoryFiles(const QString& folder, PlayerMemory memory, StoreHooks hooks);

    static QString catalogueName(PlayerMemory memory);

    // True when the files on disk are the ones last read or written, and sound.
    bool isCurrent() const;
    // Reads the files, cutting off a journal's torn last line, which a crash in the middle of an add leaves.
    // Damage found is kept for the calls below, not thrown, so that the other memory can still be used.
    void load();
    bool isDamaged() const { return damage_.has_value(); }
    void declareDamaged();

    // These throw the damage found by load.
    const MemoryCatalogue& catalogue() const;
    qint64 usedBytes() const;

    // Names `song`, whose bytes are on disk, in the folder `folder`, which must exist. Throws DeviceError and
    // then changes nothing.
    void add(qint32 folder, StoredSong song);
    // Writes the catalogue again, without a journal, when the journal has grown larger than it.
    void compactIfDue();
    // Writes `next` as the catalogue of the next generation; this also repairs a damaged memory. Throws
    // DeviceError and then changes nothing.
    void rewrite(MemoryCatalogue next);
    void removeStaleJournals() const;
    void closeJournal();

  private:
    QString path(const QString& name) const;
    QString journalName(qint64 generation) const;
    std::optional<qint64> journalGeneration(const QString& name) const;
    qint64 nextGeneration() const;
    qint64 replayJournal(MemoryCatalogue& catalogue) const;
    void removeJournalsBut(qint64 generation) const;

    QString folder_;
    PlayerMemory memory_;
    StoreHooks hooks_;
    std::optional<QString> damage_;
    MemoryCatalogue catalogue_;
    qint64 used_ = 0;
    // The catalogue file read or written last, held open so that its inode cannot be reused by a new one.
    std::unique_ptr<QFile> held_;
    struct stat heldStat_ {};
    qint64 journalSize_ = 0;
    std::unique_ptr<QFile> journal_;  // open for appending while the store is
};

}  // namespace tunedeck
