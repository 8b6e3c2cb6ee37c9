#pragma once

#include "device_factory.h"
#include "prompts.h"
#include "shell.h"

#include <QString>

namespace tunedeck {

// Everything the window reaches outside itself, handed in by main() or by a test.
struct Environment {
    QString programFolder;       // where the executable lies: settings file, downloads
    QString exeBaseName;         // names the settings file and its section
    DeviceFactory createDevice;  // ProgID -> device object, or DeviceError when not registered
    Prompts* prompts = nullptr;
    Shell* shell = nullptr;
};

}  // namespace tunedeck
