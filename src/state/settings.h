// settings.h -- the player's choices, held for the run and never saved.
#pragma once

#include <cstdint>

namespace ft {

enum GameVariant : std::int32_t { GameA = 0, GameB = 1 };

// Lives for the whole run. Flags hold 0 or 1.
struct GameSettings {
    std::int32_t scrolling = 0;  // 1: the well background scrolls
    std::int32_t showNext = 0;   // 1: the next piece is previewed
    GameVariant variant = GameA;
    std::int32_t level = 1;      // starting level 1 to 7, running level up to 15
    std::int32_t quit = 0;       // 1: leave the program
};

}  // namespace ft
