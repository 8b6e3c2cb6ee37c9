// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tunedeck {

struct PlayerEntry;

// What the program's texts call a player. They were written for the emulated player, "Rio" in most and
// "Rio500" in some; another player is called by its name in both, or "プレーヤー" when it has none.
struct PlayerWords {
    QString name;   // in place of "Rio": "Rioへ転送(&S)"
    QString model;  // in place of "Rio500": "Rio500が接続されていません。"

    bool operator==(const PlayerWords&) const = default;
};

// The words for `player`: its kind's own where the kind has them (the emulated player's "Rio" and
// "Rio500"), else its name, else "プレーヤー".
PlayerWords playerWords(const PlayerEntry& player);

// A text written for the emulated player, its "Rio500" and "Rio" said as `words` say them.
QString worded(const QString& text, const PlayerWords& words);

}  // namespace tunedeck
