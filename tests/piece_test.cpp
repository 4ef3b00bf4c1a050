// SPDX-License-Identifier: MIT
// piece_test.cpp -- moving, rotating and dropping the falling piece; landing,
// scoring, game over and the preview.
#include "core/game/piece.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/game/playfield.h"
#include "core/game/shapes.h"
#include "core/state/random.h"
#include "core/state/settings.h"
#include "rules_test_support.h"

using namespace ft;
using rules_test::CueRecorder;
using rules_test::TestFrame;

namespace {

// The next kind a landing draws from a generator in the given state.
std::int32_t NextKindFrom(std::uint32_t state) {
    state = state * 214013u + 2531011u;
    return static_cast<std::int32_t>((state >> 16) & 0x7FFF) % 7 + 1;
}

class PieceTest : public ::testing::Test {
protected:
    TestFrame frame{150};
    FallingPiece piece;
    Playfield field{};
    Score score = 0;
    Random random;
    GameSettings settings;
    CueRecorder platform;
    PieceContext context{piece, field, score, random, settings, platform};

    void Place(std::int32_t kind, std::int32_t rotation, std::int32_t x, std::int32_t y) {
        piece.kind = kind;
        piece.rotation = rotation;
        piece.x = x;
        piece.y = y;
    }
    // The frame as the game composes it before any piece action: the well
    // background, then the settled cells. Above the well lies scenery in a
    // tile colour, which must never block.
    void Compose() {
        FillBox(frame.fb, 50, 0, 149, 48, 3);
        FillBox(frame.fb, 50, 49, 149, 198, 22);
        DrawPlayfield(frame.fb, field);
    }
    bool Act(PieceAction action) { return MovePiece(frame.fb, action, context); }
    // Drops until the piece lands; returns how many drops moved it freely.
    int DropUntilLanded() {
        const std::size_t cues = platform.played.size();
        int free = 0;
        while (platform.played.size() == cues && free < 60) {
            EXPECT_FALSE(Act(PieceAction::Drop));
            if (platform.played.size() == cues) ++free;
        }
        return free;
    }
};

}  // namespace

TEST(StartingPiece, FirstDrawOfTheRunWithoutPlusOne) {
    Random random;
    const FallingPiece piece = StartingPiece(random);
    EXPECT_EQ(piece.kind, 6);  // first draw 41, 41 % 7
    EXPECT_EQ(piece.rotation, 0);
    EXPECT_EQ(piece.x, 90);
    EXPECT_EQ(piece.y, 29);
    EXPECT_EQ(piece.nextKind, 0);
}

TEST_F(PieceTest, SideMovesStopAtWallsAndSettledCells) {
    Compose();
    Place(5, 0, 45, 99);  // the square's cells in well columns 0 and 1
    Act(PieceAction::MoveLeft);
    EXPECT_EQ(piece.x, 45);
    Act(PieceAction::MoveRight);
    EXPECT_EQ(piece.x, 50);

    Place(5, 0, 135, 99);  // columns 18 and 19
    Act(PieceAction::MoveRight);
    EXPECT_EQ(piece.x, 135);

    field.At(12, 11) = 2;
    Compose();
    Place(5, 0, 110, 99);  // columns 13 and 14, rows 11 and 12
    EXPECT_FALSE(Act(PieceAction::MoveLeft));
    EXPECT_EQ(piece.x, 110);
    Act(PieceAction::MoveRight);
    EXPECT_EQ(piece.x, 115);

    Place(5, 0, 90, 29);  // above the well only the walls count
    Act(PieceAction::MoveLeft);
    EXPECT_EQ(piece.x, 85);
    EXPECT_TRUE(platform.played.empty());
}

TEST_F(PieceTest, RotationIsRefusedWhereItDoesNotFit) {
    // The bar upright in well column 2, rows 10 to 13; lying in rotation 0 it
    // would take row 12, columns 0 to 3.
    field.At(0, 12) = 4;
    Compose();
    Place(1, 3, 50, 99);
    Act(PieceAction::Rotate);
    EXPECT_EQ(piece.rotation, 3);
    field.At(0, 12) = 0;
    Compose();
    Act(PieceAction::Rotate);
    EXPECT_EQ(piece.rotation, 0);

    // Lying in rotation 2 it would cross the left wall; no sideways nudge.
    Place(1, 1, 40, 99);
    Act(PieceAction::Rotate);
    EXPECT_EQ(piece.rotation, 1);
    EXPECT_EQ(piece.x, 40);
}

TEST_F(PieceTest, SquareFallsToTheBottomAndLands) {
    Compose();
    Place(5, 0, 90, 29);
    piece.nextKind = 3;
    random.state = 12345;
    // From y 29 to 184 (its lower cells on row 29) in 31 free drops.
    EXPECT_EQ(DropUntilLanded(), 31);
    EXPECT_EQ(platform.played, std::vector<platform::Cue>{platform::Cue::Landing});
    EXPECT_EQ(field.At(9, 28), 5);
    EXPECT_EQ(field.At(10, 28), 5);
    EXPECT_EQ(field.At(9, 29), 5);
    EXPECT_EQ(field.At(10, 29), 5);
    EXPECT_EQ(frame.At(95, 189), 13);  // drawn into this frame at once
    EXPECT_EQ(score, 5);
    EXPECT_EQ(piece.kind, 3);
    EXPECT_EQ(piece.rotation, 0);
    EXPECT_EQ(piece.x, 90);
    EXPECT_EQ(piece.y, 29);
    EXPECT_EQ(piece.nextKind, NextKindFrom(12345));
}

TEST_F(PieceTest, FourRowsAtOneLandingScore1005) {
    for (int r = 26; r <= 29; ++r)
        for (int c = 0; c < kWellColumns; ++c)
            if (c != 9) field.At(c, r) = 2;
    Compose();
    Place(1, 1, 85, 29);  // the bar upright over the gap in column 9
    piece.nextKind = 2;
    score = 0;
    DropUntilLanded();
    EXPECT_EQ(score, 1005);
    for (std::uint8_t cell : field.cells) EXPECT_EQ(cell, 0);
}

TEST_F(PieceTest, GameOverIsDecidedOnThePosition) {
    // The square's cells would sit in well rows 0 and 1, inside the well, but
    // its position y 44 is above the top.
    field.At(9, 2) = 1;
    for (int c = 0; c < kWellColumns; ++c) field.At(c, 29) = 4;
    Compose();
    Place(5, 2, 90, 44);
    piece.nextKind = 4;
    random.state = 999;
    score = 50;
    EXPECT_TRUE(Act(PieceAction::Drop));
    EXPECT_EQ(platform.played, std::vector<platform::Cue>{platform::Cue::Landing});
    EXPECT_EQ(piece.x, 90);
    EXPECT_EQ(piece.y, 44);
    EXPECT_EQ(piece.kind, 5);
    EXPECT_EQ(piece.rotation, 2);
    EXPECT_EQ(piece.nextKind, 4);
    EXPECT_EQ(random.state, 999u);
    EXPECT_EQ(score, 50);
    EXPECT_EQ(field.At(9, 0), 5);
    EXPECT_EQ(field.At(10, 1), 5);
    EXPECT_EQ(field.At(0, 29), 4);  // no rows cleared

    // Landing with y exactly 49 goes on, even with a cell settling in row 0.
    field = Playfield{};
    field.At(9, 3) = 1;
    Compose();
    Place(2, 1, 90, 49);
    EXPECT_FALSE(Act(PieceAction::Drop));
    EXPECT_EQ(field.At(9, 0), 2);
    EXPECT_EQ(field.At(10, 1), 2);
    EXPECT_EQ(piece.y, 29);
    EXPECT_EQ(score, 55);
}

TEST_F(PieceTest, PreviewIsRedrawnAtLandingWhenShown) {
    settings.showNext = true;
    FillBox(frame.fb, 165, 44, 200, 74, 99);
    Compose();
    Place(5, 0, 90, 179);
    piece.nextKind = 1;
    random.state = 4242;
    const std::int32_t next = NextKindFrom(4242);
    DropUntilLanded();
    ASSERT_EQ(piece.nextKind, next);
    for (int y = 48; y <= 70; ++y) {
        for (int x = 169; x <= 196; ++x) {
            const int c = (x - 175) / 5, r = (y - 50) / 5;
            const bool inCell = x >= 175 && y >= 50 && c < GridSide(next) && r < GridSide(next) &&
                                ShapeCell(next, 0, c, r) != 0;
            EXPECT_EQ(frame.At(x, y), inCell ? PatternPixel(next, (x - 175) % 5, (y - 50) % 5) : 42)
                << x << "," << y;
        }
    }
    EXPECT_EQ(frame.At(168, 48), 99);
    EXPECT_EQ(frame.At(197, 70), 99);
    EXPECT_EQ(frame.At(169, 47), 99);
    EXPECT_EQ(frame.At(169, 71), 99);
}

TEST_F(PieceTest, NoPreviewMeansNothingDrawnOutsideTheWell) {
    settings.showNext = false;
    Compose();
    const std::vector<std::uint8_t> before = frame.bytes;
    Place(7, 0, 90, 174);
    DropUntilLanded();
    ASSERT_EQ(platform.played.size(), 1u);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < TestFrame::kPitch; ++x)
            if (x < 50 || x > 149 || y < 49 || y > 198) {
                ASSERT_EQ(frame.At(x, y), before[y * TestFrame::kPitch + x]) << x << "," << y;
            }
}

TEST_F(PieceTest, LaterActionsOfTheFrameSeeThePictureBeforeTheClear) {
    // Rows 28 and 29 lack only columns 9 and 10, which the square fills.
    for (int r = 28; r <= 29; ++r)
        for (int c = 0; c < kWellColumns; ++c)
            if (c != 9 && c != 10) field.At(c, r) = 3;
    Compose();
    Place(5, 0, 90, 179);
    piece.nextKind = 5;
    EXPECT_FALSE(Act(PieceAction::Drop));
    EXPECT_FALSE(Act(PieceAction::Drop));  // lands: rows 28 and 29 go
    EXPECT_EQ(score, 205);
    EXPECT_EQ(platform.played.size(), 1u);
    // A second drop in the same frame moves the new piece down a cell.
    EXPECT_FALSE(Act(PieceAction::Drop));
    EXPECT_EQ(piece.y, 34);

    // The playfield's row 28 is empty now, but the frame still shows it.
    Place(5, 0, 60, 174);
    EXPECT_FALSE(Act(PieceAction::Drop));
    EXPECT_EQ(platform.played.size(), 2u);
    EXPECT_EQ(field.At(3, 27), 5);
    EXPECT_EQ(field.At(3, 28), 0);
}
