// SPDX-License-Identifier: GPL-3.0-or-later
#include "song_order.h"

#include <array>
#include <utility>

namespace tunedeck {
namespace {

const std::array<std::pair<SongOrder, QString>, 3> kKeys{{
    {SongOrder::Directory, QStringLiteral("directory")},
    {SongOrder::Name, QStringLiteral("name")},
    {SongOrder::Playlist, QStringLiteral("playlist")},
}};

}  // namespace

QString songOrderKey(SongOrder order) {
    for (const auto& [known, key] : kKeys)
        if (known == order)
            return key;
    return {};
}

std::optional<SongOrder> songOrderFromKey(const QString& key) {
    for (const auto& [order, known] : kKeys)
        if (key.compare(known, Qt::CaseInsensitive) == 0)
            return order;
    return std::nullopt;
}

}  // namespace tunedeck
