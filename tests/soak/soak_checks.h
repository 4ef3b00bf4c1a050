// SPDX-License-Identifier: MIT
// soak_checks.h -- the game's invariants, checked on the whole program state
// after every picture of a soak run: the falling piece inside the well, the
// playfield's tile numbers, the level, the score and the steps it moves in,
// and canary bytes in the surfaces' padding that show a write outside the 320
// visible columns.
#pragma once

#include <cstdint>
#include <string>

#include "core/display/display.h"
#include "core/game/playfield.h"

namespace ft {
struct Program;
}

namespace soak {

// Written into columns 320 to 383 of every row; correct code never touches them.
inline constexpr std::uint8_t kPaddingCanary = 0xA5;

// Fills the padding of the three surfaces with value.
void FillPadding(ft::Display& display, std::uint8_t value);
// The first padding byte of the three surfaces that does not hold value,
// described; empty when all do.
std::string CheckPadding(const ft::Display& display, std::uint8_t value);

// The first broken invariant of the program state, described; empty when all
// hold. inGame: a game is running, so the falling piece is checked too.
std::string CheckProgram(const ft::Program& program, bool inGame);

// Where the score is looked at.
enum class ScoreMoment : std::uint8_t {
    Picture,    // any picture
    Landing,    // the landing cue, before that landing settles and scores
    GameStart,  // the start cue, after "GAME B"'s rubble rows were cleared
    GameOver,   // the game-over cue, before the score goes back to 0
};

// Follows the score from one look to the next. Between two looks it may move
// by one landing (5, plus 100 a row, 1000 for four rows; nothing for the
// landing that ends the game), by the rubble rows cleared before a game, or
// back to 0 after a game over; nothing else moves it. Counts the rows cleared.
struct ScoreWatch {
    ft::Score last = 0;
    bool landingPending = false;   // a landing cue came since the last look
    bool gameOverPending = false;  // a game-over cue came since the score went to 0
    std::int64_t landingRows = 0;  // rows cleared by landings
    std::int64_t fourRowClears = 0;
    std::int64_t rubbleRows = 0;  // rows of "GAME B" rubble that were full at once

    // Takes one look; returns what is wrong with the step, or empty.
    // gameOver: the running game's gameOver flag at this moment.
    std::string Look(ft::Score score, ScoreMoment moment, bool gameOver);
};

}  // namespace soak
