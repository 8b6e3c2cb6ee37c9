// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tunedeck {

// `folder` ending in the separator, ready for a file name to be appended.
QString withSeparator(const QString& folder);

// The folder one level up: `folder` up to and including its last separator. At the root this is the root
// again, and so it is at `driveRoot`: going up never leaves a drive mounted further down.
QString folderUp(const QString& folder, const QString& driveRoot = QStringLiteral("/"));

}  // namespace tunedeck
