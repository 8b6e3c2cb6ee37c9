// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>
#include <QRect>

namespace tunedeck {

// The one conversion between twips (1/1440 inch), in which the settings file and the layout speak, and the
// screen's pixels: 15 twips a pixel at 96 dots per inch.
class Twips {
  public:
    explicit Twips(double dotsPerInch) : dotsPerInch_(dotsPerInch) {}

    // The primary screen's logical resolution.
    static Twips ofScreen();

    int toPixels(int twips) const;
    int toTwips(int pixels) const;
    QRect toPixels(int left, int top, int width, int height) const;

  private:
    double dotsPerInch_;
};

}  // namespace tunedeck
