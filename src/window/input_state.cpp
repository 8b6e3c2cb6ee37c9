// SPDX-License-Identifier: GPL-3.0-or-later
#include "input_state.h"

namespace tunedeck::input {

int buttonState(Qt::MouseButtons buttons) {
    return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) |
           (buttons & Qt::MiddleButton ? 4 : 0);
}

int shiftState(Qt::KeyboardModifiers modifiers) {
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
           (modifiers & Qt::AltModifier ? 4 : 0);
}

int keyCode(int qtKey) {
    switch (qtKey) {
        case Qt::Key_Backspace:
            return kKeyBack;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return kKeyReturn;
        case Qt::Key_F5:
            return kKeyF5;
        default:
            return 0;
    }
}

bool opensPopupMenu(int qtKey, Qt::KeyboardModifiers modifiers) {
    return qtKey == Qt::Key_Menu || (qtKey == Qt::Key_F10 && shiftState(modifiers) == 1);
}

}  // namespace tunedeck::input
