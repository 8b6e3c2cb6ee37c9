// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device_factory.h"
#include "player_directory.h"
#include "player_kinds.h"
#include "prompts.h"
#include "shell.h"

#include <QString>

namespace tunedeck {

// Everything the window reaches outside itself, handed in by main() or by a test.
struct Environment {
    QString programFolder;         // where the program writes: settings file, downloads (write_folder.h)
    QString programFolderProblem;  // shown at start-up when that folder cannot be written
    QString exeBaseName;           // names the settings file and its section
    DeviceFactory createDevice;    // player -> device object, or DeviceError when not registered
    PlayerKinds kinds = builtInKinds();
    PlayerDirectory* players = nullptr;  // the players found on the computer; none without it
    Prompts* prompts = nullptr;
    Shell* shell = nullptr;
};

}  // namespace tunedeck
