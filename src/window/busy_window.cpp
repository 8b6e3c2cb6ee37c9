// SPDX-License-Identifier: GPL-3.0-or-later
#include "busy_window.h"

#include <QTimer>

namespace tunedeck {

BusyWindow::BusyWindow(QWidget* window, QWidget* disabled, QList<QAction*> actions)
    : window_(window), disabled_(disabled), actions_(std::move(actions)) {}

BusyWindow::Hold BusyWindow::hold(Pointer pointer) {
    if (holds_++ == 0) {
        wasEnabled_ = disabled_ && disabled_->isEnabled();
        cursor_ = window_->cursor().shape();
        focus_ = window_->focusWidget();
        enabledActions_.clear();
        for (QAction* action : actions_) {
            if (action->isEnabled())
                enabledActions_.append(action);
            action->setEnabled(false);
        }
        if (disabled_)
            disabled_->setEnabled(false);
    }
    if (pointer == Pointer::Wait && waiting_++ == 0)
        window_->setCursor(Qt::WaitCursor);
    return Hold(this, [this, pointer](const void*) { release(pointer); });
}

void BusyWindow::release(Pointer pointer) {
    if (pointer == Pointer::Wait && --waiting_ == 0)
        window_->setCursor(cursor_);
    if (--holds_ > 0)
        return;
    for (QAction* action : enabledActions_)
        action->setEnabled(true);
    if (disabled_)
        disabled_->setEnabled(wasEnabled_);
    if (focus_ && focus_->isEnabled() && focus_->isVisible())
        focus_->setFocus();
    if (givenBack_)
        QTimer::singleShot(0, window_, std::exchange(givenBack_, {}));
}

void BusyWindow::whenGivenBack(std::function<void()> then) {
    if (isHeld())
        givenBack_ = std::move(then);
    else
        QTimer::singleShot(0, window_, std::move(then));
}

}  // namespace tunedeck
