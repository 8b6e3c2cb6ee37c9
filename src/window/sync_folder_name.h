// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tunedeck {

// The name of the player folder made to follow the computer folder `folder`: the folder's own name as the
// window shows it. The root of a drive has none of its own: it is the drive's label `driveName`, or
// "新しいフォルダ" for a drive without one.
QString syncFolderName(const QString& folder, const QString& driveRoot, const QString& driveName);

}  // namespace tunedeck
