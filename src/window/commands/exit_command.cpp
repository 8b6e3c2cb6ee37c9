// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmTunedeck.h"

namespace tunedeck {
namespace {

int stateNumber(Qt::WindowStates state) {
    if (state & Qt::WindowMinimized)
        return 1;
    if (state & Qt::WindowMaximized)
        return 2;
    return 0;
}

}  // namespace

void frmTunedeck::Form_Unload() {
    if (session_)
        session_->release();
    session_.reset();

    const SettingsFile file = settings();
    const int state = stateNumber(windowState());
    file.write(QStringLiteral("Separate"), splitterTop_);
    file.write(QStringLiteral("WindowState"), state);
    if (state == 0) {
        file.write(QStringLiteral("WindowTop"), twips_.toTwips(y()));
        file.write(QStringLiteral("WindowLeft"), twips_.toTwips(x()));
        file.write(QStringLiteral("WindowWidth"), twips_.toTwips(width()));
        file.write(QStringLiteral("WindowHeight"), twips_.toTwips(height()));
    }
}

// "終了(&X)" (Ctrl+X): closes the window, which then ends as its close box ends it.
void frmTunedeck::menuEnd_Click() {
    close();
}

void frmTunedeck::stopPlayerWork() {
    if (session_)
        session_->stop();
}

}  // namespace tunedeck
