// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "mounted_player.h"

#include <QString>

namespace tunedeck {

// A USB player by its id (UsbPlayer::id), found again at every Open: its memories mounted through UDisks2
// where they are not, each one's audio folder from media-player-info's file for the player, else from the
// volume's .is_audio_player, else the volume itself.
PlayerLocator usbLocator(const QString& id);

}  // namespace tunedeck
