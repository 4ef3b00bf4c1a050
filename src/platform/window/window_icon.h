// SPDX-License-Identifier: MIT
// window_icon.h -- the program's icon, drawn from the game's own tile art: a T
// piece coming down onto a row of settled tiles, pixel-sharp at every size. The
// icons the build installs and the icon a window carries are this one picture.
#pragma once

#include <cstdint>
#include <vector>

namespace platform {

// One pixel of the icon, 8 bits a channel; alpha 0 around the tiles.
struct IconPixel {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t alpha = 0;
};

// The art's side in tile pixels: the smallest icon that shows it whole.
inline constexpr int kIconArtSide = 15;

// The icon of size by size pixels (at least kIconArtSide), row-major: each
// tile pixel a square of the largest whole number of icon pixels that fits,
// the art centred.
std::vector<IconPixel> DrawIcon(int size);

}  // namespace platform
