// SPDX-License-Identifier: MIT
// Whole games on the headless platform: what crosses the game loop, the piece
// control, the playfield, the display and the sound cues, frame by frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "core/game/game.h"
#include "golden.h"
#include "headless_run.h"

using namespace ft;

namespace {

// A game as the menu leaves it: options at their start values.
void PrepareGame(HeadlessRun& run, GameVariant variant = GameVariant::A, std::int32_t level = 1) {
    SetUpDisplay(run.program);
    run.program.settings.showNext = true;
    run.program.settings.scrolling = true;
    run.program.settings.variant = variant;
    run.program.settings.level = level;
}

platform::EndReason PlayOneGame(HeadlessRun& run) {
    return run.Guard([&] { PlayGame(run.program.Game()); });
}

// The time and event of a log line ("12 sound play 116" -> 12, "sound play 116").
std::pair<std::uint64_t, std::string> Split(const std::string& line) {
    const auto space = line.find(' ');
    return {std::stoull(line.substr(0, space)), line.substr(space + 1)};
}

// The boxes of the game screen, pinned by pictures in tests/golden/game/.
constexpr ScreenBox kScoreBox{167, 102, 258, 118};
constexpr ScreenBox kLevelBox{167, 132, 258, 148};

}  // namespace

TEST(GameTiming, GravityIntervalAndLevelRise) {
    GameState game;
    GameSettings settings;
    settings.level = 1;
    for (int frame = 1; frame < 1800; ++frame) {
        UpdateLevel(game, settings);
        ASSERT_EQ(settings.level, 1);
        ASSERT_EQ(game.dropInterval, 100);
    }
    UpdateLevel(game, settings);  // frame 1800: the level rises, the interval follows next frame
    EXPECT_EQ(settings.level, 2);
    EXPECT_EQ(game.dropInterval, 100);
    UpdateLevel(game, settings);
    EXPECT_EQ(game.dropInterval, 93);

    GameState late;
    GameSettings lateSettings;
    lateSettings.level = 7;
    UpdateLevel(late, lateSettings);
    EXPECT_EQ(late.dropInterval, 58);
    for (int frame = 2; frame <= 8 * 1800 - 1; ++frame) UpdateLevel(late, lateSettings);
    EXPECT_EQ(lateSettings.level, 14);
    EXPECT_EQ(late.dropInterval, 9);
    UpdateLevel(late, lateSettings);  // the rise to 15 takes interval 5 at once
    EXPECT_EQ(lateSettings.level, 15);
    EXPECT_EQ(late.dropInterval, 5);
    for (int frame = 0; frame < 5 * 1800; ++frame) {
        UpdateLevel(late, lateSettings);
        ASSERT_EQ(lateSettings.level, 15);
        ASSERT_EQ(late.dropInterval, 5);
    }
}

TEST(GameRun, FirstGravityStepFallsInFrame101) {
    HeadlessRun before("", 0, 100);
    PrepareGame(before);
    EXPECT_EQ(PlayOneGame(before), platform::EndReason::Frames);
    EXPECT_EQ(before.program.piece.y, kSpawnY);

    HeadlessRun after("", 0, 101);
    PrepareGame(after);
    PlayOneGame(after);
    EXPECT_EQ(after.program.piece.y, kSpawnY + 5);
}

TEST(GameRun, LevelBoxShowsLevelTwoFromFrame1800) {
    HeadlessRun run("", 0, 1800);
    PrepareGame(run);
    run.host().keepPictures = false;
    PlayOneGame(run);
    EXPECT_EQ(run.program.settings.level, 2);
    // The last frame's level box was formatted after the rise.
    const FrameBuffer primary = run.program.display.primary.View();
    std::vector<std::uint8_t> shown(320 * 200);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 320; ++x) shown[y * 320 + x] = ReadPixel(primary, x, y);
    EXPECT_TRUE(MatchesGolden(shown, run.program.display.palette, "game/level-box-2", kLevelBox));
}

TEST(GameRun, StartSequenceReseedsPlaysTheStartCueAndDrawsThePreview) {
    HeadlessRun run("reseed 777\n", 0, 1);
    PrepareGame(run);
    PlayOneGame(run);
    const auto events = run.Events();
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events[0], "0 reseed 777");
    EXPECT_EQ(events[1], "0 sound play 107");
    Random random;
    random.Reseed(777);
    EXPECT_EQ(run.program.piece.nextKind, random.Next() % 7 + 1);
    EXPECT_EQ(run.program.piece.kind, 6);  // the first game of a run
    // The preview shows the next piece: some tile colour inside the box.
    const auto& frame = run.pictures().back();
    bool tile = false;
    for (int y = 48; y <= 70; ++y)
        for (int x = 169; x <= 196; ++x) tile |= frame.At(x, y) >= 1 && frame.At(x, y) <= 21;
    EXPECT_TRUE(tile);
}

TEST(GameRun, SidewaysTapActsInTheFrameAfterItsPresent) {
    // Down held from the start brings the piece one cell per frame; the left
    // tap at T 9 reaches the tenth frame.
    HeadlessRun run("0 down down\n9 left down\n9 left up\n", 0, 10);
    PrepareGame(run);
    PlayOneGame(run);
    EXPECT_EQ(run.program.piece.x, kSpawnX - 5);
    EXPECT_EQ(run.program.piece.y, kSpawnY + 50);
    const auto& ninth = run.pictures()[run.pictures().size() - 2];
    const auto& tenth = run.pictures().back();
    // Kind 6, rotation 0: its lone top cell is grid (0, 1), tile pattern 6.
    EXPECT_EQ(ninth.At(kSpawnX, kSpawnY + 45 + 5), 16);
    EXPECT_EQ(tenth.At(kSpawnX - 5, kSpawnY + 50 + 5), 16);
    EXPECT_NE(tenth.At(kSpawnX + 10, kSpawnY + 50 + 5), 16);
}

TEST(GameRun, LandingFrameShowsTheScoreFromBeforeTheLanding) {
    HeadlessRun run("0 down down\n", 0, 60);
    PrepareGame(run);
    PlayOneGame(run);
    // The first landing: the frame in which the landing cue plays.
    std::uint64_t landing = 0;
    for (const auto& line : run.Events()) {
        if (Split(line).second == "sound play 116") {
            landing = Split(line).first;
            break;
        }
    }
    ASSERT_GT(landing, 0u) << "no piece landed in 60 frames with Down held";
    // Picture n of this run is the present of frame n + 1 (no primary pictures).
    const auto& landingFrame = run.pictures()[landing];
    const auto& nextFrame = run.pictures()[landing + 1];
    EXPECT_TRUE(MatchesGolden(landingFrame, "game/score-box-0", kScoreBox));
    EXPECT_TRUE(MatchesGolden(nextFrame, "game/score-box-5", kScoreBox));
}

TEST(GameRun, GameOverPlaysLandingThenGameOverCueAndWaitsForAFreshPress) {
    // Down held: pieces pile up in the middle until one lands above the well.
    // Enter is held when the game ends, so the screen waits for its release,
    // then for a fresh press of Escape.
    HeadlessRun run("0 down down\n5 enter down\n100000 enter up\n100010 escape down\n");
    PrepareGame(run);
    run.host().keepPictures = false;
    EXPECT_EQ(PlayOneGame(run), platform::EndReason::Quit);

    const auto events = run.Events();
    auto over = std::find_if(events.begin(), events.end(), [](const std::string& l) {
        return Split(l).second == "sound play 111";
    });
    ASSERT_NE(over, events.end());
    ASSERT_NE(over, events.begin());
    EXPECT_EQ(Split(*(over - 1)).second, "sound play 116");
    EXPECT_EQ(Split(*(over - 1)).first, Split(*over).first);  // the same frame
    ASSERT_NE(over + 1, events.end());
    EXPECT_EQ(*(over + 1), "100000 reseed 0");

    const auto log = run.Log();
    std::vector<std::string> primaries;
    for (const auto& line : log)
        if (line.find(" primary ") != std::string::npos) primaries.push_back(line);
    ASSERT_EQ(primaries.size(), 1u);
    EXPECT_EQ(Split(primaries[0]).first, 100000u);         // drawn only after the release
    EXPECT_EQ(Split(log[log.size() - 2]).first, 100011u);  // the game frame after the press
    EXPECT_EQ(Split(log[log.size() - 2]).second.rfind("present", 0), 0u);

    EXPECT_EQ(run.program.score, 0);
    EXPECT_EQ(run.program.settings.level, 1);
    EXPECT_TRUE(run.program.game.gameOver);
    EXPECT_TRUE(std::all_of(run.program.playfield.cells.begin(), run.program.playfield.cells.end(),
                            [](std::uint8_t c) { return c == 0; }));
}

TEST(GameRun, GameOverScreenShowsTheCascadeAndTheCentredScore) {
    HeadlessRun run("0 down down\n100000 space down\n");
    PrepareGame(run);
    PlayOneGame(run);
    const ShownPicture* screen = nullptr;
    for (const auto& p : run.pictures())
        if (p.kind == platform::PictureKind::Primary) screen = &p;
    ASSERT_NE(screen, nullptr);
    // Every piece of the pile scored 5; the last frame's score text is shown
    // centred under thirteen copies of the words, each lower and brighter.
    const std::string text(run.program.game.hudText.data(), run.program.game.hudLength);
    EXPECT_EQ(text.rfind("SCORE: ", 0), 0u);
    EXPECT_TRUE(MatchesGolden(*screen, "game/game-over"));
}

// Leaving a game with Escape keeps its piece for the next game, but not its
// score: every game starts from 0.
TEST(GameRun, EscapeLeavesAGameAndTheNextStartsAtZeroWithTheSamePiece) {
    HeadlessRun run("0 down down\n120 escape down\n121 escape up\n", 0, 140);
    PrepareGame(run);
    run.host().keepPictures = false;
    PlayOneGame(run);
    const Score score = run.program.score;
    const FallingPiece piece = run.program.piece;
    EXPECT_GT(score, 0);
    EXPECT_FALSE(run.program.game.gameOver);

    run.Guard([&] { PlayGame(run.program.Game()); });  // runs to the frame limit
    EXPECT_EQ(run.program.piece.kind, piece.kind);
    EXPECT_EQ(run.program.piece.rotation, piece.rotation);
    EXPECT_EQ(run.program.score, 0) << "the left game's " << score << " points carried over";
    const auto events = run.Events();
    EXPECT_EQ(
        std::count_if(events.begin(), events.end(),
                      [](const std::string& l) { return Split(l).second == "sound play 111"; }),
        0);
}

TEST(GameRun, GameBStartsOnRubbleForTheChosenLevel) {
    HeadlessRun run("reseed 1\nreseed 99\n", 0, 1);
    PrepareGame(run, GameVariant::B, 3);
    PlayOneGame(run);
    const auto events = run.Events();
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events[0], "0 reseed 1");   // the game's start
    EXPECT_EQ(events[1], "0 reseed 99");  // the rubble
    EXPECT_EQ(events[2], "0 sound play 107");
    const Playfield& field = run.program.playfield;
    int rubble = 0;
    for (int r = 0; r < kWellRows; ++r) {
        for (int c = 0; c < kWellColumns; ++c) {
            if (r < 20) {
                EXPECT_EQ(field.At(c, r), 0) << c << "," << r;
            }
            EXPECT_LE(field.At(c, r), 5);
            rubble += field.At(c, r) != 0 ? 1 : 0;
        }
    }
    EXPECT_GT(rubble, 100);  // about five in six of 200 cells
}

TEST(GameRun, SameScriptGivesTheSameLog) {
    const std::string script = "0 down down\n50 left down\n51 left up\n90 up down\n91 up up\n";
    HeadlessRun first(script, 42, 300);
    HeadlessRun second(script, 42, 300);
    PrepareGame(first);
    PrepareGame(second);
    first.host().keepPictures = false;
    second.host().keepPictures = false;
    PlayOneGame(first);
    PlayOneGame(second);
    EXPECT_EQ(first.Log(), second.Log());
    EXPECT_EQ(first.Log().back(), "300 end frames");
}
