// SPDX-License-Identifier: MIT
// game.h -- one game: its start, the frame loop with gravity, levels, the
// scrolling well and the score display, and the game-over screen.
#pragma once

#include <array>
#include <cstdint>

#include "core/display/display.h"
#include "core/game/piece.h"
#include "core/game/playfield.h"
#include "core/seam/platform.h"
#include "core/state/keyboard.h"
#include "core/state/random.h"
#include "core/state/settings.h"

namespace ft {

// Set up anew at the start of every game (gameOver by the outer loop).
struct GameState {
    bool gameOver = false;           // a drop has ended the game
    std::int32_t dropInterval = 0;   // frames between gravity steps, from the level
    std::int32_t dropCounter = 0;    // frames towards the next gravity step
    std::int32_t levelFrames = 0;    // frames towards the next rise of the level
    float scrollTop = 10.0f;         // background row at the top of the well
    std::array<char, 40> hudText{};  // the text last formatted for the level or score box
    std::int32_t hudLength = 0;      // its character count
};

// First thing in every frame: the gravity interval from the level, the rise
// of the level every 1800 frames, and the cap at level 15 (interval 5).
void UpdateLevel(GameState& game, GameSettings& settings);

// Everything a game touches: nearly all the program's state, lent for the game.
struct GameContext {
    platform::Platform& platform;
    Keyboard& keyboard;
    Display& display;
    Random& random;
    GameSettings& settings;
    FallingPiece& piece;
    Playfield& playfield;
    Score& score;
    GameState& game;
};

// One pass of the frame loop, from the level step to the present.
void RunGameFrame(const GameContext& context);

// Plays one game; returns when Escape is active or after the game-over screen.
void PlayGame(const GameContext& context);

}  // namespace ft
