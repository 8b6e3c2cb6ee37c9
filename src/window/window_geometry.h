// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QRect>

namespace tunedeck {

// The window's place as the settings file keeps it, in twips.
struct StoredGeometry {
    int left = 0;
    int top = 0;
    int width = 8000;
    int height = 6000;
    int state = 0;  // 0 normal, 1 minimised, 2 maximised
};

// Stored values the window can take: a size below `smallestSize` falls back to the default, one larger than
// all screens together is cut to them; a window that would lie wholly off every screen returns to the
// top-left corner (0, 0); a state other than 0, 1 or 2 means normal. `screens` and `smallestSize` are in
// twips.
StoredGeometry usableGeometry(StoredGeometry stored, const QList<QRect>& screens, int smallestSize);

}  // namespace tunedeck
