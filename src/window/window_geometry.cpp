// SPDX-License-Identifier: GPL-3.0-or-later
#include "window_geometry.h"

#include <algorithm>

namespace tunedeck {

StoredGeometry usableGeometry(StoredGeometry stored, const QList<QRect>& screens, int smallestSize) {
    const StoredGeometry defaults;
    QRect desktop;
    for (const QRect& screen : screens)
        desktop |= screen;
    const auto usableSide = [&](int side, int fallback, int desktopSide) {
        if (side < smallestSize)
            return fallback;
        return desktop.isEmpty() ? side : std::min(side, desktopSide);
    };
    stored.width = usableSide(stored.width, defaults.width, desktop.width());
    stored.height = usableSide(stored.height, defaults.height, desktop.height());
    if (stored.state < 0 || stored.state > 2)
        stored.state = defaults.state;
    // Measured in 64 bits: a position near the 32-bit limit plus a width must not wrap.
    const qint64 right = qint64(stored.left) + stored.width;
    const qint64 bottom = qint64(stored.top) + stored.height;
    const bool onAScreen = std::any_of(screens.begin(), screens.end(), [&](const QRect& s) {
        return stored.left < qint64(s.x()) + s.width() && right > s.x() &&
               stored.top < qint64(s.y()) + s.height() && bottom > s.y();
    });
    if (!screens.isEmpty() && !onAScreen) {
        stored.left = defaults.left;
        stored.top = defaults.top;
    }
    return stored;
}

}  // namespace tunedeck
