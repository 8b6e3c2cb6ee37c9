// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProgressBar>
#include <QStatusBar>
#include <QString>
#include <QToolButton>
#include <QWidget>

namespace tunedeck {

// Names a control that shows a changing text for screen readers: what it is (its accessible description)
// followed by the text it shows now. A changed name is announced.
void nameAfterText(QWidget* control, const QString& text);

// One panel of the status bar: a line of plain text, cut at the panel's edge, named after it for screen
// readers. Markup in a player's description or a file's name is shown as it is. A new text only repaints the
// panel: it never changes the panel's size, so the status bar is not laid out again at every progress text.
class StatusPanel : public QWidget {
    Q_OBJECT
  public:
    // `description` says what the panel shows, for screen readers.
    StatusPanel(const QString& description, QWidget* parent);

    const QString& text() const { return text_; }
    void setText(const QString& text);
    void setDescription(const QString& description);
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString text_;
};

// Panel 1's text when a piece of work has ended well.
inline QString readyText() {
    return QStringLiteral("Ready");
}

// The two-panel status bar: panel 1 carries messages and progress, panel 2 (key "statMem") the memory
// figures, shown while there are some and the message fits beside them.
class StatusBar : public QStatusBar {
    Q_OBJECT
  public:
    explicit StatusBar(QWidget* parent = nullptr);

    // Panels are numbered from 1.
    void setPanelText(int panel, const QString& text);
    QString panelText(int panel) const;
    StatusPanel* panel(const QString& key) const;
    // What the memory figures are of: `player`'s memory, for screen readers.
    void namePlayer(const QString& player);

    // While a run of songs goes on: how far it is (`done` from 0 to 1, and a text), and a button that stops
    // it.
    void showProgress(double done, const QString& text);
    void hideProgress();
    const QProgressBar* progressBar() const { return progress_; }
    const QToolButton* cancelButton() const { return cancel_; }

  signals:
    void panelTextChanged(int panel, const QString& text);
    void cancelClicked();

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    int memoryWidth(const QString& text) const;
    void fitPanels();

    StatusPanel* message_;
    QProgressBar* progress_;
    QToolButton* cancel_;
    StatusPanel* memory_;
};

}  // namespace tunedeck
