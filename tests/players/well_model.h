// SPDX-License-Identifier: MIT
// well_model.h -- the well as the session bot models it: cells instead of
// pixels. Inside the well the game's pixel test blocks exactly on settled
// cells, so this model decides every move as the game does.
#pragma once

#include <array>
#include <cstdint>

#include "core/game/piece.h"
#include "core/game/playfield.h"
#include "core/game/stamp.h"

namespace players {

inline constexpr int kColumns = ft::kWellColumns;
inline constexpr int kRows = ft::kWellRows;
inline constexpr std::uint32_t kFullRow = (1u << kColumns) - 1;

struct Board {
    std::array<std::uint32_t, kRows> rows{};  // bit c set: column c filled

    bool Filled(int column, int row) const { return (rows[row] >> column) & 1u; }
};

Board BoardOf(const ft::Playfield& playfield);

struct Cell {
    int column;
    int row;
};

// The four filled cells of a kind (1 to 7) and rotation, in the game's
// visiting order (column by column, each top to bottom).
const std::array<Cell, 4>& ShapeCellsOf(int kind, int rotation);

// Where a piece stands: its grid cell (0, 0) on well column and row (the row
// is negative above the well top).
struct Pose {
    int column = 0;
    int row = 0;
    int rotation = 0;
    friend bool operator==(const Pose&, const Pose&) = default;
};

Pose PoseOf(const ft::FallingPiece& piece);

// The collision code the game's test gives the piece at pose: walls first
// per cell, cells above the well top never blocked, the first code wins.
ft::CollisionCode Test(const Board& board, int kind, const Pose& pose);

struct Settled {
    Board board;
    int lines = 0;
    int erodedCells = 0;  // cells of the piece in the cleared rows
};

// The landed piece settles and full rows go (the caller has ruled out a
// landing above the well top).
Settled Settle(const Board& board, int kind, const Pose& pose);

}  // namespace players
