// SPDX-License-Identifier: GPL-3.0-or-later
#include "twips.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace tunedeck {
namespace {
constexpr double kTwipsPerInch = 1440.0;
}

Twips Twips::ofScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return Twips(screen ? screen->logicalDotsPerInchY() : 96.0);
}

int Twips::toPixels(int twips) const {
    return int(std::lround(twips * dotsPerInch_ / kTwipsPerInch));
}

int Twips::toTwips(int pixels) const {
    return int(std::lround(pixels * kTwipsPerInch / dotsPerInch_));
}

QRect Twips::toPixels(int left, int top, int width, int height) const {
    return {toPixels(left), toPixels(top), toPixels(width), toPixels(height)};
}

}  // namespace tunedeck
