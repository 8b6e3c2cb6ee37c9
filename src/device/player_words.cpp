// SPDX-License-Identifier: GPL-3.0-or-later
#include "player_words.h"

#include "player_kind.h"

namespace tunedeck {

PlayerWords playerWords(const PlayerEntry& player) {
    if (player.kind && player.kind->words)
        return *player.kind->words;
    const QString name = player.name.isEmpty() ? QStringLiteral("プレーヤー") : player.name;
    return {.name = name, .model = name};
}

}  // namespace tunedeck
