// menu.h -- the front end before every game: the main, options and level
// pages, the information screen, the circling pieces and the menu tune.
#pragma once

#include <array>
#include <cstdint>

#include "display/display.h"
#include "platform/platform.h"
#include "state/keyboard.h"
#include "state/settings.h"

namespace ft {

enum MenuPage : std::int32_t { MainPage = 0, OptionsPage = 1, LevelPage = 2 };

// The menu's own state. page, cursor, leaving and angles are reset on every
// visit; showInfo lives for the run.
struct MenuState {
    MenuPage page = MainPage;
    std::int32_t cursor = 0;   // marked item; may stand one outside the page until drawn
    std::int32_t leaving = 0;  // 1: the menu ends after this frame
    std::int32_t showInfo = 0;  // 1: the information screen replaces the pages
    std::array<float, 8> angles{};  // radians, one per animation slot, never reduced
    std::array<float, 8> slotX{};
    std::array<float, 8> slotY{};
};

// Runs until a game is started (its last frame shows "G E T  R E A D Y") or
// "QUIT" is chosen (quit is then 1).
void MenuScreen(MenuState& menu, GameSettings& settings, Keyboard& keyboard, Display& display,
                platform::Platform& platform);

}  // namespace ft
