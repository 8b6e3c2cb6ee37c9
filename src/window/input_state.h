// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <Qt>

// Mouse buttons, modifier keys and key codes as the window's handlers take them: the button set 1 left,
// 2 right, 4 middle; the shift set 1 Shift, 2 Ctrl, 4 Alt; key codes as the desktop's virtual-key codes.
namespace tunedeck::input {

int buttonState(Qt::MouseButtons buttons);
int shiftState(Qt::KeyboardModifiers modifiers);

inline constexpr int kKeyBack = 8;
inline constexpr int kKeyReturn = 13;
inline constexpr int kKeyF5 = 116;

// The virtual-key code of a Qt key, or 0 for keys no handler looks at.
int keyCode(int qtKey);

// The Menu key or Shift+F10: the keyboard's way to the pop-up menu of the control that has the focus.
bool opensPopupMenu(int qtKey, Qt::KeyboardModifiers modifiers);

}  // namespace tunedeck::input
