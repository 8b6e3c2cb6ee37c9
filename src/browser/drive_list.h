// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "volumes.h"

#include <QComboBox>
#include <QList>

namespace tunedeck {

// The drive list: the browsable volumes of the machine, the one holding the working folder chosen at first.
// The list is read again each time it drops down, so a volume mounted meanwhile shows up.
class DriveList : public QComboBox {
    Q_OBJECT
  public:
    explicit DriveList(QWidget* parent = nullptr);

    // The chosen drive's root folder.
    QString drive() const;
    // The folder the tree starts at on the chosen drive.
    QString currentFolder() const;

    void showPopup() override;

  signals:
    // Another drive was chosen, by the user or by the program.
    void changed();

  private:
    void readVolumes(const QString& chosenRoot);
};

}  // namespace tunedeck
