// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop_shell.h"

#include "local_path.h"

#include <QClipboard>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QThread>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tunedeck {
namespace {

constexpr int kFileNotFound = 2;
constexpr int kPathNotFound = 3;
constexpr int kNoAssociation = 31;
constexpr int kStarted = 42;

// How long an opener may take to say whether it could open the file.
constexpr int kAnswerMilliseconds = 1000;

// Starts `program` with `argument` in `folder`; no process when it cannot be started.
std::optional<pid_t> spawn(const QString& program, const QString& argument, const QString& folder) {
    QByteArray name = QFile::encodeName(program);
    QByteArray file = pathBytes(argument);
    const NativePath workingFolder(folder);
    char* argv[] = {name.data(), file.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
    pid_t pid = 0;
    const int failed = posix_spawnp(&pid, name.constData(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    return failed ? std::nullopt : std::optional<pid_t>(pid);
}

}  // namespace

DesktopShell::~DesktopShell() {
    reapFinishedOpeners();
}

int DesktopShell::open(const QString& folder, const QString& fileName) {
    if (!isFolder(folder))
        return kPathNotFound;
    const QString path = QDir(folder).filePath(fileName);
    if (::access(NativePath(path).c_str(), F_OK) != 0)
        return kFileNotFound;
    reapFinishedOpeners();
    const std::optional<pid_t> pid = spawn(opener_, path, folder);
    if (!pid)
        return kNoAssociation;
    // A desktop's opener hands the file over and ends at once, its status telling whether any application
    // took it; one that runs the application itself is still running, which means it could.
    const QDeadlineTimer deadline(kAnswerMilliseconds);
    for (;;) {
        int status = 0;
        const pid_t ended = ::waitpid(*pid, &status, WNOHANG);
        if (ended == *pid)
            return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? kStarted : kNoAssociation;
        if (ended < 0)
            return kStarted;
        if (deadline.hasExpired()) {
            running_.push_back(*pid);
            return kStarted;
        }
        QThread::msleep(5);
    }
}

void DesktopShell::reapFinishedOpeners() {
    std::erase_if(running_, [](pid_t pid) { return ::waitpid(pid, nullptr, WNOHANG) != 0; });
}

void DesktopShell::setClipboardText(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
}

}  // namespace tunedeck
