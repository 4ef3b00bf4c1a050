// SPDX-License-Identifier: MIT
// palette.cpp -- start palette, fixed colours and the gradient.
#include "core/render/palette.h"

#include <cassert>

#include "core/state/random.h"

namespace ft {

Palette BuildStartPalette(Random& random) {
    Palette palette{};
    for (int k = 1; k <= 254; ++k) {
        // The draws come blue, red, green; each component stays below 255.
        palette[k].blue = static_cast<std::uint8_t>(random.Next() % 255);
        palette[k].red = static_cast<std::uint8_t>(random.Next() % 255);
        palette[k].green = static_cast<std::uint8_t>(random.Next() % 255);
    }
    return palette;
}

void SetFixedColours(Palette& palette) {
    struct Fixed {
        std::uint8_t index, red, green, blue;
    };
    static constexpr Fixed kFixed[] = {
        // Tiles: three shades (dark, middle, light) for each of the seven patterns.
        {1, 0, 0, 170},
        {2, 0, 0, 200},
        {3, 0, 0, 230},
        {4, 170, 0, 170},
        {5, 200, 0, 200},
        {6, 230, 0, 230},
        {7, 0, 170, 0},
        {8, 0, 200, 0},
        {9, 0, 230, 0},
        {10, 170, 170, 0},
        {11, 200, 200, 0},
        {12, 230, 230, 0},
        {13, 170, 0, 0},
        {14, 200, 0, 0},
        {15, 230, 0, 0},
        {16, 170, 170, 170},
        {17, 200, 200, 200},
        {18, 230, 230, 230},
        {19, 0, 170, 170},
        {20, 0, 200, 200},
        {21, 0, 230, 230},
        // The well's background blocks: shadow, outline, shades, highlight.
        {23, 50, 50, 50},
        {22, 80, 0, 0},
        {24, 120, 0, 0},
        {26, 140, 0, 0},
        {28, 160, 0, 0},
        {27, 180, 0, 0},
        {25, 200, 0, 0},
        {29, 200, 120, 120},
        // Menu texts.
        {30, 160, 160, 20},
        {31, 60, 60, 6},
        {32, 200, 120, 120},
        {33, 100, 60, 60},
        {34, 20, 160, 160},
        // Bevels and box interiors, then the score and level text.
        {40, 128, 64, 64},
        {41, 160, 80, 80},
        {42, 180, 90, 90},
        {43, 0, 90, 190},
    };
    for (const Fixed& f : kFixed) SetPaletteEntry(palette, f.index, f.red, f.green, f.blue);
}

void SetPaletteEntry(Palette& palette, std::uint8_t index, std::uint8_t red, std::uint8_t green,
                     std::uint8_t blue) {
    palette[index] = PaletteEntry{red, green, blue};
}

void SetGradientEntry(Palette& palette, std::int32_t k) {
    assert(k >= 50 && k <= 250);
    const auto redGreen = static_cast<std::uint8_t>(125 - k / 2);
    SetPaletteEntry(palette, static_cast<std::uint8_t>(k), redGreen, redGreen,
                    static_cast<std::uint8_t>(250 - k));
}

}  // namespace ft
