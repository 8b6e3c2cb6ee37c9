// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

namespace tunedeck {

// The bar between the panes. It reports every mouse move with the buttons held (1 left, 2 right, 4 middle),
// the modifier keys (1 Shift, 2 Ctrl, 4 Alt) and the pointer's place in pixels relative to the bar's top-left
// corner; it keeps receiving moves while a button pressed on it is held.
class SplitterBar : public QWidget {
    Q_OBJECT
  public:
    explicit SplitterBar(QWidget* parent = nullptr);

  signals:
    void mouseMoved(int buttons, int shift, int x, int y);

  protected:
    void mouseMoveEvent(QMouseEvent* event) override;
};

}  // namespace tunedeck
