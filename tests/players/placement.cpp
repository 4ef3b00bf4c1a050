// SPDX-License-Identifier: MIT
// placement.cpp -- steering, foreseeing and judging the session bot's
// placements on the well model.
#include "placement.h"

#include <algorithm>

#include "core/game/shapes.h"
#include "core/program/program.h"

namespace players {

namespace {

// Tries the piece one step on; undoes it where the game would.
void TryStep(const Board& board, int kind, Pose& pose, int dColumn, int dRotation) {
    const Pose old = pose;
    pose.column += dColumn;
    pose.rotation = (pose.rotation + dRotation) % 4;
    if (Test(board, kind, pose) != ft::CollisionCode::None) pose = old;
}

// One cell down; true when it lands (the pose is then the landing place).
bool Drop(const Board& board, int kind, Pose& pose) {
    ++pose.row;
    if (Test(board, kind, pose) != ft::CollisionCode::Blocked) return false;
    --pose.row;
    return true;
}

constexpr double kGameOverValue = -1e9;

}  // namespace

FrameKeys Steer(const Pose& pose, const Target& target) {
    FrameKeys keys;
    const bool turning = pose.rotation != target.rotation;
    keys.up = turning;
    if (turning && target.turnFirst) return keys;
    if (pose.column < target.column) {
        keys.right = true;
    } else if (pose.column > target.column) {
        keys.left = true;
    } else if (!turning) {
        keys.down = true;
    }
    return keys;
}

Foresight Foresee(const Board& board, int kind, Pose pose, ft::GameState game,
                  ft::GameSettings settings, const Target& target, bool keepPath) {
    constexpr int kMaxFrames = 6000;  // longer than any fall at level 1
    Foresight out;
    for (int frame = 0; frame < kMaxFrames; ++frame) {
        if (keepPath) out.path.push_back(pose);
        ft::UpdateLevel(game, settings);
        const FrameKeys keys = Steer(pose, target);
        bool landed = false;
        if (keys.right) TryStep(board, kind, pose, +1, 0);
        if (keys.left) TryStep(board, kind, pose, -1, 0);
        if (keys.down) landed = Drop(board, kind, pose);
        if (!landed && keys.up) TryStep(board, kind, pose, 0, 1);
        if (!landed && game.dropCounter >= game.dropInterval) {
            landed = Drop(board, kind, pose);
            game.dropCounter = 0;
        }
        ++game.dropCounter;
        if (landed) {
            out.landing = pose;
            out.frames = frame + 1;
            out.landed = true;
            return out;
        }
    }
    return out;
}

Features Measure(const Settled& settled, int kind, const Pose& landing) {
    Features f;
    const Board& b = settled.board;
    int top = kRows, bottom = 0;
    for (const Cell& cell : ShapeCellsOf(kind, landing.rotation)) {
        top = std::min(top, landing.row + cell.row);
        bottom = std::max(bottom, landing.row + cell.row);
    }
    f.landingHeight = kRows - (top + bottom) / 2.0;
    f.erodedCells = settled.lines * settled.erodedCells;

    for (int r = 0; r < kRows; ++r) {
        bool previous = true;  // the wall
        for (int c = 0; c < kColumns; ++c) {
            const bool filled = b.Filled(c, r);
            if (filled != previous) ++f.rowTransitions;
            previous = filled;
        }
        if (!previous) ++f.rowTransitions;
    }
    for (int c = 0; c < kColumns; ++c) {
        bool previous = false;  // open sky above the well
        bool covered = false;
        int depth = 0;
        for (int r = 0; r < kRows; ++r) {
            const bool filled = b.Filled(c, r);
            if (filled != previous) ++f.columnTransitions;
            previous = filled;
            if (filled) covered = true;
            if (!filled && covered) ++f.holes;
            const bool leftWall = c == 0 || b.Filled(c - 1, r);
            const bool rightWall = c == kColumns - 1 || b.Filled(c + 1, r);
            if (!filled && !covered && leftWall && rightWall) {
                f.wells += ++depth;
            } else {
                depth = 0;
            }
        }
        if (!previous) ++f.columnTransitions;  // the floor
    }
    return f;
}

double Judge(const Features& f) {
    return -1.0 * f.landingHeight + 1.0 * f.erodedCells - 1.0 * f.rowTransitions -
           1.0 * f.columnTransitions - 4.0 * f.holes - 1.0 * f.wells;
}

Plan MakePlan(const ft::Program& program) {
    const Board board = BoardOf(program.playfield);
    const int kind = program.piece.kind;
    const Pose start = PoseOf(program.piece);
    const int side = ft::GridSide(kind);

    Plan best;
    double bestValue = 0;
    bool have = false;
    for (int turnFirst = 1; turnFirst >= 0; --turnFirst) {
        for (int rot = 0; rot < 4; ++rot) {
            for (int column = -side + 1; column < kColumns; ++column) {
                const Target target{column, rot, turnFirst == 1};
                Foresight sight =
                    Foresee(board, kind, start, program.game, program.settings, target, false);
                if (!sight.landed) continue;
                double value = kGameOverValue;
                Settled settled;
                if (sight.landing.row >= 0) {
                    settled = Settle(board, kind, sight.landing);
                    value = Judge(Measure(settled, kind, sight.landing));
                }
                value -= 1e-4 * sight.frames;  // among equals, the quickest
                if (!have || value > bestValue) {
                    have = true;
                    bestValue = value;
                    best.target = target;
                    best.foresight = sight;
                    best.after = settled.board;
                }
            }
        }
    }
    // The path of the winner, to check the live game against it frame by frame.
    best.foresight = Foresee(board, kind, start, program.game, program.settings, best.target, true);
    return best;
}

}  // namespace players
