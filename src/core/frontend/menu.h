// SPDX-License-Identifier: MIT
// menu.h -- the front end before every game: the main, options and level
// pages, the information screen, the circling pieces and the menu tune.
#pragma once

#include <array>
#include <cstdint>

#include "core/display/display.h"
#include "core/seam/platform.h"
#include "core/state/keyboard.h"
#include "core/state/settings.h"

namespace ft {

enum class MenuPage : std::uint8_t { Main, Options, Level };

// The menu's own state. page, cursor, leaving and angles are reset on every
// visit; showInfo lives for the run.
struct MenuState {
    MenuPage page = MenuPage::Main;
    std::int32_t cursor = 0;        // marked item; may stand one outside the page until drawn
    bool leaving = false;           // the menu ends after this frame
    bool showInfo = false;          // the information screen replaces the pages
    std::array<float, 8> angles{};  // radians, one per animation slot, never reduced
    std::array<float, 8> slotX{};
    std::array<float, 8> slotY{};
};

// Runs until a game is started (its last frame shows "G E T  R E A D Y") or
// "QUIT" is chosen (quit is then 1).
void MenuScreen(MenuState& menu, GameSettings& settings, Keyboard& keyboard, Display& display,
                platform::Platform& platform);

}  // namespace ft
