// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

struct LIBMTP_mtpdevice_struct;

namespace tunedeck::bench {

// An object of a folder, as the player lists it.
struct PeerObject {
    uint32_t id = 0;
    QString name;
};

// The yardstick of the MTP benchmarks: what a program written straight on libmtp does, with no Tunedeck code.
// One connection to the only MTP device on the bus, from the constructor to the destructor, on its first
// storage.
class MtpPeer {
  public:
    MtpPeer();  // throws std::runtime_error when no device opens
    ~MtpPeer();
    MtpPeer(const MtpPeer&) = delete;
    MtpPeer& operator=(const MtpPeer&) = delete;

    // The folder at `path` ("Music", "Bench"), each step listed once from the storage's root.
    uint32_t folder(const QStringList& path);
    std::vector<PeerObject> children(uint32_t folder);
    void send(const QString& file, uint32_t folder);
    void remove(uint32_t object);

  private:
    LIBMTP_mtpdevice_struct* device_ = nullptr;
    uint32_t storage_ = 0;
};

}  // namespace tunedeck::bench
