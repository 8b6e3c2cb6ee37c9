// SPDX-License-Identifier: GPL-3.0-or-later
#include "program_location.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace tunedeck {

ProgramLocation runningProgramLocation() {
    const QFileInfo exe(QCoreApplication::applicationFilePath());
    return {exe.absolutePath(), exe.completeBaseName()};
}

}  // namespace tunedeck
