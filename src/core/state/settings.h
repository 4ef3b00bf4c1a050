// SPDX-License-Identifier: MIT
// settings.h -- the player's choices, held for the run and never saved.
#pragma once

#include <cstdint>

namespace ft {

enum class GameVariant : std::uint8_t { A, B };

// Lives for the whole run.
struct GameSettings {
    bool scrolling = false;  // the well background scrolls
    bool showNext = false;   // the next piece is previewed
    GameVariant variant = GameVariant::A;
    std::int32_t level = 1;  // starting level 1 to 7, running level up to 15
    bool quit = false;       // leave the program
};

}  // namespace ft
