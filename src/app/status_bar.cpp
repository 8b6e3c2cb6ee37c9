#include "status_bar.h"

#include <QPainter>

namespace tunedeck {

StatusPanel::StatusPanel(QWidget* parent) : QWidget(parent) {}

void StatusPanel::setText(const QString& text) {
    text_ = text;
    update();
}

QSize StatusPanel::sizeHint() const {
    return {0, fontMetrics().height()};
}

void StatusPanel::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter,
                     fontMetrics().elidedText(text_, Qt::ElideRight, width()));
}

StatusBar::StatusBar(QWidget* parent)
    : QStatusBar(parent), message_(new StatusPanel(this)), memory_(new StatusPanel(this)) {
    setSizeGripEnabled(false);
    message_->setObjectName(QStringLiteral("statMsg"));
    memory_->setObjectName(QStringLiteral("statMem"));
    memory_->setMinimumWidth(
        memory_->fontMetrics().horizontalAdvance(QStringLiteral("使用:00,000KB 空き:00,000KB")));
    addWidget(message_, 1);
    addPermanentWidget(memory_);
}

void StatusBar::setPanelText(int panel, const QString& text) {
    (panel == 1 ? message_ : memory_)->setText(text);
    emit panelTextChanged(panel, text);
}

QString StatusBar::panelText(int panel) const {
    return (panel == 1 ? message_ : memory_)->text();
}

StatusPanel* StatusBar::panel(const QString& key) const {
    return findChild<StatusPanel*>(key, Qt::FindDirectChildrenOnly);
}

}  // namespace tunedeck
