// SPDX-License-Identifier: GPL-3.0-or-later
#include "busy_window.h"

namespace tunedeck {

BusyWindow::BusyWindow(QWidget* window, QWidget* disabled, bool& flag, Pointer pointer,
                       QList<QAction*> actions)
    : window_(window),
      disabled_(disabled),
      flag_(flag),
      wasFlagged_(flag),
      wasEnabled_(disabled && disabled->isEnabled()),
      pointer_(pointer),
      cursor_(window->cursor().shape()),
      focus_(window->focusWidget()) {
    flag_ = true;
    if (pointer_ == Pointer::Wait)
        window_->setCursor(Qt::WaitCursor);
    if (disabled_)
        disabled_->setEnabled(false);
    for (QAction* action : actions) {
        if (action->isEnabled())
            actions_.append(action);
        action->setEnabled(false);
    }
}

BusyWindow::~BusyWindow() {
    for (QAction* action : actions_)
        action->setEnabled(true);
    if (disabled_)
        disabled_->setEnabled(wasEnabled_);
    if (pointer_ == Pointer::Wait)
        window_->setCursor(cursor_);
    flag_ = wasFlagged_;
    if (focus_ && focus_->isEnabled() && focus_->isVisible())
        focus_->setFocus();
}

}  // namespace tunedeck
