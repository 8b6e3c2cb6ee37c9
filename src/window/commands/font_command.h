// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

namespace tunedeck {

// A font dialog's size as the whole points the player takes: halves go to the even neighbour (10.5 gives
// 10, 11.5 gives 12).
qint32 roundedFontSize(double points);

}  // namespace tunedeck
