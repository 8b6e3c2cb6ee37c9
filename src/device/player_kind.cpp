// SPDX-License-Identifier: GPL-3.0-or-later
#include "player_kind.h"

#include <algorithm>

namespace tunedeck {

PlayerKinds::PlayerKinds(std::initializer_list<PlayerKind> kinds) {
    for (const PlayerKind& kind : kinds)
        add(kind);
}

void PlayerKinds::add(PlayerKind kind) {
    kinds_.push_back(std::make_shared<const PlayerKind>(std::move(kind)));
}

std::shared_ptr<const PlayerKind> PlayerKinds::byProgId(const QString& progId) const {
    const auto found =
        std::find_if(kinds_.begin(), kinds_.end(), [&](const auto& kind) { return kind->progId == progId; });
    return found == kinds_.end() ? nullptr : *found;
}

std::shared_ptr<const PlayerKind> PlayerKinds::byId(const QString& id) const {
    if (id.isEmpty())
        return kinds_.empty() ? nullptr : kinds_.front();
    const auto prefixed = std::find_if(kinds_.begin(), kinds_.end(), [&](const auto& kind) {
        return !kind->idPrefix.isEmpty() && id.startsWith(kind->idPrefix);
    });
    if (prefixed != kinds_.end())
        return *prefixed;
    const auto other =
        std::find_if(kinds_.begin(), kinds_.end(), [](const auto& kind) { return kind->takesOtherIds; });
    return other == kinds_.end() ? nullptr : *other;
}

std::vector<PlayerEntry> PlayerKinds::found() const {
    std::vector<PlayerEntry> entries;
    for (const auto& kind : kinds_) {
        if (!kind->find)
            continue;
        for (PlayerEntry& entry : kind->find()) {
            entry.kind = kind;
            entries.push_back(std::move(entry));
        }
    }
    return entries;
}

PlayerEntry PlayerKinds::absent(const QString& id, const QString& name) const {
    const std::shared_ptr<const PlayerKind> kind = byId(id);
    if (!kind)
        return {.id = id, .name = name};
    PlayerEntry entry = kind->absent(id, name);
    entry.kind = kind;
    return entry;
}

}  // namespace tunedeck
