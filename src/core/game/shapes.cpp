// SPDX-License-Identifier: MIT
// shapes.cpp -- the shape tables of the seven piece kinds and the lookup of the
// tile patterns stored behind the glyphs of the font.
#include "core/game/shapes.h"

#include <array>
#include <cassert>

#include "core/render/font.h"

namespace ft {

namespace {

// Each table holds the four rotations one after the other, each row by row:
// cell (column c, row r) of rotation q is byte q*N*N + r*N + c. The stored tile
// number is the kind. Below, the rotations are written side by side as they
// look (rotation 0 at the left) and reordered into that layout at build time.
template <int N>
using SideBySide = std::array<std::array<std::uint8_t, 4 * N>, N>;

template <int N>
constexpr std::array<std::uint8_t, 4 * N * N> RotationMajor(const SideBySide<N>& rows) {
    std::array<std::uint8_t, 4 * N * N> table{};
    for (int q = 0; q < 4; ++q)
        for (int r = 0; r < N; ++r)
            for (int c = 0; c < N; ++c) table[q * N * N + r * N + c] = rows[r][q * N + c];
    return table;
}

// clang-format off
constexpr auto kShape1 = RotationMajor<5>({{  // the bar, on a 5x5 grid
    {0, 0, 0, 0, 0,   0, 0, 0, 0, 0,   0, 0, 0, 0, 0,   0, 0, 1, 0, 0},
    {0, 0, 0, 0, 0,   0, 0, 1, 0, 0,   0, 0, 0, 0, 0,   0, 0, 1, 0, 0},
    {1, 1, 1, 1, 0,   0, 0, 1, 0, 0,   0, 1, 1, 1, 1,   0, 0, 1, 0, 0},
    {0, 0, 0, 0, 0,   0, 0, 1, 0, 0,   0, 0, 0, 0, 0,   0, 0, 1, 0, 0},
    {0, 0, 0, 0, 0,   0, 0, 1, 0, 0,   0, 0, 0, 0, 0,   0, 0, 0, 0, 0},
}});
constexpr auto kShape2 = RotationMajor<4>({{  // the T
    {0, 0, 0, 0,   0, 2, 0, 0,   0, 2, 0, 0,   0, 2, 0, 0},
    {2, 2, 2, 0,   0, 2, 2, 0,   2, 2, 2, 0,   2, 2, 0, 0},
    {0, 2, 0, 0,   0, 2, 0, 0,   0, 0, 0, 0,   0, 2, 0, 0},
    {0, 0, 0, 0,   0, 0, 0, 0,   0, 0, 0, 0,   0, 0, 0, 0},
}});
constexpr auto kShape3 = RotationMajor<4>({{  // the Z
    {0, 0, 0, 0,   0, 0, 0, 0,   0, 0, 0, 0,   0, 0, 0, 0},
    {3, 3, 0, 0,   0, 3, 0, 0,   0, 0, 0, 0,   0, 0, 3, 0},
    {0, 3, 3, 0,   3, 3, 0, 0,   3, 3, 0, 0,   0, 3, 3, 0},
    {0, 0, 0, 0,   3, 0, 0, 0,   0, 3, 3, 0,   0, 3, 0, 0},
}});
constexpr auto kShape4 = RotationMajor<4>({{  // the S
    {0, 0, 0, 0,   0, 0, 0, 0,   0, 0, 0, 0,   0, 0, 0, 0},
    {0, 4, 4, 0,   4, 0, 0, 0,   0, 0, 0, 0,   0, 4, 0, 0},
    {4, 4, 0, 0,   4, 4, 0, 0,   0, 4, 4, 0,   0, 4, 4, 0},
    {0, 0, 0, 0,   0, 4, 0, 0,   4, 4, 0, 0,   0, 0, 4, 0},
}});
constexpr auto kShape5 = RotationMajor<4>({{  // the square
    {0, 0, 0, 0,   0, 0, 0, 0,   0, 0, 0, 0,   0, 0, 0, 0},
    {0, 5, 5, 0,   0, 5, 5, 0,   0, 5, 5, 0,   0, 5, 5, 0},
    {0, 5, 5, 0,   0, 5, 5, 0,   0, 5, 5, 0,   0, 5, 5, 0},
    {0, 0, 0, 0,   0, 0, 0, 0,   0, 0, 0, 0,   0, 0, 0, 0},
}});
constexpr auto kShape6 = RotationMajor<4>({{  // the J
    {0, 0, 0, 0,   0, 0, 0, 0,   0, 0, 0, 0,   0, 0, 0, 0},
    {6, 0, 0, 0,   0, 6, 0, 0,   0, 0, 0, 0,   0, 6, 6, 0},
    {6, 6, 6, 0,   0, 6, 0, 0,   6, 6, 6, 0,   0, 6, 0, 0},
    {0, 0, 0, 0,   6, 6, 0, 0,   0, 0, 6, 0,   0, 6, 0, 0},
}});
constexpr auto kShape7 = RotationMajor<4>({{  // the L
    {0, 0, 0, 0,   0, 7, 0, 0,   0, 0, 7, 0,   7, 7, 0, 0},
    {7, 7, 7, 0,   0, 7, 0, 0,   7, 7, 7, 0,   0, 7, 0, 0},
    {7, 0, 0, 0,   0, 7, 7, 0,   0, 0, 0, 0,   0, 7, 0, 0},
    {0, 0, 0, 0,   0, 0, 0, 0,   0, 0, 0, 0,   0, 0, 0, 0},
}});
// clang-format on

constexpr const std::uint8_t* kShapeTables[8] = {
    nullptr,        kShape1.data(), kShape2.data(), kShape3.data(),
    kShape4.data(), kShape5.data(), kShape6.data(), kShape7.data(),
};

}  // namespace

int GridSide(int kind) {
    return kind == 1 ? 5 : 4;
}

std::uint8_t ShapeCell(int kind, int rotation, int column, int row) {
    assert(kind >= 1 && kind <= 7 && rotation >= 0 && rotation <= 3);
    const int side = GridSide(kind);
    assert(column >= 0 && column < side && row >= 0 && row < side);
    return kShapeTables[kind][rotation * side * side + row * side + column];
}

const std::uint8_t* TilePattern(int tile) {
    assert(tile >= 1 && tile <= 7);
    // Pattern t is entry 43 + t of the font's table, right behind the glyphs.
    return &kGlyphTable[(kGlyphCount - 1 + tile) * kGlyphBytes];
}

std::uint8_t PatternPixel(int tile, int column, int row) {
    assert(column >= 0 && column < 5 && row >= 0 && row < 5);
    return TilePattern(tile)[row * 5 + column];
}

}  // namespace ft
