// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fat_names.h"
#include "volume_files.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace tunedeck {

// Called after each step that is on the device; a test throws from it to leave what a crash there would.
using StepDone = std::function<void()>;

// Gives `folder` of `audio` its entries in `order` (the name of every entry, songs first), for players that
// play in directory-entry order: a fresh hidden sibling is made and a journal beside it names the order, the
// entries are renamed into it one by one, in that order (each takes the next slot of the fresh folder), and
// the fresh folder takes the old one's place. From the journal on, finishRewrites completes what a crash
// interrupted.
void rewriteFolder(const Fd& audio, const QString& folder, const QStringList& order,
                   const StepDone& stepDone);

// Completes every interrupted rewrite in `audio`, or undoes one that had not written its journal yet.
void finishRewrites(const Fd& audio);

// Does `renames` in `folder` in their order, all or nothing: a journal names them first, and after a failure
// the ones done are undone; after a crash recoverFolder completes them (or undoes them, when one of them
// cannot be done).
void renameAll(const Fd& folder, const std::vector<Rename>& renames, const StepDone& stepDone);

// The renames that swap the number prefixes of the song files `a` ("03 x.mp3") and `b` ("07 y.mp3") of a
// folder whose prefixes are distinct: a goes to a hidden name, b takes a's number, a takes b's. The new names
// fit `limit`.
std::vector<Rename> prefixSwap(const QString& a, const QString& b, const NameLimit& limit);

// What a crash left in a song folder: temporaries of a copy removed, renames under a journal completed.
void recoverFolder(const Fd& folder);

}  // namespace tunedeck
