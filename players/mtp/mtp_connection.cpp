// SPDX-License-Identifier: GPL-3.0-or-later
#include "mtp_connection.h"

#include "mtp_texts.h"
#include "player_texts.h"
#include "usb_holders.h"
#include "volume_files.h"

#include <QLoggingCategory>
#include <QThread>

#include <libmtp.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <mutex>

namespace tunedeck {
namespace {

// How long an open waits for another program to let the player go, as the other players wait.
constexpr int kOpenTries = 30;
constexpr int kOpenPauseMs = 100;

// The device as libmtp knows it from its list of players, with their quirks; one it does not list has none.
LIBMTP_raw_device_t rawDevice(const MtpDevice& device) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { LIBMTP_Init(); });
    LIBMTP_raw_device_t raw{};
    LIBMTP_device_entry_t* known = nullptr;
    int count = 0;
    if (LIBMTP_Get_Supported_Devices_List(&known, &count) == 0)
        for (int i = 0; i < count; ++i)
            if (known[i].vendor_id == device.vendorId && known[i].product_id == device.productId) {
                raw.device_entry = known[i];
                break;
            }
    raw.device_entry.vendor_id = device.vendorId;
    raw.device_entry.product_id = device.productId;
    raw.bus_location = quint32(device.bus);
    raw.devnum = quint8(device.address);
    return raw;
}

// A song's data on its way through libmtp. Once `progress` asks to stop, the rest of the data still goes, as
// zeros, or is read and dropped: MTP has no stop a player must honour in the middle of an object's data, and
// players left waiting for the rest stop answering. The object is then removed whole.
struct Transfer {
    int file;
    const TransferProgress& progress;
    bool stopped = false;
    bool failed = false;  // reading or writing `file`
    std::exception_ptr thrown;
};

int reportProgress(uint64_t const done, uint64_t const total, void const* const data) {
    auto* transfer = static_cast<Transfer*>(const_cast<void*>(data));
    if (transfer->stopped || !transfer->progress)
        return 0;
    try {
        transfer->stopped = !transfer->progress(qint64(done), qint64(total));
    } catch (...) {
        transfer->thrown = std::current_exception();
        transfer->stopped = true;
    }
    return 0;
}

uint16_t readSong(void*, void* data, uint32_t wanted, unsigned char* bytes, uint32_t* got) {
    auto* transfer = static_cast<Transfer*>(data);
    ssize_t read = 0;
    if (!transfer->stopped && !transfer->failed) {
        read = readSome(transfer->file, reinterpret_cast<char*>(bytes), wanted);
        transfer->failed = read < 0;
    }
    if (transfer->stopped || transfer->failed || read == 0) {
        std::memset(bytes, 0, wanted);
        read = wanted;
    }
    *got = uint32_t(read);
    return LIBMTP_HANDLER_RETURN_OK;
}

uint16_t writeSong(void*, void* data, uint32_t size, unsigned char* bytes, uint32_t* put) {
    auto* transfer = static_cast<Transfer*>(data);
    if (!transfer->stopped && !transfer->failed)
        transfer->failed = !writeAll(transfer->file, reinterpret_cast<const char*>(bytes), size);
    *put = size;
    return LIBMTP_HANDLER_RETURN_OK;
}

// libmtp tells what it makes of a device on standard output, where tunedeck-player writes its listings: while
// it opens one, that goes to standard error instead.
LIBMTP_mtpdevice_t* openQuietly(LIBMTP_raw_device_t& raw) {
    std::fflush(stdout);
    const int output = ::dup(STDOUT_FILENO);
    ::dup2(STDERR_FILENO, STDOUT_FILENO);
    LIBMTP_mtpdevice_t* device = LIBMTP_Open_Raw_Device_Uncached(&raw);
    std::fflush(stdout);
    ::dup2(output, STDOUT_FILENO);
    ::close(output);
    return device;
}

char* copied(const QString& text) {
    return ::strdup(text.toUtf8().constData());
}

}  // namespace

MtpConnection::MtpConnection(const MtpDevice& device, GivesNotices::Notice notice)
    : address_(device), notice_(std::move(notice)) {
    open();
}

MtpConnection::~MtpConnection() {
    LIBMTP_Release_Device(device_);
}

void MtpConnection::open() {
    LIBMTP_raw_device_t raw = rawDevice(address_);
    device_ = openQuietly(raw);
    if (device_)
        return;
    // Another program holds it: it may be about to let go, or be the desktop's, which lets go when asked.
    const QString node = usbNode(address_.bus, address_.address);
    QStringList holders = programsHolding(node);
    if (gnomeMtpHolds(holders))
        desktop_ = std::make_unique<DesktopMtpMount>(address_.bus, address_.address, notice_);
    for (int tries = 1; !holders.isEmpty() && tries < kOpenTries; ++tries) {
        QThread::msleep(kOpenPauseMs);
        holders = programsHolding(node);
    }
    device_ = openQuietly(raw);
    if (device_)
        return;
    holders = programsHolding(node);
    if (holders.isEmpty())
        throw DeviceError(mtp_texts::kNotOpened);
    if (desktop_ && !desktop_->refusal().isEmpty())
        throw DeviceError(mtp_texts::kDesktopKept + desktop_->refusal(), DeviceError::Kind::InUse);
    throw DeviceError(mtp_texts::kClaimed + holders.join(QStringLiteral(", ")), DeviceError::Kind::InUse);
}

DeviceError MtpConnection::failure(const QString& what) {
    QStringList texts;
    LIBMTP_error_number_t kind = LIBMTP_ERROR_GENERAL;
    for (LIBMTP_error_t* error = LIBMTP_Get_Errorstack(device_); error; error = error->next) {
        if (error->error_text)
            texts << QString::fromUtf8(error->error_text).trimmed();
        if (error->errornumber != LIBMTP_ERROR_GENERAL)
            kind = error->errornumber;
    }
    LIBMTP_Clear_Errorstack(device_);
    const QString said =
        texts.isEmpty() ? what : what + QStringLiteral(": ") + texts.join(QStringLiteral(" / "));
    switch (kind) {
        case LIBMTP_ERROR_CANCELLED:
            return DeviceError(player_texts::kCancelled);
        case LIBMTP_ERROR_STORAGE_FULL:
            return DeviceError(player_texts::kMemoryFull);
        case LIBMTP_ERROR_NO_DEVICE_ATTACHED:
        case LIBMTP_ERROR_USB_LAYER:
            return DeviceError(mtp_texts::kConnectionLost + said);
        default:
            return DeviceError(mtp_texts::kRefused + said);
    }
}

std::vector<MtpStorage> MtpConnection::storages() {
    if (LIBMTP_Get_Storage(device_, LIBMTP_STORAGE_SORTBY_NOTSORTED) != 0)
        throw failure(QStringLiteral("Get_Storage"));
    std::vector<MtpStorage> storages;
    for (const LIBMTP_devicestorage_t* storage = device_->storage; storage; storage = storage->next)
        storages.push_back({.id = storage->id, .free = qint64(storage->FreeSpaceInBytes)});
    return storages;
}

// How many listings a command costs shows with QT_LOGGING_RULES="tunedeck.mtp.listing.debug=true".
Q_LOGGING_CATEGORY(mtpListing, "tunedeck.mtp.listing", QtWarningMsg)

const std::vector<MtpObject>& MtpConnection::children(quint32 storage, quint32 parent) {
    const auto key = std::pair(storage, parent);
    if (const auto listed = children_.find(key); listed != children_.end())
        return listed->second;
    qCDebug(mtpListing, "objects of %u in storage %u", parent, storage);
    LIBMTP_Clear_Errorstack(device_);
    std::vector<MtpObject> objects;
    LIBMTP_file_t* file = LIBMTP_Get_Files_And_Folders(device_, storage, parent);
    while (file) {
        objects.push_back({.id = file->item_id,
                           .name = QString::fromUtf8(file->filename),
                           .size = qint64(file->filesize),
                           .folder = file->filetype == LIBMTP_FILETYPE_FOLDER});
        LIBMTP_file_t* next = file->next;
        LIBMTP_destroy_file_t(file);
        file = next;
    }
    // An empty folder and a failed listing both come back empty; only the latter leaves errors.
    if (objects.empty() && LIBMTP_Get_Errorstack(device_))
        throw failure(QStringLiteral("Get_Files_And_Folders"));
    return children_[key] = std::move(objects);
}

void MtpConnection::forgetListings() {
    children_.clear();
    playlists_.reset();
}

void MtpConnection::noteAdded(quint32 storage, quint32 parent, const MtpObject& object) {
    if (const auto listed = children_.find({storage, parent == 0 ? kMtpRoot : parent});
        listed != children_.end())
        listed->second.push_back(object);
    if (object.folder)
        children_[{storage, object.id}] = {};
}

void MtpConnection::noteRemoved(quint32 object) {
    for (auto listed = children_.begin(); listed != children_.end();) {
        if (listed->first.second == object) {
            listed = children_.erase(listed);
            continue;
        }
        std::erase_if(listed->second, [&](const MtpObject& each) { return each.id == object; });
        ++listed;
    }
    if (playlists_) {
        std::erase_if(*playlists_, [&](const MtpPlaylist& playlist) { return playlist.id == object; });
        for (MtpPlaylist& playlist : *playlists_)
            std::erase(playlist.tracks, object);
    }
}

quint32 MtpConnection::defaultMusicFolder() const {
    return device_->default_music_folder == kMtpRoot ? 0 : device_->default_music_folder;
}

bool MtpConnection::takes(int fileType) {
    uint16_t* types = nullptr;
    uint16_t count = 0;
    if (LIBMTP_Get_Supported_Filetypes(device_, &types, &count) != 0) {
        LIBMTP_Clear_Errorstack(device_);
        return false;
    }
    const bool taken = std::find(types, types + count, fileType) != types + count;
    std::free(types);
    return taken;
}

bool MtpConnection::offersPlaylists() {
    return takes(LIBMTP_FILETYPE_PLAYLIST);
}

bool MtpConnection::keepsTrackProperties() {
    if (!tracks_) {
        // A device that does not take MP3 files has no properties for them either; asking costs a request.
        tracks_ = takes(LIBMTP_FILETYPE_MP3) &&
                  LIBMTP_Is_Property_Supported(device_, LIBMTP_PROPERTY_Artist, LIBMTP_FILETYPE_MP3) > 0;
        LIBMTP_Clear_Errorstack(device_);
    }
    return *tracks_;
}

quint32 MtpConnection::createFolder(const QString& name, quint32 parent, quint32 storage) {
    QByteArray utf8 = name.toUtf8();
    const quint32 folder = LIBMTP_Create_Folder(device_, utf8.data(), parent, storage);
    if (folder == 0) {
        forgetListings();
        throw failure(QStringLiteral("Create_Folder"));
    }
    noteAdded(storage, parent, {.id = folder, .name = name, .folder = true});
    return folder;
}

void MtpConnection::remove(quint32 object) {
    if (LIBMTP_Delete_Object(device_, object) != 0) {
        forgetListings();
        throw failure(QStringLiteral("Delete_Object"));
    }
    noteRemoved(object);
}

void MtpConnection::rename(quint32 object, const QString& name) {
    QByteArray utf8 = name.toUtf8();
    if (LIBMTP_Set_Object_Filename(device_, object, utf8.data()) != 0) {
        forgetListings();
        throw failure(QStringLiteral("Set_Object_Filename"));
    }
    for (auto& [key, objects] : children_)
        for (MtpObject& each : objects)
            if (each.id == object)
                each.name = name;
}

quint32 MtpConnection::send(int source, const MtpUpload& upload, const TransferProgress& progress) {
    LIBMTP_Clear_Errorstack(device_);
    Transfer transfer{source, progress};
    quint32 object = 0;
    int result = 0;
    if (upload.mp3 && keepsTrackProperties()) {
        LIBMTP_track_t* track = LIBMTP_new_track_t();
        track->filename = copied(upload.name);
        track->title = copied(upload.title);
        track->artist = copied(upload.artist);
        track->album = copied(upload.album);
        track->filesize = quint64(upload.size);
        track->filetype = LIBMTP_FILETYPE_MP3;
        track->parent_id = upload.parent;
        track->storage_id = upload.storage;
        result =
            LIBMTP_Send_Track_From_Handler(device_, readSong, &transfer, track, reportProgress, &transfer);
        object = track->item_id;
        LIBMTP_destroy_track_t(track);
    } else {
        LIBMTP_file_t* file = LIBMTP_new_file_t();
        file->filename = copied(upload.name);
        file->filesize = quint64(upload.size);
        file->filetype = upload.mp3 ? LIBMTP_FILETYPE_MP3 : LIBMTP_FILETYPE_UNKNOWN;
        file->parent_id = upload.parent;
        file->storage_id = upload.storage;
        result = LIBMTP_Send_File_From_Handler(device_, readSong, &transfer, file, reportProgress, &transfer);
        object = file->item_id;
        LIBMTP_destroy_file_t(file);
    }
    if (result == 0 && !transfer.stopped && !transfer.failed) {
        noteAdded(upload.storage, upload.parent,
                  {.id = object, .name = upload.name, .size = upload.size, .folder = false});
        return object;
    }
    forgetListings();
    const DeviceError error = result != 0       ? failure(upload.name)
                              : transfer.failed ? DeviceError(player_texts::kUnreadableSource + upload.name)
                                                : DeviceError(player_texts::kCancelled);
    // The player may have made the object before the data failed.
    if (object != 0 && LIBMTP_Delete_Object(device_, object) != 0)
        LIBMTP_Clear_Errorstack(device_);
    if (transfer.thrown)
        std::rethrow_exception(transfer.thrown);
    throw error;
}

void MtpConnection::receive(quint32 object, int target, const TransferProgress& progress,
                            const DeviceError& unwritable) {
    LIBMTP_Clear_Errorstack(device_);
    Transfer transfer{target, progress};
    const int result =
        LIBMTP_Get_File_To_Handler(device_, object, writeSong, &transfer, reportProgress, &transfer);
    if (transfer.thrown)
        std::rethrow_exception(transfer.thrown);
    if (result != 0)
        throw failure(QStringLiteral("Get_File"));
    if (transfer.failed)
        throw unwritable;
    if (transfer.stopped)
        throw DeviceError(player_texts::kCancelled);
}

const std::vector<MtpPlaylist>& MtpConnection::playlists() {
    if (playlists_)
        return *playlists_;
    qCDebug(mtpListing, "playlists");
    LIBMTP_Clear_Errorstack(device_);
    std::vector<MtpPlaylist> playlists;
    LIBMTP_playlist_t* playlist = LIBMTP_Get_Playlist_List(device_);
    while (playlist) {
        playlists.push_back({.id = playlist->playlist_id,
                             .storage = playlist->storage_id,
                             .name = QString::fromUtf8(playlist->name),
                             .tracks = {playlist->tracks, playlist->tracks + playlist->no_tracks}});
        LIBMTP_playlist_t* next = playlist->next;
        LIBMTP_destroy_playlist_t(playlist);
        playlist = next;
    }
    if (playlists.empty() && LIBMTP_Get_Errorstack(device_))
        throw failure(QStringLiteral("Get_Playlist_List"));
    return *(playlists_ = std::move(playlists));
}

namespace {

// A playlist as libmtp takes it; LIBMTP_destroy_playlist_t frees it all.
LIBMTP_playlist_t* libmtpPlaylist(const MtpPlaylist& playlist, quint32 parent) {
    LIBMTP_playlist_t* made = LIBMTP_new_playlist_t();
    made->playlist_id = playlist.id;
    made->parent_id = parent;
    made->storage_id = playlist.storage;
    made->name = copied(playlist.name);
    made->no_tracks = quint32(playlist.tracks.size());
    made->tracks = static_cast<uint32_t*>(std::malloc(std::max<size_t>(1, playlist.tracks.size()) * 4));
    std::copy(playlist.tracks.begin(), playlist.tracks.end(), made->tracks);
    return made;
}

}  // namespace

quint32 MtpConnection::createPlaylist(const MtpPlaylist& playlist, quint32 parent) {
    forgetListings();
    LIBMTP_playlist_t* made = libmtpPlaylist(playlist, parent);
    const int result = LIBMTP_Create_New_Playlist(device_, made);
    const quint32 id = made->playlist_id;
    LIBMTP_destroy_playlist_t(made);
    if (result != 0)
        throw failure(QStringLiteral("Create_New_Playlist"));
    return id;
}

void MtpConnection::updatePlaylist(const MtpPlaylist& playlist) {
    LIBMTP_playlist_t* changed = libmtpPlaylist(playlist, 0);
    const int result = LIBMTP_Update_Playlist(device_, changed);
    LIBMTP_destroy_playlist_t(changed);
    if (result != 0) {
        forgetListings();
        throw failure(QStringLiteral("Update_Playlist"));
    }
    if (playlists_)
        for (MtpPlaylist& each : *playlists_)
            if (each.id == playlist.id)
                each.tracks = playlist.tracks;
}

}  // namespace tunedeck
