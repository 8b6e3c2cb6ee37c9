// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "player_directory.h"
#include "player_kinds.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace tunedeck {

struct PlayerCommandSetting {
    QString defaultStore;      // the store without --store
    QString programFolder;     // where Tunedeck writes: its settings give titles and the display font
    QString componentsFolder;  // the components of players other than the emulated one
    PlayerKinds kinds = builtInKinds();
    PlayerDirectory* players = nullptr;  // the players found on this computer
    bool terminal = false;               // `err` is a terminal: transfers show their progress there
};

// The tunedeck-player command line, `arguments` without the program name: inspects and controls the emulated
// player on the store given by --store, or the default store, or the player --player names. It takes the
// store's lock like the device does, and its transfers go through the player session. Writes results to `out`
// and messages to `err`; returns the exit status (0 done, 1 refused by the store, 2 bad arguments).
int runPlayerCommand(const QStringList& arguments, const PlayerCommandSetting& setting, QTextStream& out,
                     QTextStream& err);

}  // namespace tunedeck
