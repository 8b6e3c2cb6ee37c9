// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAction>
#include <QList>
#include <QPointer>
#include <QWidget>

namespace tunedeck {

// Holds a window, or a part of it, still while the program talks to the player: `flag` set, `disabled` (when
// given) and `actions` disabled and, where asked, the wait cursor on `window`. All of it is put back as it
// was on every way out, the keyboard focus included: Qt drops the focus of a widget that is disabled and does
// not give it back.
class BusyWindow {
  public:
    enum class Pointer { Keep, Wait };

    BusyWindow(QWidget* window, QWidget* disabled, bool& flag, Pointer pointer, QList<QAction*> actions = {});
    ~BusyWindow();
    BusyWindow(const BusyWindow&) = delete;
    BusyWindow& operator=(const BusyWindow&) = delete;

  private:
    QWidget* window_;
    QWidget* disabled_;
    bool& flag_;
    const bool wasFlagged_;
    const bool wasEnabled_;
    const Pointer pointer_;
    const Qt::CursorShape cursor_;
    const QPointer<QWidget> focus_;
    QList<QAction*> actions_;  // those that were enabled
};

}  // namespace tunedeck
