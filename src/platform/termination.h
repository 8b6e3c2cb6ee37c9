// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

class QCoreApplication;

namespace tunedeck {

// A request to end from outside the window: SIGTERM (a logout, `kill`) or SIGINT (Ctrl+C in the terminal it
// was started from). The program then ends as through its close button, keeping its settings.
//
// Requests are caught from the first call on, so that one arriving during start-up waits rather than killing
// the program; they take effect once the event loop runs, after the work under way.
void catchTermination();

// From now on a request, also one caught earlier, first calls `stopWork`, which stops the work under way,
// then ends `app`'s event loops: the one a dialog open at that moment runs (it answers as if cancelled) and,
// once the work has stopped, the main one. The caller then closes the window, which nothing running refuses
// any more.
void quitOnTermination(QCoreApplication& app, std::function<void()> stopWork);

}  // namespace tunedeck
