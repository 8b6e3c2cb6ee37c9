// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "volume_files.h"

#include <QSet>
#include <QString>

#include <map>
#include <vector>

namespace tunedeck {

// The folders of a player as one bracket last listed them, by path, so that a run of songs into a folder of a
// thousand lists it once, not once a song. A listing is used again while the folder's stamp (inode, size,
// modification and change times) stays as it was, and only once the folder's last change is older than the
// time a file system may keep for one change (FAT's two seconds): a change made later in that time could
// leave the stamp as it was. Tunedeck's own changes are noted in the listing, or forget it. So the one change
// that can go unseen until the next bracket is another program's, made within two seconds after one of ours
// in the same folder: a write checks the one name it takes all the same.
class FolderListings {
  public:
    const std::vector<VolumeEntry>& entries(const Fd& folder, const QString& path);
    // `name` was made or replaced in the folder, or removed from it.
    void noteWritten(const Fd& folder, const QString& path, const QString& name);
    void noteRemoved(const Fd& folder, const QString& path, const QString& name);
    void forget(const QString& path);
    void forgetAll();
    // True the first time it is asked for `path`: what a crash left there is yet to be seen to.
    bool firstVisit(const QString& path);

  private:
    struct Stamp {
        quint64 inode = 0;
        qint64 size = 0, modified = 0, changed = 0;
        bool operator==(const Stamp&) const = default;
    };
    struct Listing {
        Stamp stamp;
        std::vector<VolumeEntry> entries;
        bool settled = false;  // the stamp will move with the next change
    };
    static Stamp stampOf(const Fd& folder);
    // The listing of `path` once the folder's stamp is taken anew, or none when it was not listed.
    Listing* restamped(const Fd& folder, const QString& path);

    std::map<QString, Listing> listings_;
    QSet<QString> visited_;
};

}  // namespace tunedeck
