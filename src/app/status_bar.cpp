#include "status_bar.h"

namespace tunedeck {

StatusBar::StatusBar(QWidget* parent)
    : QStatusBar(parent), message_(new QLabel(this)), memory_(new QLabel(this)) {
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

QLabel* StatusBar::panel(const QString& key) const {
    return findChild<QLabel*>(key, Qt::FindDirectChildrenOnly);
}

}  // namespace tunedeck
