// SPDX-License-Identifier: GPL-3.0-or-later
#include "termination.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>

#include <sys/socket.h>
#include <unistd.h>

namespace tunedeck {
namespace {

// A signal handler may do next to nothing; it writes a byte that the event loop reads. Neither end blocks: a
// full socket already holds a request.
int requests[2] = {-1, -1};

void onTermination(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(requests[1], &byte, 1);
}

}  // namespace

void catchTermination() {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, requests) != 0)
        return;  // then a signal ends the program as it would without this
    struct sigaction action {};
    action.sa_handler = onTermination;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

void quitOnTermination(QCoreApplication& app, std::function<void()> stopWork) {
    if (requests[0] < 0)
        return;
    auto* notifier = new QSocketNotifier(requests[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [stopWork = std::move(stopWork)] {
        char byte = 0;
        [[maybe_unused]] const ssize_t read = ::read(requests[0], &byte, 1);
        stopWork();
        QCoreApplication::exit(0);
    });
}

}  // namespace tunedeck
