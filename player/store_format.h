#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <vector>

namespace tunedeck {

// What a store folder holds, as JSON written with QSaveFile:
//   device.json    {"version": 1, "connected": true, "card": true}
//   memory0.json   the internal memory's catalogue, memory1.json the card's:
//                  {"version": 1, "folders": [{"name": "...", "display": "<PNG, base64>",
//                   "songs": [{"name": "...", "size": 123, "data": "<32 hex digits>.song", "display":
//                   "..."}]}]}
//   data/          the songs' bytes, one file each, under generated names only
//   lock           the QLockFile held while the store is open
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
    qint64 usedBytes() const;
};

struct DeviceState {
    bool connected = true;
    bool cardPresent = true;
};

QByteArray catalogueToJson(const MemoryCatalogue& catalogue);
QByteArray deviceStateToJson(const DeviceState& state);

// Both throw DeviceError naming `fileName` when the bytes are not what this program writes.
MemoryCatalogue catalogueFromJson(const QByteArray& json, const QString& fileName);
DeviceState deviceStateFromJson(const QByteArray& json, const QString& fileName);

// Data files are named by the store, never after a song, so that no name can reach outside data/.
QString newDataFileName();
bool isDataFileName(const QString& name);

}  // namespace tunedeck
