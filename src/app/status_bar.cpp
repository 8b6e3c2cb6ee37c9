#include "status_bar.h"

#include <QPainter>

namespace tunedeck {

void nameAfterText(QWidget* control, const QString& text) {
    const QString description = control->accessibleDescription();
    const QString name = text.isEmpty() ? description : description + QStringLiteral("：") + text;
    // Setting the name announces it.
    if (name != control->accessibleName())
        control->setAccessibleName(name);
}

StatusPanel::StatusPanel(const QString& description, QWidget* parent) : QWidget(parent) {
    setAccessibleDescription(description);
    nameAfterText(this, text_);
}

void StatusPanel::setText(const QString& text) {
    text_ = text;
    update();
    nameAfterText(this, text_);
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
    : QStatusBar(parent),
      message_(new StatusPanel(QStringLiteral("状態"), this)),
      memory_(new StatusPanel(QStringLiteral("Rioのメモリ"), this)) {
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
