// SPDX-License-Identifier: MIT
// picture_scale.h -- the 8-bit picture made into the pixels of a window or a
// texture: each colour index through the palette into a packed 16- or 32-bit
// pixel, scaled nearest-neighbour onto a target rectangle, and only the part of
// the picture that changed since the last one.
#pragma once

#include <array>
#include <cstdint>

#include "core/seam/platform.h"
#include "platform/window/screen_fit.h"

namespace platform {

// Where red, green and blue lie in a packed pixel: the masks of a 16- or
// 32-bit pixel format. opaqueMask is set in every pixel (the alpha bits of a
// format that has them).
struct PixelLayout {
    std::uint32_t redMask = 0x00FF0000;
    std::uint32_t greenMask = 0x0000FF00;
    std::uint32_t blueMask = 0x000000FF;
    std::uint32_t opaqueMask = 0;
};

// One packed pixel per palette entry.
using PackedPalette = std::array<std::uint32_t, 256>;

// A colour as a packed pixel: each 8-bit channel scaled to the width of its
// mask, rounded (0 stays 0, 255 becomes all ones).
std::uint32_t PackColour(const PaletteEntry& colour, const PixelLayout& layout);
PackedPalette PackPalette(const Palette& palette, const PixelLayout& layout);

// The smallest rectangle of the 320x200 picture (picture pixels) that holds
// every pixel in which the two pictures differ; empty when they are the same.
ScreenRect ChangedArea(const Picture& before, const Picture& after);

// The nearest-neighbour mapping of the 320x200 picture onto a rectangle of
// window pixels: window pixel (i, j) of the rectangle shows picture pixel
// ((2i + 1) * 320 / (2 * width), (2j + 1) * 200 / (2 * height)), the picture
// pixel nearest to its centre. Set again whenever the rectangle changes.
class PictureScaler {
public:
    PictureScaler() { SetTarget(ScreenRect{0, 0, 320, 200}); }
    void SetTarget(const ScreenRect& target);
    const ScreenRect& Target() const { return target_; }

    // The window pixels that show the picture pixels of area (picture
    // coordinates): what a draw of area changes. Empty when nothing shows.
    ScreenRect TargetArea(const ScreenRect& area) const;

    // Draws the picture pixels of area (picture coordinates) through the
    // palette into the window pixels (the whole window, rows of pitch bytes,
    // at least as large as the target). Nothing outside TargetArea(area) is written.
    void Draw(const Picture& picture, const PackedPalette& palette, const ScreenRect& area,
              std::uint32_t* pixels, int pitch) const;
    void Draw(const Picture& picture, const PackedPalette& palette, const ScreenRect& area,
              std::uint16_t* pixels, int pitch) const;

private:
    template <typename Pixel>
    void DrawPixels(const Picture& picture, const PackedPalette& palette, const ScreenRect& area,
                    Pixel* pixels, int pitch) const;

    ScreenRect target_;
    std::array<int, 321>
        columnStart_{};                // first target column of each picture column; [320]: width
    std::array<int, 201> rowStart_{};  // first target row of each picture row; [200]: height
};

}  // namespace platform
