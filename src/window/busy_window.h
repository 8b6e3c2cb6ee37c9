// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAction>
#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

namespace tunedeck {

// Holds a window, or a part of it, still while the program talks to the player: `disabled` (when given) and
// `actions` disabled and, where a hold asks, the wait cursor on `window`. A hold lasts while a copy of it
// lives, so a command keeps it in the continuation that shows how its run ended; holds may end in another
// order than they began (a run's continuation reads the pane again, under a hold of its own). Once the last
// has ended, all of it is as it was before the first, the keyboard focus included: Qt drops the focus of a
// widget that is disabled and does not give it back.
class BusyWindow {
  public:
    enum class Pointer { Keep, Wait };
    using Hold = std::shared_ptr<const void>;

    BusyWindow(QWidget* window, QWidget* disabled, QList<QAction*> actions);
    BusyWindow(const BusyWindow&) = delete;
    BusyWindow& operator=(const BusyWindow&) = delete;

    Hold hold(Pointer pointer);
    bool isHeld() const { return holds_ > 0; }
    // `then` once no hold is left: queued after the last one ends, so it runs outside the code that held it.
    // Only the one asked for last is kept.
    void whenGivenBack(std::function<void()> then);

  private:
    void release(Pointer pointer);

    QWidget* window_;
    QWidget* disabled_;
    const QList<QAction*> actions_;
    int holds_ = 0;
    int waiting_ = 0;  // holds that show the wait cursor
    // As the first hold found them.
    bool wasEnabled_ = false;
    Qt::CursorShape cursor_ = Qt::ArrowCursor;
    QPointer<QWidget> focus_;
    QList<QAction*> enabledActions_;
    std::function<void()> givenBack_;
};

}  // namespace tunedeck
