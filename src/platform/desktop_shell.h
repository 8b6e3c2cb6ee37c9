#pragma once

#include "shell.h"

namespace tunedeck {

// The desktop's own way of opening files (xdg-open: the application the desktop associates with the file's
// type) and the system clipboard.
class DesktopShell final : public Shell {
  public:
    // `opener` is the program that opens a file given as its one argument.
    explicit DesktopShell(QString opener = QStringLiteral("xdg-open")) : opener_(std::move(opener)) {}

    // The Windows shell's codes: 2 when the file is not there, 3 when the folder is not, 31 when no opener
    // could be started; 42 once the opener runs. The opener reports its own failures to the user.
    int open(const QString& folder, const QString& fileName) override;
    void setClipboardText(const QString& text) override;

  private:
    QString opener_;
};

}  // namespace tunedeck
