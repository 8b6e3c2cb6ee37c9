// SPDX-License-Identifier: GPL-3.0-or-later
#include "mtp_peer.h"

#include <QFileInfo>

#include <libmtp.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

namespace tunedeck::bench {
namespace {

constexpr int kOpenAttempts = 10;

std::runtime_error failure(const char* what) {
    return std::runtime_error(std::string("libmtp: ") + what + " failed");
}

}  // namespace

MtpPeer::MtpPeer() {
    LIBMTP_Init();
    LIBMTP_raw_device_t* raw = nullptr;
    int count = 0;
    if (LIBMTP_Detect_Raw_Devices(&raw, &count) != LIBMTP_ERROR_NONE || count < 1)
        throw failure("Detect_Raw_Devices");
    // Under emulation the responder may not answer yet just after the last connection let it go.
    for (int attempt = 0; !device_ && attempt < kOpenAttempts; ++attempt) {
        if (attempt > 0) {
            std::fprintf(stderr, "MtpPeer: the device did not open; trying again\n");
            ::usleep(200'000);
        }
        device_ = LIBMTP_Open_Raw_Device_Uncached(&raw[0]);
    }
    std::free(raw);
    if (!device_)
        throw failure("Open_Raw_Device_Uncached");
    if (LIBMTP_Get_Storage(device_, LIBMTP_STORAGE_SORTBY_NOTSORTED) != 0 || !device_->storage) {
        LIBMTP_Release_Device(device_);
        throw failure("Get_Storage");
    }
    storage_ = device_->storage->id;
}

MtpPeer::~MtpPeer() {
    LIBMTP_Release_Device(device_);
}

uint32_t MtpPeer::folder(const QStringList& path) {
    uint32_t folder = LIBMTP_FILES_AND_FOLDERS_ROOT;
    for (const QString& name : path) {
        const std::vector<PeerObject> objects = children(folder);
        const auto found = std::find_if(objects.begin(), objects.end(),
                                        [&](const PeerObject& each) { return each.name == name; });
        if (found == objects.end())
            throw std::runtime_error("the MTP player has no folder " + path.join(u'/').toStdString());
        folder = found->id;
    }
    return folder;
}

std::vector<PeerObject> MtpPeer::children(uint32_t folder) {
    std::vector<PeerObject> objects;
    for (LIBMTP_file_t* file = LIBMTP_Get_Files_And_Folders(device_, storage_, folder); file;) {
        objects.push_back({.id = file->item_id, .name = QString::fromUtf8(file->filename)});
        LIBMTP_file_t* next = file->next;
        LIBMTP_destroy_file_t(file);
        file = next;
    }
    return objects;
}

void MtpPeer::send(const QString& path, uint32_t folder) {
    const QFileInfo info(path);
    LIBMTP_file_t* file = LIBMTP_new_file_t();
    file->filename = strdup(info.fileName().toUtf8().constData());
    file->filesize = uint64_t(info.size());
    file->filetype = LIBMTP_FILETYPE_MP3;
    file->parent_id = folder;
    file->storage_id = storage_;
    const int result =
        LIBMTP_Send_File_From_File(device_, path.toLocal8Bit().constData(), file, nullptr, nullptr);
    LIBMTP_destroy_file_t(file);
    if (result != 0)
        throw failure("Send_File_From_File");
}

void MtpPeer::remove(uint32_t object) {
    if (LIBMTP_Delete_Object(device_, object) != 0)
        throw failure("Delete_Object");
}

}  // namespace tunedeck::bench
