// SPDX-License-Identifier: GPL-3.0-or-later
#include "player_words.h"

#include "player_kind.h"

#include <QStringList>

namespace tunedeck {

PlayerWords playerWords(const PlayerEntry& player) {
    if (player.kind && player.kind->words)
        return *player.kind->words;
    const QString name = player.name.isEmpty() ? QStringLiteral("プレーヤー") : player.name;
    return {.name = name, .model = name};
}

QString worded(const QString& text, const PlayerWords& words) {
    QStringList parts = text.split(QStringLiteral("Rio500"));
    for (QString& part : parts)
        part.replace(QStringLiteral("Rio"), words.name);
    return parts.join(words.model);
}

}  // namespace tunedeck
