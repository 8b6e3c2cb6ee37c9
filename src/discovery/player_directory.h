// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "player_kind.h"

#include <QObject>
#include <QString>

#include <vector>

namespace tunedeck {

// The players on this computer, and word when that changes.
class PlayerDirectory : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;

    // The players found now, without the emulated one.
    virtual std::vector<PlayerEntry> players() = 0;
    // Unmounts the player and powers it off. Waits for it; throws DeviceError.
    virtual void safelyRemove(const QString& id) = 0;

  signals:
    void changed();  // a player was plugged in or pulled out
};

}  // namespace tunedeck
