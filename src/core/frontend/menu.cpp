// SPDX-License-Identifier: MIT
// menu.cpp -- the menu pages, the information screen, the circling pieces and
// the menu tune.
#include "core/frontend/menu.h"

#include <cmath>
#include <cstring>
#include <string_view>

#include "core/frontend/info_text.h"
#include "core/game/stamp.h"
#include "core/render/font.h"

namespace ft {

namespace {

constexpr std::int32_t kItemX = 120;
constexpr std::int32_t kMarkerX = 110;

// Radians per frame for each animation slot; slot i circles piece kind i.
constexpr std::array<float, 8> kSlotSteps = {0.005f, 0.01f, 0.015f, 0.02f,
                                             0.025f, 0.03f, 0.035f, 0.04f};

struct Item {
    std::string_view text;
    std::int32_t y;
    std::uint8_t colour;
};

std::int32_t PageTop(MenuPage page) {
    return page == MenuPage::Options ? 80 : 70;
}
std::int32_t LastIndex(MenuPage page) {
    return page == MenuPage::Main ? 4 : page == MenuPage::Options ? 3 : 6;
}
std::int32_t MarkerTile(MenuPage page) {
    return page == MenuPage::Main ? 5 : page == MenuPage::Options ? 4 : 3;
}

void DrawText(FrameBuffer& fb, std::string_view text, std::int32_t x, std::int32_t y,
              std::uint8_t colour) {
    DrawSmallText(fb, text.data(), static_cast<std::int32_t>(text.size()), x, y, colour);
}

void DrawPage(FrameBuffer& fb, MenuPage page, const GameSettings& settings) {
    switch (page) {
        case MenuPage::Main: {
            static constexpr Item kItems[] = {{"GAME A", 70, 30},
                                              {"GAME B", 80, 30},
                                              {"OPTIONS", 90, 30},
                                              {"INFORMATION", 100, 30},
                                              {"QUIT", 110, 31}};
            for (const Item& item : kItems) DrawText(fb, item.text, kItemX, item.y, item.colour);
            break;
        }
        case MenuPage::Options:
            DrawText(fb, settings.scrolling ? "SCROLLING ON" : "SCROLLING OFF", kItemX, 80, 32);
            DrawText(fb, settings.showNext ? "SHOW NEXT YES" : "SHOW NEXT NO", kItemX, 90, 32);
            DrawText(fb, "LEVEL", kItemX, 100, 32);
            DrawText(fb, "BACK", kItemX, 110, 33);
            break;
        case MenuPage::Level:
            for (std::int32_t k = 0; k <= 6; ++k) {
                const char text[] = {'L', 'E', 'V', 'E', 'L', ' ', static_cast<char>('1' + k)};
                DrawText(fb, std::string_view(text, sizeof text), kItemX, 70 + 10 * k, 34);
            }
            break;
    }
}

// What Enter does on the current page and item; an item outside the page
// does nothing.
void ActOnEnter(MenuState& menu, GameSettings& settings) {
    switch (menu.page) {
        case MenuPage::Main:
            switch (menu.cursor) {
                case 0:
                    settings.variant = GameVariant::A;
                    menu.leaving = true;
                    break;
                case 1:
                    settings.variant = GameVariant::B;
                    menu.leaving = true;
                    break;
                case 2:
                    menu.page = MenuPage::Options;
                    menu.cursor = 0;
                    break;
                case 3:
                    menu.showInfo = true;
                    break;
                case 4:
                    settings.quit = true;
                    menu.leaving = true;
                    break;
                default:
                    break;
            }
            break;
        case MenuPage::Options:
            switch (menu.cursor) {
                case 0:
                    settings.scrolling = settings.scrolling ? 0 : 1;
                    break;
                case 1:
                    settings.showNext = settings.showNext ? 0 : 1;
                    break;
                case 2:
                    menu.page = MenuPage::Level;
                    menu.cursor = 0;
                    break;
                case 3:
                    menu.page = MenuPage::Main;
                    menu.cursor = 0;
                    break;
                default:
                    break;
            }
            break;
        case MenuPage::Level:
            if (menu.cursor >= 0 && menu.cursor <= 6) {
                settings.level = menu.cursor + 1;
                menu.page = MenuPage::Options;
                menu.cursor = 3;  // the marker rests on "BACK"
            }
            break;
    }
}

void DrawInfoScreen(FrameBuffer& fb) {
    FillBox(fb, 0, 0, 319, 199, 0);
    for (const InfoLine& line : kInfoLines) {
        const auto length = static_cast<std::int32_t>(line.text.size());
        const std::int32_t x = line.centred ? 160 - 3 * length : line.x;
        DrawText(fb, line.text, x, line.y, line.colour);
    }
}

void RunMenuFrame(MenuState& menu, GameSettings& settings, Keyboard& keyboard, Display& display,
                  platform::Platform& platform) {
    // Positions come from the angles before this frame's step.
    for (std::size_t i = 0; i < menu.angles.size(); ++i) {
        menu.slotX[i] =
            static_cast<float>(150.0 + 140.0 * std::cos(static_cast<double>(menu.angles[i])));
        menu.slotY[i] =
            static_cast<float>(85.0 + 75.0 * std::sin(static_cast<double>(menu.angles[i])));
    }
    for (std::size_t i = 0; i < menu.angles.size(); ++i) menu.angles[i] += kSlotSteps[i];

    FrameBuffer fb = LockBackBuffer(display);
    if (!menu.showInfo) {
        FillBox(fb, 0, 0, 319, 199, 0);
        for (std::int32_t i = 0; i < 8; ++i) {
            StampPiece(fb, StampMode::Draw, static_cast<std::int32_t>(menu.slotX[i]),
                       static_cast<std::int32_t>(menu.slotY[i]), i, 1);
        }
        if (WasKeyPressed(keyboard, Key::Down)) ++menu.cursor;
        if (WasKeyPressed(keyboard, Key::Up)) --menu.cursor;
        // Enter acts on the item the cursor has just moved to, before wrapping.
        if (WasKeyPressed(keyboard, Key::Enter)) ActOnEnter(menu, settings);

        if (menu.cursor < 0) menu.cursor = LastIndex(menu.page);
        if (menu.cursor > LastIndex(menu.page)) menu.cursor = 0;
        StampTile(fb, StampMode::Draw, kMarkerX, PageTop(menu.page) + 10 * menu.cursor,
                  MarkerTile(menu.page));
        DrawPage(fb, menu.page, settings);

        if (menu.leaving && !settings.quit) {
            FillBox(fb, 0, 0, 319, 199, 0);
            DrawText(fb, "G E T  R E A D Y", 110, 97, 35);
        }
    }
    if (menu.showInfo) {
        DrawInfoScreen(fb);
        if (IsKeyActive(keyboard, Key::Escape)) menu.showInfo = false;
    }
    UnlockBackBuffer(display);
    PresentFrame(display, platform);
}

}  // namespace

void MenuScreen(MenuState& menu, GameSettings& settings, Keyboard& keyboard, Display& display,
                platform::Platform& platform) {
    menu.page = MenuPage::Main;
    menu.cursor = 0;
    menu.leaving = false;

    WaitKeyReleased(keyboard, Key::Enter);
    WaitKeyReleased(keyboard, Key::Up);
    WaitKeyReleased(keyboard, Key::Down);

    platform.LoopCue(platform::Cue::MenuTune);
    menu.angles.fill(0.0f);

    while (!menu.leaving) RunMenuFrame(menu, settings, keyboard, display, platform);
    platform.StopSound();
}

}  // namespace ft
