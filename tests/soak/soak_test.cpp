// SPDX-License-Identifier: MIT
// soak_test.cpp -- the soak's own parts: each invariant check catches what it
// is there to catch, the score watch reads rows from the score's steps, and a
// soak run's recorded keys replay on the headless platform to the same state.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "core/program/program.h"
#include "platform/common/script.h"
#include "platform/headless/headless_platform.h"
#include "soak_checks.h"
#include "soak_platform.h"

using soak::ScoreMoment;

namespace {

bool Mentions(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// A program as a game leaves it between frames: the piece at the spawn place.
struct ProgramAtRest {
    soak::Soak session{soak::SoakOptions{}};
    soak::SoakPlatform host{session};
    ft::Program program{host};
    ProgramAtRest() { program.piece.nextKind = 2; }
};

}  // namespace

TEST(SoakChecks, PaddingCanaryFindsWritesOutsideThePicture) {
    ft::Display display;
    ft::OpenDisplay(display);
    EXPECT_EQ(soak::CheckPadding(display, 0), "");  // surfaces start all 0
    soak::FillPadding(display, soak::kPaddingCanary);
    EXPECT_EQ(soak::CheckPadding(display, soak::kPaddingCanary), "");

    display.primary.pixels[57 * ft::kSurfacePitch + 319] = 9;  // the last visible column
    EXPECT_EQ(soak::CheckPadding(display, soak::kPaddingCanary), "");

    display.backBuffer.pixels[57 * ft::kSurfacePitch + 320] = 9;
    std::string error = soak::CheckPadding(display, soak::kPaddingCanary);
    EXPECT_TRUE(Mentions(error, "back buffer") && Mentions(error, "column 320, row 57")) << error;

    soak::FillPadding(display, soak::kPaddingCanary);
    display.background.pixels.back() = 0;  // column 383 of row 199
    error = soak::CheckPadding(display, soak::kPaddingCanary);
    EXPECT_TRUE(Mentions(error, "background") && Mentions(error, "column 383, row 199")) << error;
}

TEST(SoakChecks, FallingPieceMustKeepItsCellsInsideTheWell) {
    ProgramAtRest rest;
    ft::FallingPiece& piece = rest.program.piece;
    const auto check = [&](std::int32_t kind, std::int32_t rotation, std::int32_t x,
                           std::int32_t y) {
        piece.kind = kind;
        piece.rotation = rotation;
        piece.x = x;
        piece.y = y;
        return soak::CheckProgram(rest.program, true);
    };
    // The lying bar fills row 2 of its grid, columns 0 to 3: x 50 to 130 keep
    // its cells within x 50 to 149.
    EXPECT_EQ(check(1, 0, 50, 99), "");
    EXPECT_EQ(check(1, 0, 130, 99), "");
    EXPECT_NE(check(1, 0, 45, 99), "");
    EXPECT_NE(check(1, 0, 135, 99), "");
    // The standing bar fills column 2, rows 1 to 4: its grid may stand left of
    // the well, its lowest cell may end at y 198 but not below, and cells above
    // the well are allowed.
    EXPECT_EQ(check(1, 1, 40, 99), "");
    EXPECT_EQ(check(1, 1, 90, 174), "");
    EXPECT_NE(check(1, 1, 90, 179), "");
    EXPECT_EQ(check(1, 1, 90, -81), "");
    // Off the 5-pixel grid, or no kind at all.
    EXPECT_NE(check(1, 0, 52, 99), "");
    EXPECT_NE(check(0, 0, 90, 29), "");
    EXPECT_NE(check(2, 4, 90, 29), "");
    // Between games the piece is not looked at.
    check(1, 0, 200, 99);
    EXPECT_EQ(soak::CheckProgram(rest.program, false), "");
}

TEST(SoakChecks, PlayfieldLevelScoreAndLocks) {
    ProgramAtRest rest;
    ft::Program& program = rest.program;
    EXPECT_EQ(soak::CheckProgram(program, true), "");

    program.playfield.At(19, 29) = 7;
    EXPECT_EQ(soak::CheckProgram(program, true), "");
    program.playfield.At(19, 29) = 8;
    EXPECT_TRUE(Mentions(soak::CheckProgram(program, false), "(19, 29) holds 8"));
    program.playfield.At(19, 29) = 0;

    for (std::int32_t level : {1, 15}) {
        program.settings.level = level;
        EXPECT_EQ(soak::CheckProgram(program, true), "") << level;
    }
    for (std::int32_t level : {0, 16}) {
        program.settings.level = level;
        EXPECT_NE(soak::CheckProgram(program, false), "") << level;
    }
    program.settings.level = 1;

    program.score = -1;
    EXPECT_NE(soak::CheckProgram(program, false), "");
    program.score = 0;

    program.display.locked = ft::LockedSurface::BackBuffer;
    EXPECT_NE(soak::CheckProgram(program, false), "");
}

TEST(SoakChecks, ScoreWatchReadsRowsFromTheScoreSteps) {
    soak::ScoreWatch watch;
    EXPECT_EQ(watch.Look(0, ScoreMoment::Picture, false), "");
    EXPECT_EQ(watch.Look(0, ScoreMoment::Landing, false), "");
    EXPECT_NE(watch.Look(0, ScoreMoment::Landing, false), "");  // that landing did not score its 5
    // Start again at a sound state: one landing without rows, one with three,
    // one with four (1000, not 400).
    watch = soak::ScoreWatch{};
    EXPECT_EQ(watch.Look(0, ScoreMoment::Landing, false), "");
    EXPECT_EQ(watch.Look(5, ScoreMoment::Landing, false), "");
    EXPECT_EQ(watch.Look(310, ScoreMoment::Landing, false), "");
    EXPECT_EQ(watch.Look(1315, ScoreMoment::Picture, false), "");
    EXPECT_EQ(watch.landingRows, 7);
    EXPECT_EQ(watch.fourRowClears, 1);

    // The landing that ends the game scores nothing, a second one in the same
    // frame neither; then the score goes back to 0 before the game-over picture.
    EXPECT_EQ(watch.Look(1315, ScoreMoment::Landing, false), "");
    EXPECT_EQ(watch.Look(1315, ScoreMoment::Landing, true), "");
    EXPECT_EQ(watch.Look(1315, ScoreMoment::GameOver, true), "");
    EXPECT_EQ(watch.Look(0, ScoreMoment::Picture, true), "");

    // Every game starts from 0, plus what its "GAME B" rubble cleared: three
    // full rows score 300, four score 1000.
    EXPECT_EQ(watch.Look(300, ScoreMoment::GameStart, false), "");
    EXPECT_EQ(watch.Look(1000, ScoreMoment::GameStart, false), "");
    EXPECT_EQ(watch.Look(0, ScoreMoment::GameStart, false), "");
    EXPECT_EQ(watch.rubbleRows, 7);
    EXPECT_EQ(watch.landingRows, 7);

    // Steps the game never makes.
    const auto broken = [](ft::Score from, ft::Score to, ScoreMoment first, ScoreMoment second,
                           bool gameOver) {
        soak::ScoreWatch w;
        w.last = from;
        EXPECT_EQ(w.Look(from, first, false), "");
        return !w.Look(to, second, gameOver).empty();
    };
    EXPECT_TRUE(
        broken(0, 405, ScoreMoment::Landing, ScoreMoment::Picture, false));  // 4 rows as 400
    EXPECT_TRUE(broken(0, 1105, ScoreMoment::Landing, ScoreMoment::Picture, false));  // 5 rows
    EXPECT_TRUE(broken(0, 10, ScoreMoment::Picture, ScoreMoment::Picture, false));    // no landing
    EXPECT_TRUE(broken(500, 0, ScoreMoment::Picture, ScoreMoment::Picture, false));  // no game over
    EXPECT_TRUE(broken(500, 505, ScoreMoment::Landing, ScoreMoment::GameOver,
                       true));  // ending landing scored
    EXPECT_TRUE(broken(0, 400, ScoreMoment::Picture, ScoreMoment::GameStart,
                       false));  // 4 rubble rows as 400
    EXPECT_TRUE(broken(500, 505, ScoreMoment::Picture, ScoreMoment::GameStart,
                       false));  // the score of a game left with Escape carried over
}

TEST(SoakRecording, RecordedKeysReplayToTheSameState) {
    soak::SoakOptions options;
    options.seed = 7;
    options.frames = 6000;
    soak::Soak session(options);
    soak::SoakPlatform host(session);
    ft::Program live(host);
    host.Watch(live);
    bool endedByLimit = false;
    try {
        ft::StartUp(live);
        ft::RunOuterLoop(live);
    } catch (const platform::RunEnded&) {
        endedByLimit = true;
    }
    ASSERT_GT(session.Stats().gamesA + session.Stats().gamesB, 0u) << "the run played no game";

    const platform::Result<platform::Script> parse =
        platform::ParseScript(session.RunScript(), "soak");
    ASSERT_TRUE(parse.ok()) << parse.reason();
    platform::HeadlessOptions replayOptions;
    replayOptions.script = (*parse);
    if (endedByLimit) replayOptions.frames = session.RunFrames();
    platform::HeadlessPlatform replayHost(replayOptions);
    ft::Program replay(replayHost);
    try {
        ft::StartUp(replay);
        ft::RunOuterLoop(replay);
    } catch (const platform::RunEnded& ended) {
        EXPECT_EQ(ended.reason, platform::EndReason::Frames);
    }

    EXPECT_EQ(replayHost.Presents(), session.RunFrames());
    EXPECT_EQ(replay.score, live.score);
    EXPECT_EQ(replay.playfield.cells, live.playfield.cells);
    EXPECT_EQ(replay.piece.x, live.piece.x);
    EXPECT_EQ(replay.piece.y, live.piece.y);
    EXPECT_EQ(replay.piece.kind, live.piece.kind);
    EXPECT_EQ(replay.piece.rotation, live.piece.rotation);
    EXPECT_EQ(replay.settings.level, live.settings.level);
    EXPECT_EQ(replay.random.state, live.random.state);
    for (int y = 0; y < ft::kScreenHeight; ++y) {
        const auto row = static_cast<std::ptrdiff_t>(y) * ft::kSurfacePitch;
        ASSERT_TRUE(std::equal(live.display.primary.pixels.begin() + row,
                               live.display.primary.pixels.begin() + row + ft::kScreenWidth,
                               replay.display.primary.pixels.begin() + row))
            << "row " << y << " of the last picture differs";
    }
}
