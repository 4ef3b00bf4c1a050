// SPDX-License-Identifier: MIT
// placement.h -- where the session bot puts a piece: one steering rule that
// turns a target into the keys of a frame, used both to foresee a placement
// and to play it, so both take the same path; every placement foreseen on the
// well model, judged by Dellacherie's features, the best one planned.
#pragma once

#include <vector>

#include "core/game/game.h"
#include "well_model.h"

namespace ft {
struct Program;
}

namespace players {

struct Target {
    int column = 0;
    int rotation = 0;
    bool turnFirst = false;  // no sideways step until the rotation is reached
};

struct FrameKeys {
    bool right = false;
    bool left = false;
    bool down = false;  // held
    bool up = false;
};

// The keys of the frame that starts at pose, steering towards target.
FrameKeys Steer(const Pose& pose, const Target& target);

// What steering towards a target comes to: the landing place and the frames
// it takes, with the pose at the start of each frame.
struct Foresight {
    Pose landing;
    int frames = 0;
    bool landed = false;
    std::vector<Pose> path;
};

// Runs the game's frame order on the model: level step, Right, Left, Down,
// Up, gravity. Ends at the landing.
Foresight Foresee(const Board& board, int kind, Pose pose, ft::GameState game,
                  ft::GameSettings settings, const Target& target, bool keepPath);

// Dellacherie's features of the well after a landing.
struct Features {
    double landingHeight = 0;
    int erodedCells = 0;
    int rowTransitions = 0;
    int columnTransitions = 0;
    int holes = 0;
    int wells = 0;  // each well of depth d counts 1 + 2 + ... + d
};

Features Measure(const Settled& settled, int kind, const Pose& landing);
// Higher is better.
double Judge(const Features& f);

// The chosen placement for the falling piece.
struct Plan {
    Target target;
    Foresight foresight;
    Board after;  // the well once it has landed and rows have gone
};

// Tries every rotation and column, both ways of steering, from the piece's
// live place and the game's live clock; the best judged landing wins, and
// among equals the one that lands soonest.
Plan MakePlan(const ft::Program& program);

}  // namespace players
