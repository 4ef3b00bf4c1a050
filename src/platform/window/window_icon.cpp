// SPDX-License-Identifier: MIT
// window_icon.cpp -- the icon drawn from the tiles.
#include "platform/window/window_icon.h"

#include <array>

#include "core/game/shapes.h"
#include "core/render/palette.h"

namespace platform {

namespace {

// The icon in cells: a digit is a tile pattern (1 bar, 2 T, 3 Z, 4 S,
// 5 square, 6 J, 7 L), '.' is empty: a T resting on three settled tiles.
constexpr int kCells = 3;
constexpr std::array<const char*, kCells> kLayout = {
    ".2.",
    "222",
    "537",
};
static_assert(kIconArtSide == kCells * ft::kTileSize);

// The art at one pixel per tile pixel, row-major, kIconArtSide by kIconArtSide.
std::vector<IconPixel> DrawArt() {
    ft::Palette palette{};
    ft::SetFixedColours(palette);
    std::vector<IconPixel> art(kIconArtSide * kIconArtSide);
    for (int cellRow = 0; cellRow < kCells; ++cellRow) {
        for (int cellColumn = 0; cellColumn < kCells; ++cellColumn) {
            const char cell = kLayout[cellRow][cellColumn];
            if (cell == '.') continue;
            const int tile = cell - '0';
            for (int row = 0; row < ft::kTileSize; ++row) {
                for (int column = 0; column < ft::kTileSize; ++column) {
                    const ft::PaletteEntry& c = palette[ft::PatternPixel(tile, column, row)];
                    const int x = cellColumn * ft::kTileSize + column;
                    const int y = cellRow * ft::kTileSize + row;
                    art[y * kIconArtSide + x] = IconPixel{c.red, c.green, c.blue, 255};
                }
            }
        }
    }
    return art;
}

}  // namespace

std::vector<IconPixel> DrawIcon(int size) {
    const std::vector<IconPixel> art = DrawArt();
    const int factor = size / kIconArtSide;
    const int offset = (size - factor * kIconArtSide) / 2;
    std::vector<IconPixel> icon(static_cast<std::size_t>(size) * size);
    for (int y = 0; y < factor * kIconArtSide; ++y) {
        for (int x = 0; x < factor * kIconArtSide; ++x) {
            icon[(offset + y) * size + offset + x] = art[(y / factor) * kIconArtSide + x / factor];
        }
    }
    return icon;
}

}  // namespace platform
