// SPDX-License-Identifier: GPL-3.0-or-later
#include "entry_order.h"

#include "local_path.h"

#include <linux/magic.h>
#include <sys/vfs.h>

namespace tunedeck {

bool keepsEntryOrder(qint64 fileSystemType) {
    return fileSystemType == MSDOS_SUPER_MAGIC || fileSystemType == EXFAT_SUPER_MAGIC;
}

bool folderKeepsEntryOrder(const QString& folder) {
    struct statfs status;
    return ::statfs(NativePath(folder).c_str(), &status) == 0 && keepsEntryOrder(status.f_type);
}

}  // namespace tunedeck
