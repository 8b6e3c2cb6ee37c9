// SPDX-License-Identifier: GPL-3.0-or-later
#include "mtp_plugin.h"

#include "mtp_player.h"

namespace tunedeck {

std::unique_ptr<DeviceComponent> MtpPlugin::create(const QString& address) {
    return std::make_unique<MtpPlayer>(address);
}

}  // namespace tunedeck
