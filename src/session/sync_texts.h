// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "player_session.h"

#include <QString>

namespace tunedeck {

// The summary a sync shows before anything is written, a line each for what goes, what is there
// already, what only the player has and what becomes of it, whether it fits, whether the order is put right;
// and, where files of one name and size are told apart only by their count, that too. `playerFolder` is the
// folder it goes into, `newFolder` whether the sync makes it.
QString syncSummaryText(const SyncSummary& summary, const QString& playerFolder, bool newFolder,
                        bool removingOnlyOnPlayer);

// How a sync ended, in one line.
QString syncEndingText(const Outcome& outcome, const SyncResult& result);

}  // namespace tunedeck
