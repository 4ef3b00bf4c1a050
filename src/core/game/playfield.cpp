// SPDX-License-Identifier: MIT
// playfield.cpp -- the settled cells of the well: emptying and drawing them,
// removing full rows with their score, and the rubble rows of "GAME B".
#include "core/game/playfield.h"

#include <cassert>

#include "core/game/shapes.h"
#include "core/game/stamp.h"
#include "core/seam/platform.h"
#include "core/state/random.h"

namespace ft {

namespace {

constexpr Score kRowScore = 100;
constexpr Score kFourRowBonus = 600;  // four rows at once score 1000, not 400
constexpr int kRubbleTiles = 6;       // a rubble cell is 0 (a hole) or tile 1 to 5

bool IsRowFull(const Playfield& playfield, int row) {
    for (int c = 0; c < kWellColumns; ++c)
        if (playfield.At(c, row) == 0) return false;
    return true;
}

// Moves every row above row down by one, over it, and empties row 0.
void RemoveRow(Playfield& playfield, int row) {
    for (int n = row; n >= 1; --n)
        for (int c = 0; c < kWellColumns; ++c) playfield.At(c, n) = playfield.At(c, n - 1);
    // The original left row 0 as it was, so a removal doubled whatever lay in
    // the top row and a full top row scored again on every pass. An empty row
    // comes in from the top instead.
    for (int c = 0; c < kWellColumns; ++c) playfield.At(c, 0) = 0;
}

}  // namespace

void ClearPlayfield(Playfield& playfield) {
    playfield.cells.fill(0);
}

void DrawPlayfield(FrameBuffer& fb, const Playfield& playfield) {
    for (int r = 0; r < kWellRows; ++r) {
        for (int c = 0; c < kWellColumns; ++c) {
            const std::uint8_t tile = playfield.At(c, r);
            if (tile != 0)
                StampTile(fb, StampMode::DrawClipped, kWellLeft + kTileSize * c,
                          kWellTop + kTileSize * r, tile);
        }
    }
}

int ClearFullRows(Playfield& playfield, Score& score) {
    int lines = 0;
    // One pass from the top down. A removal moves only rows already looked at,
    // so every full row goes in this pass; the row that moves into place r is
    // not looked at again.
    for (int r = 0; r < kWellRows; ++r) {
        if (!IsRowFull(playfield, r)) continue;
        ++lines;
        RemoveRow(playfield, r);
    }
    score += kRowScore * lines;
    if (lines == 4) score += kFourRowBonus;
    return lines;
}

int FillRubbleRows(Playfield& playfield, Score& score, Random& random, platform::Platform& platform,
                   std::int32_t level) {
    assert(level >= 1 && level <= 9);
    random.Reseed(platform.CalendarSeconds());
    const int top = kWellRows - 1 - 3 * level;
    for (int r = top; r < kWellRows; ++r)
        for (int c = 0; c < kWellColumns; ++c)
            playfield.At(c, r) = static_cast<std::uint8_t>(random.Next() % kRubbleTiles);
    // A rubble row without a hole goes at once, and scores.
    return ClearFullRows(playfield, score);
}

}  // namespace ft
