// SPDX-License-Identifier: MIT
// program.h -- the whole program's state and its spine: start-up, the intro,
// the outer loop of menu and game, and shutdown.
#pragma once

#include <functional>

#include "core/display/display.h"
#include "core/frontend/menu.h"
#include "core/game/game.h"
#include "core/game/piece.h"
#include "core/game/playfield.h"
#include "core/seam/platform.h"
#include "core/state/keyboard.h"
#include "core/state/random.h"
#include "core/state/settings.h"

namespace ft {

// Everything the program keeps, for the whole run. A test builds a fresh one
// on a platform of its own.
struct Program {
    explicit Program(platform::Platform& p);

    platform::Platform& platform;
    Random random;
    FallingPiece piece;  // drawn from random first of all (see StartingPiece)
    Keyboard keyboard;
    Display display;
    GameSettings settings;
    Playfield playfield;
    Score score = 0;
    GameState game;
    MenuState menu;

    // What a game touches, lent to it.
    GameContext Game() {
        return GameContext{platform, keyboard,  display, random, settings,
                           piece,    playfield, score,   game};
    }
};

// The display opened, its palette built and the well background rendered.
void SetUpDisplay(Program& program);
// Start-up: SetUpDisplay, the intro, the options' start values.
void StartUp(Program& program);
// The outer loop until "QUIT", then shutdown and the wait for the closing key
// press or window close.
void RunOuterLoop(Program& program);
// The whole run on a fresh program, to its end: "QUIT" (and the closing
// key), or a platform's RunEnded. Returns why it ended. A platform that
// follows the program's state (its games, say) is shown the program first.
platform::EndReason RunProgram(platform::Platform& platform,
                               const std::function<void(const Program&)>& watch = {});

}  // namespace ft
