// SPDX-License-Identifier: GPL-3.0-or-later
#include "splitter_bar.h"

#include "input_state.h"

#include <QMouseEvent>

namespace tunedeck {

SplitterBar::SplitterBar(QWidget* parent) : QWidget(parent) {
    setCursor(Qt::SizeVerCursor);
    setMouseTracking(true);
}

void SplitterBar::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    emit mouseMoved(input::buttonState(event->buttons()), input::shiftState(event->modifiers()), at.x(),
                    at.y());
}

}  // namespace tunedeck
