// SPDX-License-Identifier: MIT
// paused_picture.cpp -- the dimmed picture and the word over it.
#include "platform/window/paused_picture.h"

#include <cstddef>

#include "render/font.h"

namespace platform {

namespace {

constexpr const char kPausedWord[] = "PAUSED";
constexpr int kPausedZoom = 2;  // picture pixels per pixel of a glyph
constexpr int kGlyphSide = 5;
constexpr int kGlyphStep = 6;

// Where a rectangle of the picture (picture pixels) shows inside target
// (window pixels).
ScreenRect WindowRectOf(const ScreenRect& target, int x, int y, int width, int height) {
    const auto across = [&](int column) { return target.x + column * target.width / kScreenWidth; };
    const auto down = [&](int row) { return target.y + row * target.height / kScreenHeight; };
    return ScreenRect{across(x), down(y), across(x + width) - across(x),
                      down(y + height) - down(y)};
}

}  // namespace

Palette DimmedPalette(const Palette& palette) {
    Palette dimmed = palette;
    for (PaletteEntry& entry : dimmed) {
        entry.red = static_cast<std::uint8_t>(entry.red / 2);
        entry.green = static_cast<std::uint8_t>(entry.green / 2);
        entry.blue = static_cast<std::uint8_t>(entry.blue / 2);
    }
    return dimmed;
}

std::vector<ScreenRect> PausedWordBlocks(const ScreenRect& target) {
    const int length = static_cast<int>(sizeof kPausedWord) - 1;
    const int width = (length * kGlyphStep - 1) * kPausedZoom;
    const int left = (kScreenWidth - width) / 2;
    const int top = (kScreenHeight - kGlyphSide * kPausedZoom) / 2;
    std::vector<ScreenRect> blocks;
    for (int k = 0; k < length; ++k) {
        const int glyph = ft::SmallGlyphIndex(kPausedWord[k]);
        if (glyph < 0) continue;
        for (int row = 0; row < kGlyphSide; ++row) {
            for (int column = 0; column < kGlyphSide; ++column) {
                const auto at =
                    static_cast<std::size_t>(glyph * ft::kGlyphBytes + row * kGlyphSide + column);
                if (ft::kGlyphTable[at] == 0) continue;
                blocks.push_back(WindowRectOf(target,
                                              left + (k * kGlyphStep + column) * kPausedZoom,
                                              top + row * kPausedZoom, kPausedZoom, kPausedZoom));
            }
        }
    }
    return blocks;
}

}  // namespace platform
