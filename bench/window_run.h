// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frmTunedeck.h"

#include <QCoreApplication>

namespace tunedeck {

// Takes the window's events until its work on the player has ended (its commands return at once, and end in
// the events that follow), and what it queued for once the player pane was given back.
inline void waitForRun(const frmTunedeck& window) {
    while (window.isRunning())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QCoreApplication::processEvents();
}

}  // namespace tunedeck
