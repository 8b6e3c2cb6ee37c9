// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tunedeck {

// The desktop around the program: opening files with their applications, and the clipboard.
class Shell {
  public:
    virtual ~Shell() = default;

    // Opens `fileName` in `folder` with the application the desktop associates with it, `folder` being the
    // application's working folder. Answers as the Windows shell does: above 32 is success, 32 or less a
    // failure.
    virtual int open(const QString& folder, const QString& fileName) = 0;

    // Replaces the clipboard's text.
    virtual void setClipboardText(const QString& text) = 0;
};

}  // namespace tunedeck
