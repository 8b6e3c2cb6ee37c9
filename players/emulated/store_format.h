// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QtGlobal>

#include <optional>
#include <vector>

namespace tunedeck {

// What a store folder holds, as JSON written with QSaveFile but for the journals:
//   device.json    {"version": 1, "connected": true, "card": true, "speed": 0}; "speed" (the link's KB/s, 0
//                  for no limit) may be missing, as in stores of earlier versions
//   memory0.json   the internal memory's catalogue, memory1.json the card's:
//                  {"version": 2, "generation": 1, "folders": [{"name": "...", "display": "<PNG, base64>",
//                   "songs": [{"name": "...", "size": 123, "data": "<32 hex digits>.song", "display":
//                   "..."}]}]}
//                  Earlier versions wrote "version": 1 and no generation, and know no journal.
//   memory0.<generation>.journal
//                  the songs added to memory 0 since its catalogue of that generation was written, one
//                  line each, appended: {"folder": 0, "name": ..., "size": ..., "data": ..., "display": ...}
//   data/          the songs' bytes, one file each, under generated names only
//   lock           the QLockFile held while the store is open
//   line           empty, there while a process tries or waits for the lock, which flocks it (lock_turns.h)
// "display" is the 1-bit bitmap of the name as the player shows it, empty when none was rendered.

struct StoredSong {
    QString name;
    qint64 size = 0;
    QString dataFile;    // a name inside data/
    QByteArray display;  // PNG bytes
};

struct StoredFolder {
    QString name;
    QByteArray display;
    std::vector<StoredSong> songs;
};

struct MemoryCatalogue {
    std::vector<StoredFolder> folders;
    qint64 generation = 0;  // 0: written by an earlier version, which has no journal
    qint64 usedBytes() const;
};

QSet<QString> dataFilesOf(const MemoryCatalogue& catalogue);

struct DeviceState {
    bool connected = true;
    bool cardPresent = true;
    qint64 speedKbps = 0;  // 0: no limit
};

// A song added to the folder `folder` after the catalogue was written.
struct JournalEntry {
    qint32 folder = 0;
    StoredSong song;
};

QByteArray catalogueToJson(const MemoryCatalogue& catalogue);
QByteArray deviceStateToJson(const DeviceState& state);
QByteArray journalLine(const JournalEntry& entry);  // ends with a newline

// These throw DeviceError naming `fileName` when the bytes are not what this program writes.
MemoryCatalogue catalogueFromJson(const QByteArray& json, const QString& fileName);
DeviceState deviceStateFromJson(const QByteArray& json, const QString& fileName);
JournalEntry journalEntryFromJson(const QByteArray& line, const QString& fileName);

// The link speed as the command takes and shows it: KB/s as a non-negative integer, 0 for no limit.
std::optional<qint64> speedFromText(const QString& text);
QString speedText(qint64 speedKbps);

// Data files are named by the store, never after a song, so that no name can reach outside data/.
QString newDataFileName();
bool isDataFileName(const QString& name);

}  // namespace tunedeck
