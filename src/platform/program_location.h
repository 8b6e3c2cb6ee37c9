// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tunedeck {

// Where the running executable lies and what it is called; the settings file and downloads live beside it.
struct ProgramLocation {
    QString folder;
    QString exeBaseName;  // the file name without its folder and its last extension
};

ProgramLocation runningProgramLocation();

}  // namespace tunedeck
