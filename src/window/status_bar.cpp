// SPDX-License-Identifier: GPL-3.0-or-later
#include "status_bar.h"

#include <QLayout>
#include <QPainter>

#include <algorithm>

namespace tunedeck {
namespace {

constexpr int kProgressSteps = 1000;

}  // namespace

void nameAfterText(QWidget* control, const QString& text) {
    const QString description = control->accessibleDescription();
    const QString name = text.isEmpty() ? description : description + QStringLiteral("：") + text;
    // Setting the name announces it.
    if (name != control->accessibleName())
        control->setAccessibleName(name);
}

StatusPanel::StatusPanel(const QString& description, QWidget* parent) : QWidget(parent) {
    setDescription(description);
}

void StatusPanel::setDescription(const QString& description) {
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

// Room for the emulated player's figures, and for a larger player's as they come.
int StatusBar::memoryWidth(const QString& text) const {
    const QFontMetrics metrics = memory_->fontMetrics();
    return std::max(metrics.horizontalAdvance(QStringLiteral("使用:00,000KB 空き:00,000KB")),
                    metrics.horizontalAdvance(text));
}

StatusBar::StatusBar(QWidget* parent)
    : QStatusBar(parent),
      message_(new StatusPanel(QStringLiteral("状態"), this)),
      progress_(new QProgressBar(this)),
      cancel_(new QToolButton(this)),
      memory_(new StatusPanel(QString(), this)) {
    setSizeGripEnabled(false);
    message_->setObjectName(QStringLiteral("statMsg"));
    memory_->setObjectName(QStringLiteral("statMem"));
    memory_->setMinimumWidth(memoryWidth(QString()));
    progress_->setAccessibleName(QStringLiteral("転送の進み具合"));
    progress_->setRange(0, kProgressSteps);
    progress_->setMaximumWidth(progress_->fontMetrics().horizontalAdvance(QStringLiteral("00000/00000曲")) *
                               2);
    cancel_->setText(QStringLiteral("中止"));
    cancel_->setToolTip(QStringLiteral("転送を中止します (Esc)"));
    cancel_->setFocusPolicy(Qt::NoFocus);  // a run holds the focus where it was
    connect(cancel_, &QToolButton::clicked, this, &StatusBar::cancelClicked);
    addWidget(message_, 1);
    addPermanentWidget(progress_);
    addPermanentWidget(cancel_);
    addPermanentWidget(memory_);
    hideProgress();
}

void StatusBar::showProgress(double done, const QString& text) {
    progress_->setValue(int(done * kProgressSteps));
    progress_->setFormat(text);
    progress_->show();
    cancel_->show();
    fitPanels();
}

void StatusBar::hideProgress() {
    progress_->hide();
    cancel_->hide();
    progress_->reset();
    fitPanels();
}

void StatusBar::setPanelText(int panel, const QString& text) {
    (panel == 1 ? message_ : memory_)->setText(text);
    if (panel == 2)
        memory_->setMinimumWidth(memoryWidth(text));
    fitPanels();
    emit panelTextChanged(panel, text);
}

void StatusBar::resizeEvent(QResizeEvent* event) {
    QStatusBar::resizeEvent(event);
    fitPanels();
}

// The figures' room, kept for them while they show, is the message's while there are none, and while a
// message is too long to be read beside them: what went wrong, or where the songs went, is worth more than
// the free space for that moment. Only a change of either lays the bar out again.
void StatusBar::fitPanels() {
    const bool figures = !memory_->text().isEmpty();
    memory_->setVisible(figures);
    if (!figures)
        return;
    layout()->activate();
    if (message_->fontMetrics().horizontalAdvance(message_->text()) > message_->width())
        memory_->hide();
}

QString StatusBar::panelText(int panel) const {
    return (panel == 1 ? message_ : memory_)->text();
}

void StatusBar::namePlayer(const QString& player) {
    memory_->setDescription(player + QStringLiteral("のメモリ"));
}

StatusPanel* StatusBar::panel(const QString& key) const {
    return findChild<StatusPanel*>(key, Qt::FindDirectChildrenOnly);
}

}  // namespace tunedeck
