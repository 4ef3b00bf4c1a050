// SPDX-License-Identifier: MIT
// info_text.h -- the lines of the information screen.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace ft {

struct InfoLine {
    std::string_view text;
    std::int32_t x;  // ignored when centred
    std::int32_t y;
    std::uint8_t colour;
    bool centred;  // x = 160 - 3 * length
};

// Texts use only the font's characters: A-Z, 0-9, space and - + / . ( ) $ :
// Every line fits on the 320-pixel screen (6 pixels per character).
inline constexpr std::array<InfoLine, 14> kInfoLines = {{
    {"FOMPY TALDEN - THE FALLING-BLOCK PUZZLE", 0, 0, 100, false},
    {"DORVAMIK-SOFT PRESENTS:", 0, 15, 100, false},
    {"F O M P Y   T A L D E N", 94, 40, 15, false},
    {"INSTRUCTIONS:", 0, 70, 10, false},
    {"ALL ACTIONS CAN BE MADE WITH THE ARROW-KEYS", 10, 80, 100, false},
    {"INFO:", 0, 100, 10, false},
    {"LEFT/RIGHT: MOVE   UP: ROTATE   DOWN: FALL FASTER", 10, 110, 100, false},
    {"A FULL ROW CLEARS: 100 POINTS. FOUR AT ONCE: 1000", 10, 116, 100, false},
    {"GAME A: EMPTY WELL. GAME B: RUBBLE AT THE BOTTOM.", 10, 122, 100, false},
    {"THE PACE RISES A LEVEL EVERY 1800 FRAMES (TO 15).", 0, 140, 100, true},
    {"OPTIONS: SCROLLING WELL AND NEXT-PIECE PREVIEW.", 0, 150, 100, true},
    {"OPTIONS/LEVEL: START LEVEL FOR THE NEXT GAME.", 0, 160, 100, true},
    {"ESC LEAVES A GAME. A FULL WELL ENDS IT.", 0, 175, 100, true},
    {"PRESS ESC", 0, 194, 100, false},
}};

}  // namespace ft
