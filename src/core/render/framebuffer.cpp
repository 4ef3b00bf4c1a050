// SPDX-License-Identifier: MIT
// framebuffer.cpp -- pixel primitives on the locked surface.
#include "core/render/framebuffer.h"

#include <cstring>

namespace ft {

void FillBox(FrameBuffer& fb, std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
             std::uint8_t colour) {
    if (x1 < x0 || y1 < y0) return;
    // Each row is one contiguous run, so fill it in one go; same pixels as the
    // pixel-by-pixel loop, row by row.
    PixelAddress(fb, x1, y1);  // checks the far corner in debug builds
    const auto width = static_cast<std::size_t>(x1 - x0 + 1);
    for (std::int32_t y = y0; y <= y1; ++y) std::memset(PixelAddress(fb, x0, y), colour, width);
}

}  // namespace ft
