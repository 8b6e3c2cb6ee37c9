// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fat_names.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace tunedeck {

// The name a player of files makes the folder `asked` under: FAT's form of it (fatSafeName within `limit`).
// Refuses a name of blanks only, and one that FAT would take for a name `taken()` gives (those beside the new
// folder), which is asked only for a name that is not blank.
// The name a folder asked as `asked` gets within `limit`, before it is looked for among the others.
QString folderNameFor(const QString& asked, const NameLimit& limit);

QString newFolderName(const QString& asked, const NameLimit& limit,
                      const std::function<QStringList()>& taken);

}  // namespace tunedeck
