// SPDX-License-Identifier: MIT
// paused_picture.h -- how a paused game looks on the players' platforms: the
// picture last shown at half its brightness, with "PAUSED" in the middle in
// the game's small font, drawn by the platform over the scaled picture in
// the window, never into the game's own picture.
#pragma once

#include <vector>

#include "platform/platform.h"
#include "platform/window/screen_fit.h"

namespace platform {

// Every colour at half its brightness.
Palette DimmedPalette(const Palette& palette);

// The white blocks of the word "PAUSED" over a picture scaled into target
// (window pixels): each pixel of a glyph is two picture pixels across, placed
// by the same rounding as the scaled picture's.
std::vector<ScreenRect> PausedWordBlocks(const ScreenRect& target);

}  // namespace platform
