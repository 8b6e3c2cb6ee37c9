#pragma once

#include <QString>

namespace tunedeck {

// `folder` ending in the separator, ready for a file name to be appended.
QString withSeparator(const QString& folder);

// The folder one level up: `folder` up to and including its last separator. At the root this is the root
// again.
QString folderUp(const QString& folder);

}  // namespace tunedeck
