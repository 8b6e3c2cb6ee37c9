// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device_component.h"

#include <QElapsedTimer>
#include <QtGlobal>

namespace tunedeck {

// Holds a song's transfer to the link's speed and lets the caller stop it. After each chunk, `moved` asks
// `progress` whether to go on, then waits until a link of `speedKbps` KB/s (0: no limit) would have carried
// the bytes so far, in slices short enough that a stop asked for meanwhile is seen at once.
class TransferPace {
  public:
    TransferPace(qint64 speedKbps, const TransferProgress& progress, qint64 total);

    // False when `progress` asked to stop.
    [[nodiscard]] bool moved(qint64 done);

  private:
    bool goOn(qint64 done) const;

    double bytesPerSecond_;
    const TransferProgress& progress_;
    qint64 total_;
    QElapsedTimer clock_;
};

}  // namespace tunedeck
