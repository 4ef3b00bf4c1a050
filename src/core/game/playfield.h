// SPDX-License-Identifier: MIT
// playfield.h -- the settled cells of the well, line clearing with its score,
// and the rubble rows of "GAME B".
#pragma once

#include <array>
#include <cstdint>

#include "core/render/framebuffer.h"

namespace platform {
class Platform;
}

namespace ft {

struct Random;

inline constexpr int kWellColumns = 20;
inline constexpr int kWellRows = 30;
inline constexpr int kWellLeft = 50;  // screen x of column 0
inline constexpr int kWellTop = 49;   // screen y of row 0

// Lives for the run; emptied at the start of each game and at game over.
// Stored column by column: cell (c, r) is cells[c * 30 + r]; 0 is empty,
// anything else a tile number.
struct Playfield {
    std::array<std::uint8_t, kWellColumns * kWellRows> cells{};
    std::uint8_t& At(int column, int row) { return cells[column * kWellRows + row]; }
    std::uint8_t At(int column, int row) const { return cells[column * kWellRows + row]; }
};

// Lives for the run; 0 at start, set back to 0 only at game over.
using Score = std::int32_t;

void ClearPlayfield(Playfield& playfield);
// Draws every non-empty cell with DrawClipped.
void DrawPlayfield(FrameBuffer& fb, const Playfield& playfield);
// One top-to-bottom pass removing every full row; adds 100 per row, plus 600
// when exactly four go. Returns the number of rows removed.
int ClearFullRows(Playfield& playfield, Score& score);
// Reseeds from the clock, fills the bottom 3 * level + 1 rows with random
// rubble (one hole in six, tiles 1 to 5), then clears full rows. level 1 to 9.
int FillRubbleRows(Playfield& playfield, Score& score, Random& random, platform::Platform& platform,
                   std::int32_t level);

}  // namespace ft
