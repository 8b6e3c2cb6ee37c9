// SPDX-License-Identifier: GPL-3.0-or-later
#include "version_command.h"

#include "frmTunedeck.h"
#include "program_version.h"

namespace tunedeck {

QString versionText(int major, int minor) {
    return QStringLiteral("Tunedeck Version %1.%2").arg(major).arg(minor, 2, 10, QLatin1Char('0'));
}

// "バージョン情報(&A)": the program's name and version.
void frmTunedeck::menuAbout_Click() {
    environment_.prompts->message(this, versionText(program_version::kMajor, program_version::kMinor),
                                  QStringLiteral("バージョン情報"), Prompts::Icon::Information);
}

}  // namespace tunedeck
