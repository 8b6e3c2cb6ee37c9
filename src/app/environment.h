// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device_factory.h"
#include "prompts.h"
#include "shell.h"

#include <QString>

namespace tunedeck {

// Everything the window reaches outside itself, handed in by main() or by a test.
struct Environment {
    QString programFolder;         // where the program writes: settings file, downloads (write_folder.h)
    QString programFolderProblem;  // shown at start-up when that folder cannot be written
    QString exeBaseName;           // names the settings file and its section
    DeviceFactory createDevice;    // ProgID -> device object, or DeviceError when not registered
    Prompts* prompts = nullptr;
    Shell* shell = nullptr;
};

}  // namespace tunedeck
