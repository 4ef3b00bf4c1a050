// SPDX-License-Identifier: MIT
// framebuffer.h -- the view of the one locked 8-bit surface, and the three
// pixel primitives every other drawing operation is built on.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>

#include "core/seam/platform.h"

namespace ft {

using platform::kScreenHeight;
using platform::kScreenWidth;

// A rectangle in the blit's convention: left and top inclusive, right and
// bottom exclusive.
struct BlitRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    friend bool operator==(const BlitRect&, const BlitRect&) = default;
};

// The locked surface: pixel (x, y) is the byte at pixels + y * pitch + x.
// Valid only between a lock and its unlock (see display.h). Nothing clips:
// callers keep every pixel they touch inside 320 by 200.
struct FrameBuffer {
    std::uint8_t* pixels = nullptr;
    std::int32_t pitch = 0;  // bytes from one row to the next, at least 320
};

// The byte of pixel (x, y). Inline: every drawing operation comes down to it.
inline std::uint8_t* PixelAddress(const FrameBuffer& fb, std::int32_t x, std::int32_t y) {
    assert(fb.pixels != nullptr && "drawing while no surface is locked");
    assert(x >= 0 && x < kScreenWidth && y >= 0 && y < kScreenHeight);
    return fb.pixels + static_cast<std::ptrdiff_t>(y) * fb.pitch + x;
}

inline void PutPixel(FrameBuffer& fb, std::int32_t x, std::int32_t y, std::uint8_t colour) {
    *PixelAddress(fb, x, y) = colour;
}

inline std::uint8_t ReadPixel(const FrameBuffer& fb, std::int32_t x, std::int32_t y) {
    return *PixelAddress(fb, x, y);
}

// Both corners inclusive; nothing is written when x1 < x0 or y1 < y0.
void FillBox(FrameBuffer& fb, std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
             std::uint8_t colour);

}  // namespace ft
