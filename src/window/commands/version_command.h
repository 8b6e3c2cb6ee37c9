// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tunedeck {

// The version box's text: the major version, then the minor one with at least two digits.
QString versionText(int major, int minor);

}  // namespace tunedeck
