#pragma once

#include <QLabel>
#include <QStatusBar>

namespace tunedeck {

// The two-panel status bar: panel 1 carries messages and progress, panel 2 (key "statMem") the memory
// figures.
class StatusBar : public QStatusBar {
    Q_OBJECT
  public:
    explicit StatusBar(QWidget* parent = nullptr);

    // Panels are numbered from 1.
    void setPanelText(int panel, const QString& text);
    QString panelText(int panel) const;
    QLabel* panel(const QString& key) const;

  signals:
    void panelTextChanged(int panel, const QString& text);

  private:
    QLabel* message_;
    QLabel* memory_;
};

}  // namespace tunedeck
