// SPDX-License-Identifier: MIT
// shapes.h -- the seven piece kinds in their four rotations, and the lookup of
// the seven 5x5 tile patterns. Constant data, fixed at build time.
#pragma once

#include <cstdint>

namespace ft {

inline constexpr int kTileSize = 5;  // pixels per cell side

// PieceKind 1 to 7 (0: no piece). 1 bar, 2 T, 3 Z, 4 S, 5 square, 6 J, 7 L.
// Rotation 0 to 3; each step turns the piece a quarter counterclockwise.

// Side of the kind's shape grid: 5 for kind 1, 4 for kinds 2 to 7.
int GridSide(int kind);
// Tile number (equal to the kind) of a grid cell, or 0 for an empty cell.
std::uint8_t ShapeCell(int kind, int rotation, int column, int row);
// Colour index (1 to 21) of one pixel of tile pattern 1 to 7.
std::uint8_t PatternPixel(int tile, int column, int row);
// The 25 colour indices of tile pattern 1 to 7, row by row.
const std::uint8_t* TilePattern(int tile);

}  // namespace ft
