// SPDX-License-Identifier: MIT
// intro_test.cpp -- the intro from outside: the fixed mosaic, the jingle, the
// black title words and the two waits for Enter.
#include "core/frontend/intro.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/game/shapes.h"
#include "core/program/program.h"
#include "golden.h"
#include "headless_run.h"
#include "test_platform.h"

using namespace ft;

namespace {

// The intro presents no frame: this limit only stops a run that wrongly went
// on into the menu, whose frames would otherwise run for ever.
constexpr std::uint64_t kNoFrames = 1;

// The 5x5 cell with its top-left pixel at (x, y) shows the whole pattern of tile.
bool CellShowsTile(const ShownPicture& picture, int x, int y, int tile) {
    for (int row = 0; row < 5; ++row)
        for (int column = 0; column < 5; ++column)
            if (picture.At(x + column, y + row) != PatternPixel(tile, column, row)) return false;
    return true;
}

// A player who presses Enter while the mosaic is being stamped: the press is
// latched by the keyboard and shows up at the next poll after the mosaic.
class PressDuringMosaic : public FakePlatform {
public:
    void ShowPicture(const platform::Picture& picture, const platform::Palette& palette,
                     platform::PictureKind kind) override {
        FakePlatform::ShowPicture(picture, palette, kind);
        if (kind == platform::PictureKind::Primary && pictures.size() == 1) pressLatched_ = true;
    }
    void DeliverDueInput(platform::KeyState& keys) override {
        FakePlatform::DeliverDueInput(keys);
        if (!pressLatched_) return;
        pressLatched_ = false;
        platform::ApplyInputEvent(keys, Down(platform::Key::Enter));
        platform::ApplyInputEvent(keys, Up(platform::Key::Enter));
    }

private:
    bool pressLatched_ = false;
};

}  // namespace

TEST(IntroScreen, MosaicIsTheSameEveryRunAndCoversEveryCell) {
    // No key at all: the intro draws, plays its jingle and waits for Enter.
    HeadlessRun run("", 0, kNoFrames);
    EXPECT_EQ(run.RunProgram(), platform::EndReason::Script);
    ASSERT_EQ(run.pictures().size(), 2u);
    const ShownPicture& mosaic = run.pictures()[0];
    EXPECT_EQ(mosaic.kind, platform::PictureKind::Primary);

    // The 50001 stamps the generator places after start-up's draws, later
    // ones covering earlier ones.
    EXPECT_TRUE(MatchesGolden(mosaic, "intro/mosaic"));

    // Every one of the 64 x 40 cells holds a whole tile pattern.
    int covered = 0;
    for (int y = 0; y < 200; y += 5) {
        for (int x = 0; x < 320; x += 5) {
            bool tiled = false;
            for (int tile = 1; tile <= 7; ++tile)
                tiled = tiled || CellShowsTile(mosaic, x, y, tile);
            EXPECT_TRUE(tiled) << "cell at (" << x << ", " << y << ") holds no tile";
            covered += tiled ? 1 : 0;
        }
    }
    EXPECT_EQ(covered, 2560);
    EXPECT_TRUE(CellShowsTile(mosaic, 0, 0, 6));
    EXPECT_TRUE(CellShowsTile(mosaic, 200, 170, 2));  // the last stamp stays on top

    // Another clock, another script: the same mosaic.
    HeadlessRun other("3 enter down\n", 987654321, kNoFrames);
    other.RunProgram();
    ASSERT_GE(other.pictures().size(), 1u);
    EXPECT_TRUE(other.pictures()[0].pixels == mosaic.pixels);
}

TEST(IntroScreen, JingleThenBlackTitleWordsOverTheMosaic) {
    HeadlessRun run("", 0, kNoFrames);
    run.RunProgram();
    const std::vector<std::string> expectedLog = {"0 primary", "0 sound play 106", "0 primary",
                                                  "0 end script"};
    EXPECT_EQ(run.LogShape(), expectedLog);
    ASSERT_EQ(run.pictures().size(), 2u);
    EXPECT_EQ(run.pictures()[1].kind, platform::PictureKind::Primary);

    // The second picture is the first with the two words in colour 0 on top.
    EXPECT_TRUE(MatchesGolden(run.pictures()[1], "intro/title"));

    // The words really cut into the mosaic.
    EXPECT_TRUE(run.pictures()[1].pixels != run.pictures()[0].pixels);
}

TEST(IntroScreen, EnterHeldAtStartCountsOnlyAfterReleaseAndFreshPress) {
    // Held and never released: nothing is drawn and no jingle plays.
    HeadlessRun held("0 enter down\n", 0, kNoFrames);
    EXPECT_EQ(held.RunProgram(), platform::EndReason::Script);
    EXPECT_EQ(held.LogShape(), std::vector<std::string>{"0 end script"});

    // The release lets the intro draw, but does not end it.
    HeadlessRun released("0 enter down\n5 enter up\n", 0, kNoFrames);
    EXPECT_EQ(released.RunProgram(), platform::EndReason::Script);
    const std::vector<std::string> waiting = {"5 primary", "5 sound play 106", "5 primary",
                                              "5 end script"};
    EXPECT_EQ(released.LogShape(), waiting);

    // A fresh press at T 9 ends it; the menu waits for its release at T 10.
    HeadlessRun pressed("0 enter down\n5 enter up\n9 enter down\n10 enter up\n", 0, 1);
    EXPECT_EQ(pressed.RunProgram(), platform::EndReason::Frames);
    const std::vector<std::string> toMenu = {"5 primary",  "5 sound play 106",
                                             "5 primary",  "10 sound loop 117",
                                             "11 present", "11 end frames"};
    EXPECT_EQ(pressed.LogShape(), toMenu);

    // A tap made before the intro is swallowed by its first wait.
    HeadlessRun early("0 enter down\n0 enter up\n", 0, kNoFrames);
    EXPECT_EQ(early.RunProgram(), platform::EndReason::Script);
    const std::vector<std::string> swallowed = {"0 primary", "0 sound play 106", "0 primary",
                                                "0 end script"};
    EXPECT_EQ(early.LogShape(), swallowed);
}

TEST(IntroScreen, EnterPressedDuringTheMosaicEndsTheIntroRightAfterTheWords) {
    PressDuringMosaic host;
    Program program(host);
    SetUpDisplay(program);
    EXPECT_NO_THROW(IntroScreen(program.keyboard, program.display, program.random,
                                program.platform));  // no wait for input: the latched press counts
    EXPECT_EQ(host.waits, 0);
    EXPECT_EQ(host.pictures.size(), 2u);
    EXPECT_EQ(host.sounds, std::vector<std::string>{"play 106"});
}
