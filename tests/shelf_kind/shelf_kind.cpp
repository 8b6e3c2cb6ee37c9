// SPDX-License-Identifier: GPL-3.0-or-later
#include "shelf_kind.h"

namespace tunedeck::testing {

PlayerKind shelfKind() {
    const auto entry = [](const QString& id, const QString& name) {
        return PlayerEntry{.id = id, .variety = QStringLiteral("shelf"), .name = name};
    };
    return {
        .progId = QStringLiteral("Tunedeck.Shelf"),
        .plugin = QStringLiteral("Shelf"),
        .idPrefix = QStringLiteral("shelf:"),
        .find =
            [entry] { return std::vector{entry(QStringLiteral("shelf:1"), QStringLiteral("棚プレーヤー"))}; },
        .absent = entry};
}

}  // namespace tunedeck::testing
