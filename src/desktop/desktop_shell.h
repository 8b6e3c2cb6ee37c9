// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "shell.h"

#include <sys/types.h>

#include <vector>

namespace tunedeck {

// The desktop's own way of opening files (xdg-open: the application the desktop associates with the file's
// type) and the system clipboard.
class DesktopShell final : public Shell {
  public:
    // `opener` is the program that opens a file given as its one argument.
    explicit DesktopShell(QString opener = QStringLiteral("xdg-open")) : opener_(std::move(opener)) {}
    ~DesktopShell() override;
    DesktopShell(const DesktopShell&) = delete;
    DesktopShell& operator=(const DesktopShell&) = delete;

    // The Windows shell's codes: 2 when the file is not there, 3 when the folder is not, 31 when no opener
    // could be started or it soon ends reporting failure (no application for the file); 42 otherwise. Waits
    // up to a second for the opener's answer.
    int open(const QString& folder, const QString& fileName) override;
    void setClipboardText(const QString& text) override;

  private:
    // Openers still running when their answer was due are the program's children; their ends are collected
    // here so that they do not linger as zombies.
    void reapFinishedOpeners();

    QString opener_;
    std::vector<pid_t> running_;
};

}  // namespace tunedeck
