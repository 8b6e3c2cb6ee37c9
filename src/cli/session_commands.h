// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "player_directory.h"
#include "player_memory.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

#include <optional>

namespace tunedeck {

// Where and how the commands that change songs and folders act.
struct SessionCommandSetting {
    QString store;             // the emulated player's store folder
    PlayerEntry player;        // the player acted on
    QString componentsFolder;  // where the component of a player other than the emulated one lies
    QString programFolder;     // where Tunedeck writes: its settings give the display format and font
    PlayerMemory memory = PlayerMemory::Internal;
    qint16 folder = 0;             // numbered as ls numbers them
    std::optional<QString> title;  // the display title of every song sent; else made from its tags
    bool showProgress = false;     // each song and its progress on `err`
    // A sync's: the folder it makes or uses in place of `folder`, whether the songs no file is go, and
    // whether it only says what it would do.
    std::optional<QString> newFolder;
    bool removeOnlyOnPlayer = false;
    bool dryRun = false;
};

// True for the commands runSessionCommand runs.
bool isSessionCommand(const QString& command);

// send FILE…, get POSITION DEST, delete POSITION…, swap A B, mkdir NAME, rmdir N, format, sync DIR, and ls
// of a player other than the emulated one: each through the player session, as the window's commands go.
// Songs are numbered as ls numbers them. Returns the exit status: 0 done (for sync: the folder in step at the
// end, or with `dryRun` already), 1 refused by the player (its description on `err`) or not in step, 2 bad
// operands.
int runSessionCommand(const QString& command, const QStringList& operands,
                      const SessionCommandSetting& setting, QTextStream& out, QTextStream& err);

}  // namespace tunedeck
