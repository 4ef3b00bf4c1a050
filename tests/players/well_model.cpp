// SPDX-License-Identifier: MIT
// well_model.cpp -- the bot's well: its cells, the shapes' cells, the
// collision test and the settling of a landed piece.
#include "well_model.h"

#include "core/game/shapes.h"

namespace players {

namespace {

struct ShapeCells {
    std::array<std::array<std::array<Cell, 4>, 4>, 8> cells{};

    ShapeCells() {
        for (int kind = 1; kind <= 7; ++kind) {
            const int side = ft::GridSide(kind);
            for (int rot = 0; rot < 4; ++rot) {
                int n = 0;
                for (int c = 0; c < side; ++c)
                    for (int r = 0; r < side; ++r)
                        if (ft::ShapeCell(kind, rot, c, r) != 0) cells[kind][rot][n++] = {c, r};
            }
        }
    }
};

}  // namespace

Board BoardOf(const ft::Playfield& playfield) {
    Board board;
    for (int c = 0; c < kColumns; ++c)
        for (int r = 0; r < kRows; ++r)
            if (playfield.At(c, r) != 0) board.rows[r] |= 1u << c;
    return board;
}

const std::array<Cell, 4>& ShapeCellsOf(int kind, int rotation) {
    static const ShapeCells shapes;
    return shapes.cells[kind][rotation];
}

Pose PoseOf(const ft::FallingPiece& piece) {
    return {(piece.x - ft::kWellLeft) / ft::kTileSize, (piece.y - ft::kWellTop) / ft::kTileSize,
            piece.rotation};
}

ft::CollisionCode Test(const Board& board, int kind, const Pose& pose) {
    for (const Cell& cell : ShapeCellsOf(kind, pose.rotation)) {
        const int c = pose.column + cell.column;
        const int r = pose.row + cell.row;
        if (c < 0) return ft::CollisionCode::LeftWall;
        if (c >= kColumns) return ft::CollisionCode::RightWall;
        if (r < 0) continue;
        if (r >= kRows || board.Filled(c, r)) return ft::CollisionCode::Blocked;
    }
    return ft::CollisionCode::None;
}

Settled Settle(const Board& board, int kind, const Pose& pose) {
    Settled out;
    Board placed = board;
    for (const Cell& cell : ShapeCellsOf(kind, pose.rotation))
        placed.rows[pose.row + cell.row] |= 1u << (pose.column + cell.column);
    int write = kRows - 1;
    for (int r = kRows - 1; r >= 0; --r) {
        if (placed.rows[r] == kFullRow) {
            ++out.lines;
            for (const Cell& cell : ShapeCellsOf(kind, pose.rotation))
                if (pose.row + cell.row == r) ++out.erodedCells;
            continue;
        }
        out.board.rows[write--] = placed.rows[r];
    }
    return out;
}

}  // namespace players
