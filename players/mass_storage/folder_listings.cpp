// SPDX-License-Identifier: GPL-3.0-or-later
#include "folder_listings.h"

#include <sys/stat.h>

#include <QHash>

#include <algorithm>
#include <ctime>

namespace tunedeck {
namespace {

// FAT keeps a modification time in steps of two seconds; the clock that stamps it may lag a tick behind.
constexpr qint64 kStampStep = 2'050'000'000;

qint64 nanoseconds(const timespec& time) {
    return qint64(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

qint64 now() {
    timespec time{};
    ::clock_gettime(CLOCK_REALTIME, &time);
    return nanoseconds(time);
}

}  // namespace

FolderListings::Stamp FolderListings::stampOf(const Fd& folder) {
    struct stat status {};
    if (::fstat(folder.get(), &status) != 0)
        return {};
    return {.inode = status.st_ino,
            .size = status.st_size,
            .modified = nanoseconds(status.st_mtim),
            .changed = nanoseconds(status.st_ctim)};
}

const std::vector<VolumeEntry>& FolderListings::entries(const Fd& folder, const QString& path) {
    const Stamp stamp = stampOf(folder);
    Listing& listing = listings_[path];
    if (listing.settled && listing.stamp == stamp)
        return listing.entries;
    // Stamped before it is read: a change in between moves the stamp, and the next call reads it again.
    const qint64 time = now();
    listing = {.stamp = stamp,
               .entries = listEntries(folder),
               // A folder that cannot be looked at has no stamp worth keeping.
               .settled = stamp != Stamp{} && std::max(stamp.modified, stamp.changed) + kStampStep <= time};
    return listing.entries;
}

FolderListings::Listing* FolderListings::restamped(const Fd& folder, const QString& path) {
    const auto listed = listings_.find(path);
    if (listed == listings_.end())
        return nullptr;
    // What was noted is what is there, however recent.
    listed->second.stamp = stampOf(folder);
    listed->second.settled = listed->second.stamp != Stamp{};
    return &listed->second;
}

void FolderListings::noteWritten(const Fd& folder, const QString& path, const QString& name) {
    if (Listing* listing = restamped(folder, path)) {
        // Read again for where the file system put the entry (FAT: in the first free slots that hold its
        // name, which may be a removed song's), but the entries already known are not looked at again.
        QHash<QString, const VolumeEntry*> known;
        for (const VolumeEntry& entry : listing->entries)
            if (entry.name != name)
                known.insert(entry.name, &entry);
        listing->entries = listEntries(folder, [&](const QString& each) { return known.value(each); });
    }
}

void FolderListings::noteRemoved(const Fd& folder, const QString& path, const QString& name) {
    if (Listing* listing = restamped(folder, path))
        std::erase_if(listing->entries, [&](const VolumeEntry& entry) { return entry.name == name; });
}

void FolderListings::forget(const QString& path) {
    listings_.erase(path);
}

void FolderListings::forgetAll() {
    listings_.clear();
}

bool FolderListings::firstVisit(const QString& path) {
    if (visited_.contains(path))
        return false;
    visited_.insert(path);
    return true;
}

}  // namespace tunedeck
