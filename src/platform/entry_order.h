// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tunedeck {

// Whether a file system of this type (statfs f_type) keeps a folder's entries in the order they were
// written, as FAT does: vfat, and exFAT through the kernel. Others list them as they like (ext4 by hash,
// tmpfs newest first), and there no swap can set the order they are played in.
bool keepsEntryOrder(qint64 fileSystemType);

// The same of the file system holding `folder`; false when it cannot be told.
bool folderKeepsEntryOrder(const QString& folder);

}  // namespace tunedeck
