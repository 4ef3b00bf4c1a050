// SPDX-License-Identifier: MIT
// screen_fit.cpp -- the picture's rectangle on a window or screen.
#include "platform/window/screen_fit.h"

#include <algorithm>
#include <cstdint>

namespace platform {

namespace {

constexpr int kPictureWidth = 320;         // pixels of the game's picture
constexpr int kPictureHeight = 200;        // pixels
constexpr int kAspectPictureHeight = 240;  // 200 rows 1.2 times as tall: 4:3

}  // namespace

ScreenRect PictureSize(const ScreenFit& fit) {
    return ScreenRect{0, 0, kPictureWidth, fit.aspect ? kAspectPictureHeight : kPictureHeight};
}

ScreenRect FitPicture(int areaWidth, int areaHeight, const ScreenFit& fit) {
    if (areaWidth <= 0 || areaHeight <= 0) return ScreenRect{};
    const ScreenRect shape = PictureSize(fit);
    int width = 0;
    int height = 0;
    const int multiple = std::min(areaWidth / shape.width, areaHeight / shape.height);
    if (fit.integerScale && multiple >= 1) {
        width = shape.width * multiple;
        height = shape.height * multiple;
    } else if (static_cast<std::int64_t>(areaWidth) * shape.height <=
               static_cast<std::int64_t>(areaHeight) * shape.width) {
        // The width decides; the bars are above and below.
        width = areaWidth;
        height =
            static_cast<int>(static_cast<std::int64_t>(areaWidth) * shape.height / shape.width);
    } else {
        height = areaHeight;
        width =
            static_cast<int>(static_cast<std::int64_t>(areaHeight) * shape.width / shape.height);
    }
    width = std::max(width, 1);
    height = std::max(height, 1);
    return ScreenRect{(areaWidth - width) / 2, (areaHeight - height) / 2, width, height};
}

Prescale SharpPrescale(const ScreenRect& target) {
    Prescale prescale;
    prescale.across = std::max(target.width / kPictureWidth, 1);
    prescale.down = std::max(target.height / kPictureHeight, 1);
    prescale.width = kPictureWidth * prescale.across;
    prescale.height = kPictureHeight * prescale.down;
    prescale.smooths = prescale.width != target.width || prescale.height != target.height;
    return prescale;
}

bool IsSharp(const ScreenFit& fit) {
    return fit.sharp && !fit.integerScale;
}

int ScaleThatFits(const ScreenFit& fit, int scale, int areaWidth, int areaHeight) {
    const ScreenRect shape = PictureSize(fit);
    const int fits = std::min(areaWidth / shape.width, areaHeight / shape.height);
    return std::clamp(fits, 1, std::max(scale, 1));
}

}  // namespace platform
