// SPDX-License-Identifier: MIT
// palette.h -- the 256-colour palette: its random start colours, the fixed
// colours of tiles, scenery and text, and the game screen's gradient.
#pragma once

#include <cstdint>

#include "core/seam/platform.h"

namespace ft {

struct Random;

using platform::Palette;
using platform::PaletteEntry;

// Entries 1 to 254 from three draws each (blue, red, green, each modulo 255);
// 0 and 255 black.
Palette BuildStartPalette(Random& random);
// The 38 fixed entries of tiles (1-21), well scenery (22-29), menu texts
// (30-34), bevels and boxes (40-42) and the score text (43).
void SetFixedColours(Palette& palette);
void SetPaletteEntry(Palette& palette, std::uint8_t index, std::uint8_t red, std::uint8_t green,
                     std::uint8_t blue);
// Entry k (50 to 250): red = green = 125 - k/2, blue = 250 - k.
void SetGradientEntry(Palette& palette, std::int32_t k);

}  // namespace ft
