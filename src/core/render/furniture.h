// SPDX-License-Identifier: MIT
// furniture.h -- the game screen's static scenery (gradient, bevelled well
// frame, boxes, title line) and the well background with its slow scroll.
#pragma once

#include <array>
#include <cstdint>

#include "core/render/framebuffer.h"
#include "core/render/palette.h"

namespace ft {

// One 8x8 bevelled block with its shadow and gaps: colours 0 and 22-29 only.
extern const std::array<std::array<std::uint8_t, 10>, 10> kWellPattern;

// Tiles kWellPattern over x 0-99, y 0-159 of the locked background surface.
void FillWellBackground(FrameBuffer& fb);
// Sets gradient entries 50-250 and draws the whole furniture; covers every pixel.
void DrawGameScreen(FrameBuffer& fb, Palette& palette);
// The background rows shown this frame: left 0, top trunc(scrollTop), 100 x 150.
BlitRect WellSourceRect(float scrollTop);
// The next scrollTop: 0.5 less when scrolling, back to 10.0 at 0 or below.
float AdvanceScroll(float scrollTop, bool scrolling);

}  // namespace ft
