// SPDX-License-Identifier: MIT
// menu_test.cpp -- the menu from outside: whole runs on the headless platform,
// checked by their logs and against expected pictures kept in tests/golden
// (pages and marker, circling pieces, start frame, information screen).
#include "core/frontend/menu.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/frontend/info_text.h"
#include "golden.h"
#include "headless_run.h"

using namespace ft;

namespace {

using Pixels = std::vector<std::uint8_t>;  // 320 x 200, no padding

// Timing of every run below. Enter pressed at T 1 ends the intro and its
// release at T 2 lets the first menu visit start (tune at T 2). Frame k of a
// visit that starts at T s is presented at T s + k, and a key tapped at T t
// reaches the menu frame presented at T t + 1 (except a visit's first frame).
constexpr char kPastIntro[] = "1 enter down\n2 enter up\n";
constexpr std::uint64_t kFirstTap = 3;  // reaches frame 2 of the first visit, T 4

// Pressed and released at the same T: the key is pressed, no longer held.
// keys: "down", or several at once as "down+enter"; "" taps nothing.
std::string Tap(std::uint64_t time, std::string_view keys) {
    std::string text;
    while (!keys.empty()) {
        const auto plus = keys.find('+');
        const std::string key(keys.substr(0, plus));
        text += std::to_string(time) + " " + key + " down\n";
        text += std::to_string(time) + " " + key + " up\n";
        keys = plus == std::string_view::npos ? std::string_view() : keys.substr(plus + 1);
    }
    return text;
}

// One tap per frame: steps[i] at T first + i.
std::string Taps(std::uint64_t first, const std::vector<std::string_view>& steps) {
    std::string text;
    for (std::size_t i = 0; i < steps.size(); ++i) text += Tap(first + i, steps[i]);
    return text;
}

// Frame limits count every present of the run; the first is at T 3.
std::uint64_t FramesUpTo(std::uint64_t time) {
    return time - 2;
}

// The picture presented at virtual time T.
const ShownPicture& PresentedAt(HeadlessRun& run, std::uint64_t time) {
    const std::string wanted = std::to_string(time) + " present ";
    std::size_t picture = 0;
    for (const std::string& line : run.Log()) {
        if (line.find(" present ") == std::string::npos &&
            line.find(" primary ") == std::string::npos)
            continue;
        if (line.rfind(wanted, 0) == 0) return run.pictures().at(picture);
        ++picture;
    }
    throw std::out_of_range("no picture presented at T " + std::to_string(time));
}

// The frames below are pinned by pictures in tests/golden/menu/, named after
// what they show: the page, the item under the marker and the visit's frame
// (fN), which sets where the circling pieces stand.
::testing::AssertionResult Shows(const ShownPicture& shown, std::string_view picture) {
    return MatchesGolden(shown, "menu/" + std::string(picture));
}

// The game screen's level box.
constexpr ScreenBox kLevelBox{167, 132, 258, 148};

Pixels Visible(Display& display) {
    Pixels pixels(320 * 200);
    const FrameBuffer fb = display.primary.View();
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 320; ++x) pixels[y * 320 + x] = ReadPixel(fb, x, y);
    return pixels;
}

}  // namespace

TEST(MenuScreen, QuitEndsTheRunWithoutAGame) {
    // Up wraps the marker to "QUIT" (T 4), Enter chooses it (T 5).
    // The frame limit only stops a run that fails to quit.
    HeadlessRun run(kPastIntro + Taps(kFirstTap, {"up", "enter"}), 0, FramesUpTo(10));
    EXPECT_EQ(run.RunProgram(), platform::EndReason::Quit);

    // No start frame, no game screen, no reseed and no start cue; the tune
    // stops before the end.
    const std::vector<std::string> expected = {
        "0 primary", "0 sound play 106", "0 primary",    "2 sound loop 117", "3 present",
        "4 present", "5 present",        "5 sound stop", "5 end quit"};
    EXPECT_EQ(run.LogShape(), expected);
    EXPECT_TRUE(Shows(run.pictures().back(), "main-quit-f3"));
    EXPECT_TRUE(run.program.settings.quit);
    EXPECT_FALSE(run.program.display.open);
}

TEST(MenuScreen, DownAndEnterInOneFrameActOnTheItemMovedTo) {
    // On "GAME A": "GAME B" starts.
    HeadlessRun gameB(kPastIntro + Taps(kFirstTap, {"down+enter"}), 0, FramesUpTo(5));
    EXPECT_EQ(gameB.RunProgram(), platform::EndReason::Frames);
    EXPECT_EQ(gameB.program.settings.variant, GameVariant::B);
    EXPECT_TRUE(Shows(PresentedAt(gameB, 4), "get-ready"));
    const auto shape = gameB.LogShape();
    // A game B reseeds twice: once for the game, once for its rubble.
    EXPECT_EQ(std::count(shape.begin(), shape.end(), "4 reseed 0"), 2);

    // On "QUIT": the marker moves to "GAME A" and nothing else happens.
    HeadlessRun quit(kPastIntro + Taps(kFirstTap, {"up", "down+enter"}), 0, FramesUpTo(6));
    EXPECT_EQ(quit.RunProgram(), platform::EndReason::Frames);
    EXPECT_TRUE(Shows(PresentedAt(quit, 4), "main-quit-f2"));
    EXPECT_TRUE(Shows(PresentedAt(quit, 5), "main-game-a-f3"));
    EXPECT_TRUE(Shows(PresentedAt(quit, 6), "main-game-a-f4"));
    EXPECT_FALSE(quit.program.settings.quit);
    EXPECT_EQ(quit.program.settings.variant, GameVariant::A);
    EXPECT_FALSE(quit.program.menu.leaving);
    const auto events = quit.Events();
    EXPECT_EQ(std::count(events.begin(), events.end(), "5 sound stop"), 0);
}

TEST(MenuScreen, UpAndDownWrapOnEveryPage) {
    struct Step {
        std::string_view keys;
        std::string_view shown;  // what the frame that sees the tap shows
    };
    const std::vector<Step> steps = {
        {"up", "main-quit-f2"},
        {"down", "main-game-a-f3"},
        {"down", "main-game-b-f4"},
        {"down", "main-options-f5"},
        {"enter", "options-scrolling-f6"},
        {"up", "options-back-f7"},
        {"down", "options-scrolling-f8"},
        {"down", "options-show-next-f9"},
        {"down", "options-level-f10"},
        {"enter", "level-1-f11"},
        {"up", "level-7-f12"},
        {"down", "level-1-f13"},
        {"up+down", "level-1-f14"},
    };
    std::vector<std::string_view> keys;
    for (const Step& step : steps) keys.push_back(step.keys);
    const std::uint64_t last = kFirstTap + steps.size();  // T of the last step's frame
    HeadlessRun run(kPastIntro + Taps(kFirstTap, keys), 0, FramesUpTo(last));
    run.RunProgram();

    for (std::size_t i = 0; i < steps.size(); ++i) {
        EXPECT_TRUE(Shows(PresentedAt(run, kFirstTap + i + 1), steps[i].shown))
            << "step " << i << " (" << steps[i].keys << ")";
    }
    EXPECT_EQ(run.program.menu.page, MenuPage::Level);
    EXPECT_EQ(run.program.menu.cursor, 0);
}

TEST(MenuScreen, ChosenLevelHoldsForOneGameOnly) {
    // Options (T 6), level page (T 9), "LEVEL 4" (T 13), "BACK" (T 14),
    // "GAME A" (T 15); the game's first frame is at T 16 and Escape leaves it.
    const std::vector<std::string_view> steps = {"down", "down",  "enter", "down",
                                                 "down", "enter", "down",  "down",
                                                 "down", "enter", "enter", "enter"};
    const std::string script =
        kPastIntro + Taps(kFirstTap, steps) + Tap(16, "escape") + Tap(17, "enter");
    // The second visit starts at T 16; its Enter starts a game at T 18 whose
    // first frame is at T 19.
    HeadlessRun run(script, 0, FramesUpTo(19));
    EXPECT_EQ(run.RunProgram(), platform::EndReason::Frames);

    EXPECT_TRUE(Shows(PresentedAt(run, 9), "level-1-f7"));
    // The level is not shown anywhere; the marker rests on "BACK".
    EXPECT_TRUE(Shows(PresentedAt(run, 13), "options-back-f11"));
    EXPECT_TRUE(Shows(PresentedAt(run, 15), "get-ready"));
    EXPECT_TRUE(MatchesGolden(PresentedAt(run, 16), "menu/level-box-4", kLevelBox))
        << "the first game starts at level 4";

    EXPECT_TRUE(Shows(PresentedAt(run, 17), "main-game-a-f1"));
    EXPECT_TRUE(Shows(PresentedAt(run, 18), "get-ready"));
    EXPECT_TRUE(MatchesGolden(PresentedAt(run, 19), "menu/level-box-1", kLevelBox))
        << "the next game starts at level 1 again";
    EXPECT_EQ(run.program.settings.level, 1);
}

TEST(MenuScreen, ToggledOptionShowsAtOnceAndHoldsForLaterGames) {
    // Options (T 6), scrolling off (T 7), show next off (T 9), "BACK" (T 12),
    // "GAME A" (T 13); Escape leaves the game at T 14, a new visit starts.
    const std::vector<std::string_view> first = {"down",  "down", "enter", "enter", "down",
                                                 "enter", "down", "down",  "enter", "enter"};
    // Second visit, from T 14: options (T 18), "BACK" (T 20), "GAME A" (T 21).
    const std::vector<std::string_view> second = {"down", "down", "enter", "up", "enter", "enter"};
    const std::string script =
        kPastIntro + Taps(kFirstTap, first) + Tap(14, "escape") + Taps(15, second);
    HeadlessRun run(script, 0, FramesUpTo(24));  // the second game's third frame
    EXPECT_EQ(run.RunProgram(), platform::EndReason::Frames);

    // The first visit of the options page shows the start values.
    EXPECT_TRUE(Shows(PresentedAt(run, 6), "options-scrolling-f4"));
    // The frame of the toggle already reads "SCROLLING OFF".
    EXPECT_TRUE(Shows(PresentedAt(run, 7), "options-scrolling-f5-scrolling-off"));
    EXPECT_TRUE(Shows(PresentedAt(run, 9), "options-show-next-f7-both-off"));

    // After a game the next visit still shows both changes.
    EXPECT_TRUE(Shows(PresentedAt(run, 18), "options-scrolling-f4-both-off"));
    EXPECT_TRUE(Shows(PresentedAt(run, 21), "get-ready"));

    // The second game neither scrolls the well nor previews the next piece.
    EXPECT_FALSE(run.program.settings.scrolling);
    EXPECT_FALSE(run.program.settings.showNext);
    EXPECT_EQ(run.program.game.scrollTop, 10.0f);
    const ShownPicture& game = PresentedAt(run, 24);
    for (int y = 48; y <= 70; ++y)
        for (int x = 169; x <= 196; ++x)
            ASSERT_FALSE(game.At(x, y) >= 1 && game.At(x, y) <= 21)
                << "tile colour in the preview box at (" << x << ", " << y << ")";
}

TEST(MenuScreen, PressesDuringTheInformationScreenActAfterItCloses) {
    // "INFORMATION" opens at T 7. Up at T 7 waits; Escape at T 8 closes the
    // screen at T 9, so T 10 shows the main page with Up acted on. Down and
    // Enter reopen it at T 12; Enter at T 12 waits through it, Escape at T 13
    // closes it at T 14, and the waiting Enter reopens it at T 15.
    const std::vector<std::string_view> steps = {
        "down", "down", "down", "enter", "up", "escape", "", "down", "enter", "enter", "escape"};
    HeadlessRun run(kPastIntro + Taps(kFirstTap, steps), 0, FramesUpTo(16));
    run.RunProgram();

    for (std::uint64_t time : {7, 8, 9, 12, 13, 14, 15, 16})
        EXPECT_TRUE(Shows(PresentedAt(run, time), "information")) << "T " << time;
    // The pieces kept circling behind the information screen.
    EXPECT_TRUE(Shows(PresentedAt(run, 10), "main-options-f8"));
    EXPECT_TRUE(Shows(PresentedAt(run, 11), "main-information-f9"));
    EXPECT_TRUE(run.program.menu.showInfo);
}

TEST(MenuScreen, EscapePressedOnAPageClosesTheInformationScreenAtOnce) {
    // Escape together with the third Down (T 6: nothing happens on the page);
    // Enter on "INFORMATION" at T 7 shows it for that frame only.
    HeadlessRun run(kPastIntro + Taps(kFirstTap, {"down", "down", "down+escape", "enter"}), 0,
                    FramesUpTo(8));
    run.RunProgram();
    EXPECT_TRUE(Shows(PresentedAt(run, 6), "main-information-f4"));
    EXPECT_TRUE(Shows(PresentedAt(run, 7), "information"));
    EXPECT_TRUE(Shows(PresentedAt(run, 8), "main-information-f6"));
    EXPECT_FALSE(run.program.menu.showInfo);
}

TEST(MenuScreen, PiecesStartStackedAndCircleTheEllipse) {
    // The first frame: every piece at (290, 85), kind 7 uppermost.
    HeadlessRun first(kPastIntro, 0, 1);
    first.RunProgram();
    EXPECT_TRUE(Shows(PresentedAt(first, 3), "main-game-a-f1"));

    // The 101st frame: after 100 steps kind 1 stands at (225, 148), kind 7 at (58, 28).
    HeadlessRun later(kPastIntro, 0, 101);
    later.host().keepPictures = false;
    later.RunProgram();
    const MenuState& menu = later.program.menu;
    EXPECT_EQ(static_cast<std::int32_t>(menu.slotX[1]), 225);
    EXPECT_EQ(static_cast<std::int32_t>(menu.slotY[1]), 148);
    EXPECT_EQ(static_cast<std::int32_t>(menu.slotX[7]), 58);
    EXPECT_EQ(static_cast<std::int32_t>(menu.slotY[7]), 28);
    EXPECT_TRUE(MatchesGolden(Visible(later.program.display), later.program.display.palette,
                              "menu/main-game-a-f101"));
}

TEST(MenuScreen, GamesPresentOneGetReadyFrameAndTheTuneRestartsEveryVisit) {
    // "GAME A" at T 4; Escape leaves the game after its first frame (T 5);
    // the second visit starts at T 5, "GAME B" at T 8.
    const std::string script =
        kPastIntro + Tap(3, "enter") + Tap(5, "escape") + Taps(6, {"down", "enter"});
    HeadlessRun run(script, 0, FramesUpTo(9));
    EXPECT_EQ(run.RunProgram(), platform::EndReason::Frames);

    const std::vector<std::string> expected = {
        "0 primary",        "0 sound play 106", "0 primary",                        //
        "2 sound loop 117", "3 present",                                            //
        "4 present",        "4 sound stop",     "4 reseed 0",  "4 sound play 107",  //
        "5 present",                                                                //
        "5 sound loop 117", "6 present",        "7 present",                        //
        "8 present",        "8 sound stop",     "8 reseed 0",  "8 reseed 0",        //
        "8 sound play 107", "9 present",        "9 end frames"};
    EXPECT_EQ(run.LogShape(), expected);

    const ShownPicture& ready = PresentedAt(run, 4);
    EXPECT_TRUE(Shows(ready, "get-ready"));
    EXPECT_TRUE(Shows(PresentedAt(run, 8), "get-ready"));
    int readyFrames = 0;
    for (const ShownPicture& picture : run.pictures())
        readyFrames += picture.pixels == ready.pixels ? 1 : 0;
    EXPECT_EQ(readyFrames, 2);
    EXPECT_TRUE(Shows(PresentedAt(run, 6), "main-game-a-f1"));
}

TEST(MenuInfoScreen, LinesStayInsideTheFrameAndUseOnlyTheFont) {
    constexpr std::string_view kFontCharacters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 -+/.()$:";
    for (std::size_t i = 0; i < kInfoLines.size(); ++i) {
        const InfoLine& line = kInfoLines[i];
        const auto length = static_cast<std::int32_t>(line.text.size());
        const std::int32_t x = line.centred ? 160 - 3 * length : line.x;
        EXPECT_GE(x, 0) << "line " << i + 1;
        EXPECT_LE(x + 6 * length - 1, 319) << "line " << i + 1 << " is too wide";
        EXPECT_GE(line.y, 0);
        EXPECT_LE(line.y + 4, 199) << "line " << i + 1;
        for (char c : line.text)
            EXPECT_NE(kFontCharacters.find(c), std::string_view::npos)
                << "line " << i + 1 << " has '" << c << "', which the font lacks";
    }

    // Where each line stands, and the texts that are not ours to choose.
    struct Spot {
        std::string_view text;  // empty: the text is free
        std::int32_t x;         // -1: centred
        std::int32_t y;
        std::uint8_t colour;
    };
    const std::array<Spot, 14> spots = {{
        {"", 0, 0, 100},
        {"DORVAMIK-SOFT PRESENTS:", 0, 15, 100},
        {"F O M P Y   T A L D E N", 94, 40, 15},
        {"INSTRUCTIONS:", 0, 70, 10},
        {"ALL ACTIONS CAN BE MADE WITH THE ARROW-KEYS", 10, 80, 100},
        {"INFO:", 0, 100, 10},
        {"", 10, 110, 100},
        {"", 10, 116, 100},
        {"", 10, 122, 100},
        {"", -1, 140, 100},
        {"", -1, 150, 100},
        {"", -1, 160, 100},
        {"", -1, 175, 100},
        {"PRESS ESC", 0, 194, 100},
    }};
    for (std::size_t i = 0; i < spots.size(); ++i) {
        const InfoLine& line = kInfoLines[i];
        if (!spots[i].text.empty()) {
            EXPECT_EQ(line.text, spots[i].text) << "line " << i + 1;
        }
        EXPECT_EQ(line.centred, spots[i].x == -1) << "line " << i + 1;
        if (!line.centred) {
            EXPECT_EQ(line.x, spots[i].x) << "line " << i + 1;
        }
        EXPECT_EQ(line.y, spots[i].y) << "line " << i + 1;
        EXPECT_EQ(line.colour, spots[i].colour) << "line " << i + 1;
    }
}
