// SPDX-License-Identifier: MIT
// picture_scale.h -- the 8-bit picture made into the pixels of a window or a
// texture: each colour index through the palette into a packed 16- or 32-bit
// pixel, scaled nearest-neighbour or sharp onto a target rectangle, and only
// the part of the picture that changed since the last one.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

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

// Sharp scaling by the program itself: the picture enlarged nearest neighbour
// by whole factors (SharpPrescale of the target) and that smoothed bilinearly
// onto the target rectangle, sampled at each window pixel's centre as a GPU's
// linear filter samples a texture, in one pass without the intermediate
// picture. Most window pixels are one picture pixel's colour; only the row
// and column where two picture pixels meet are blended. For 32-bit pixels of
// four 8-bit channels.
class SharpScaler {
public:
    SharpScaler() { SetTarget(ScreenRect{0, 0, 320, 200}); }
    void SetTarget(const ScreenRect& target);
    const ScreenRect& Target() const { return target_; }

    // The window pixels that show any of the picture pixels of area (picture
    // coordinates), blended or not: what a draw of area changes.
    ScreenRect TargetArea(const ScreenRect& area) const;

    // As PictureScaler::Draw: nothing outside TargetArea(area) is written.
    void Draw(const Picture& picture, const PackedPalette& palette, const ScreenRect& area,
              std::uint32_t* pixels, int pitch);

private:
    // What one window column or row shows: picture position first, blended
    // with second by weight 256ths (0: first alone, and second is first).
    struct Tap {
        int first = 0;
        int second = 0;
        std::uint32_t weight = 0;
    };
    static std::vector<Tap> Taps(int pictureSize, int factor, int targetSize);
    // Columns [left, right) of picture row y, blended across, into out.
    void DrawRow(const Picture& picture, const PackedPalette& palette, int y, int left, int right,
                 std::uint32_t* out) const;

    ScreenRect target_;
    std::vector<Tap> columns_;  // one per target column
    std::vector<Tap> rows_;     // one per target row
    // A picture row converted, for a blended row that lacks it drawn alone.
    std::vector<std::uint32_t> upper_;
    std::vector<std::uint32_t> lower_;
};

}  // namespace platform
