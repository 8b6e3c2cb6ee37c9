// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "desktop_mtp_mount.h"
#include "device_component.h"
#include "mtp_devices.h"

#include <QString>
#include <QtGlobal>

#include <map>
#include <memory>
#include <optional>
#include <vector>

struct LIBMTP_mtpdevice_struct;

namespace tunedeck {

struct MtpStorage {
    quint32 id = 0;
    qint64 free = 0;  // bytes
};

// A file or folder on the player.
struct MtpObject {
    quint32 id = 0;
    QString name;
    qint64 size = 0;
    bool folder = false;
};

struct MtpPlaylist {
    quint32 id = 0;
    quint32 storage = 0;
    QString name;
    std::vector<quint32> tracks;
};

// What a song is sent with.
struct MtpUpload {
    QString name;
    quint32 parent = 0;
    quint32 storage = 0;
    qint64 size = 0;
    bool mp3 = false;
    QString title, artist, album;  // for a player that keeps them
};

// Where a list of a storage starts.
inline constexpr quint32 kMtpRoot = 0xffffffffu;

// An MTP player opened through libmtp, held from construction to destruction. Every call blocks until the
// player answers and throws DeviceError with what libmtp says; one thread at a time. A folder's objects and
// the playlists are listed once and kept, with what this connection changes noted in them; a change that
// fails drops them all, as the player's state is then unknown. What another program changes meanwhile is
// seen by the next connection.
class MtpConnection {
  public:
    // Waits up to 3 seconds for another program to let the player go; GNOME's MTP file system is asked to,
    // and gets it back when the connection ends, `notice` telling the user.
    MtpConnection(const MtpDevice& device, GivesNotices::Notice notice);
    ~MtpConnection();
    MtpConnection(const MtpConnection&) = delete;
    MtpConnection& operator=(const MtpConnection&) = delete;

    // Read anew each time: the free space changes.
    std::vector<MtpStorage> storages();
    // In the order the player lists them.
    const std::vector<MtpObject>& children(quint32 storage, quint32 parent);
    // 0 when the player has none.
    quint32 defaultMusicFolder() const;
    bool offersPlaylists();
    bool keepsTrackProperties();

    quint32 createFolder(const QString& name, quint32 parent, quint32 storage);
    void remove(quint32 object);
    void rename(quint32 object, const QString& name);
    // Sends the open file `source`; returns the new object. A failure or stop leaves no object behind.
    quint32 send(int source, const MtpUpload& upload, const TransferProgress& progress);
    // Writes the object's data to the open file `target`; throws `unwritable` when that fails.
    void receive(quint32 object, int target, const TransferProgress& progress, const DeviceError& unwritable);

    const std::vector<MtpPlaylist>& playlists();
    quint32 createPlaylist(const MtpPlaylist& playlist, quint32 parent);
    void updatePlaylist(const MtpPlaylist& playlist);

  private:
    // What libmtp has to say about `what` failing, its error stack cleared.
    DeviceError failure(const QString& what);
    void open();
    // Whether the device takes files of the libmtp file type `fileType`, as the description it gave at the
    // open says: no request.
    bool takes(int fileType);
    void forgetListings();
    // `object`, made in `parent` (0 or kMtpRoot: the storage's root), or removed, in what was listed.
    void noteAdded(quint32 storage, quint32 parent, const MtpObject& object);
    void noteRemoved(quint32 object);

    MtpDevice address_;
    const GivesNotices::Notice notice_;
    std::unique_ptr<DesktopMtpMount> desktop_;  // mounts the player again after libmtp has let it go
    LIBMTP_mtpdevice_struct* device_ = nullptr;
    std::optional<bool> tracks_;  // whether it keeps track properties, once asked
    std::map<std::pair<quint32, quint32>, std::vector<MtpObject>> children_;  // by storage and parent
    std::optional<std::vector<MtpPlaylist>> playlists_;
};

}  // namespace tunedeck
