// SPDX-License-Identifier: MIT
// players_test.cpp -- the session bot's parts that the recorded sessions rest
// on: its well model blocks a piece exactly where the game's pixel test does,
// a landing settles and clears rows as the game's does, and the comparison of
// the bot's log with its replay's names the first line that differs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "core/game/shapes.h"
#include "core/game/stamp.h"
#include "core/render/framebuffer.h"
#include "session_script.h"
#include "well_model.h"

namespace {

using players::Board;
using players::Pose;

constexpr int kPitch = 384;

// The well's settled cells drawn as the game draws them, on a picture that is
// free everywhere else.
struct DrawnWell {
    std::vector<std::uint8_t> pixels = std::vector<std::uint8_t>(kPitch * 200, 0);
    ft::FrameBuffer fb{pixels.data(), kPitch};

    explicit DrawnWell(const Board& board) {
        for (int c = 0; c < players::kColumns; ++c)
            for (int r = 0; r < players::kRows; ++r)
                if (board.Filled(c, r))
                    ft::StampTile(fb, ft::StampMode::Draw, ft::kWellLeft + c * ft::kTileSize,
                                  ft::kWellTop + r * ft::kTileSize, 1 + (c + r) % 7);
    }
};

Board RubbleBoard(std::uint32_t seed, int fromRow) {
    std::mt19937 engine(seed);
    Board board;
    for (int r = fromRow; r < players::kRows; ++r)
        board.rows[r] = static_cast<std::uint32_t>(engine()) & players::kFullRow;
    return board;
}

TEST(WellModel, BlocksWhereTheGamesPixelTestBlocks) {
    const Board boards[] = {Board{}, RubbleBoard(1, 20), RubbleBoard(2, 8), RubbleBoard(3, 0)};
    int compared = 0;
    for (const Board& board : boards) {
        DrawnWell well(board);
        for (int kind = 1; kind <= 7; ++kind)
            for (int rotation = 0; rotation < 4; ++rotation)
                for (int column = -4; column <= players::kColumns; ++column)
                    for (int row = -4; row <= players::kRows; ++row) {
                        const Pose pose{column, row, rotation};
                        const ft::CollisionCode game = ft::StampPiece(
                            well.fb, ft::StampMode::Collide, ft::kWellLeft + column * ft::kTileSize,
                            ft::kWellTop + row * ft::kTileSize, kind, rotation);
                        ASSERT_EQ(players::Test(board, kind, pose), game)
                            << "kind " << kind << " rotation " << rotation << " at column "
                            << column << ", row " << row;
                        ++compared;
                    }
    }
    EXPECT_GT(compared, 10000);
}

TEST(WellModel, ShapeCellsAreTheGamesFilledCells) {
    for (int kind = 1; kind <= 7; ++kind)
        for (int rotation = 0; rotation < 4; ++rotation) {
            int filled = 0;
            for (int c = 0; c < ft::GridSide(kind); ++c)
                for (int r = 0; r < ft::GridSide(kind); ++r)
                    filled += ft::ShapeCell(kind, rotation, c, r) != 0;
            ASSERT_EQ(filled, 4) << "kind " << kind;
            for (const players::Cell& cell : players::ShapeCellsOf(kind, rotation))
                EXPECT_NE(ft::ShapeCell(kind, rotation, cell.column, cell.row), 0)
                    << "kind " << kind << " rotation " << rotation;
        }
}

// The bottom row full but for the cells a piece fills there, and one cell
// further up: the landing clears that row and everything above comes down one.
TEST(WellModel, SettlingClearsFullRowsAndBringsTheRestDown) {
    for (int kind = 1; kind <= 7; ++kind) {
        const Pose pose{4, players::kRows - ft::GridSide(kind), 0};
        int lowest = 0;
        for (const players::Cell& cell : players::ShapeCellsOf(kind, 0))
            lowest = std::max(lowest, pose.row + cell.row);
        Board board;
        board.rows[lowest] = players::kFullRow;
        int inRow = 0;
        for (const players::Cell& cell : players::ShapeCellsOf(kind, 0))
            if (pose.row + cell.row == lowest) {
                board.rows[lowest] &= ~(1u << (pose.column + cell.column));
                ++inRow;
            }
        board.rows[3] = 1u << 17;

        const players::Settled settled = players::Settle(board, kind, pose);
        EXPECT_EQ(settled.lines, 1) << "kind " << kind;
        EXPECT_EQ(settled.erodedCells, inRow) << "kind " << kind;
        EXPECT_EQ(settled.board.rows[3], 0u);
        EXPECT_EQ(settled.board.rows[4], 1u << 17) << "kind " << kind;
        for (const players::Cell& cell : players::ShapeCellsOf(kind, 0)) {
            if (pose.row + cell.row == lowest) continue;
            EXPECT_TRUE(settled.board.Filled(pose.column + cell.column, pose.row + cell.row + 1))
                << "kind " << kind;
        }
    }
}

TEST(SessionReplay, TheFirstDifferingLineIsNamed) {
    EXPECT_EQ(players::FirstDifference("a\nb\nc\n", "a\nb\nc\n"), "");
    EXPECT_EQ(players::FirstDifference("a\nb\nc\n", "a\nx\nc\n"), "line 2: bot 'b', replay 'x'");
    EXPECT_EQ(players::FirstDifference("a\nb\n", "a\n"), "line 2: bot 'b', replay '(none)'");
    EXPECT_EQ(players::FirstDifference("a\n", "a\nb\n"), "line 2: bot '(none)', replay 'b'");
}

// An empty script replays the intro until its first wait; a log that is not
// that run's fails the check, at its first line.
TEST(SessionReplay, ALogTheReplayDoesNotGiveFails) {
    const std::string failure = players::CheckReplay("", "empty.txt", "0 nonsense\n");
    EXPECT_NE(failure.find("the replay differs from the bot's run at line 1: bot '0 nonsense'"),
              std::string::npos)
        << failure;
    EXPECT_NE(players::CheckReplay("0 sideways down\n", "bad.txt", ""), "");
}

}  // namespace
