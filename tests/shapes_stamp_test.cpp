// SPDX-License-Identifier: MIT
// shapes_stamp_test.cpp -- the shape tables and tile patterns, and stamping
// with its pixel collision test: walls, bottom, the well top, visiting order.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "core/game/playfield.h"
#include "core/game/shapes.h"
#include "core/game/stamp.h"
#include "rules_test_support.h"

using namespace ft;
using rules_test::TestFrame;

namespace {

// Every kind and rotation as it looks, rows top to bottom joined by '|'.
const char* const kPictures[8][4] = {
    {},
    {".....|.....|1111.|.....|.....", ".....|..1..|..1..|..1..|..1..",
     ".....|.....|.1111|.....|.....", "..1..|..1..|..1..|..1..|....."},
    {"....|222.|.2..|....", ".2..|.22.|.2..|....", ".2..|222.|....|....", ".2..|22..|.2..|...."},
    {"....|33..|.33.|....", "....|.3..|33..|3...", "....|....|33..|.33.", "....|..3.|.33.|.3.."},
    {"....|.44.|44..|....", "....|4...|44..|.4..", "....|....|.44.|44..", "....|.4..|.44.|..4."},
    {"....|.55.|.55.|....", "....|.55.|.55.|....", "....|.55.|.55.|....", "....|.55.|.55.|...."},
    {"....|6...|666.|....", "....|.6..|.6..|66..", "....|....|666.|..6.", "....|.66.|.6..|.6.."},
    {"....|777.|7...|....", ".7..|.7..|.77.|....", "..7.|777.|....|....", "77..|.7..|.7..|...."},
};

using Cells = std::vector<std::pair<int, int>>;  // (column, row), sorted

Cells FilledCells(int kind, int rotation) {
    Cells cells;
    for (int r = 0; r < GridSide(kind); ++r)
        for (int c = 0; c < GridSide(kind); ++c)
            if (ShapeCell(kind, rotation, c, r) != 0) cells.emplace_back(c, r);
    std::sort(cells.begin(), cells.end());
    return cells;
}

Cells Shifted(Cells cells, int dc, int dr) {
    for (auto& [c, r] : cells) c += dc, r += dr;
    std::sort(cells.begin(), cells.end());
    return cells;
}

// Moved so that the leftmost cell is in column 0 and the topmost in row 0.
Cells Normalised(const Cells& cells) {
    int minC = cells.front().first, minR = cells.front().second;
    for (auto [c, r] : cells) minC = std::min(minC, c), minR = std::min(minR, r);
    return Shifted(cells, -minC, -minR);
}
// A quarter turn counterclockwise on screen (y down), normalised.
Cells TurnedCounterclockwise(const Cells& cells) {
    Cells turned;
    for (auto [c, r] : cells) turned.emplace_back(r, -c);
    return Normalised(turned);
}

}  // namespace

TEST(Shapes, TablesMatchThePictures) {
    for (int kind = 1; kind <= 7; ++kind) {
        const int side = GridSide(kind);
        EXPECT_EQ(side, kind == 1 ? 5 : 4);
        for (int q = 0; q < 4; ++q) {
            const std::string picture = kPictures[kind][q];
            int filled = 0;
            for (int r = 0; r < side; ++r) {
                for (int c = 0; c < side; ++c) {
                    const char want = picture[r * (side + 1) + c];
                    const int expected = want == '.' ? 0 : want - '0';
                    EXPECT_EQ(ShapeCell(kind, q, c, r), expected)
                        << "kind " << kind << " rotation " << q << " cell " << c << "," << r;
                    filled += expected != 0 ? 1 : 0;
                }
            }
            EXPECT_EQ(filled, 4) << "kind " << kind << " rotation " << q;
        }
    }
}

TEST(Shapes, EachStepTurnsAQuarterCounterclockwise) {
    for (int kind = 1; kind <= 7; ++kind)
        for (int q = 0; q < 4; ++q)
            EXPECT_EQ(Normalised(FilledCells(kind, (q + 1) % 4)),
                      TurnedCounterclockwise(FilledCells(kind, q)))
                << "kind " << kind << " from rotation " << q;
}

TEST(Shapes, TwoStepsShiftTheTwoWayPieces) {
    for (int q = 1; q < 4; ++q) EXPECT_EQ(FilledCells(5, q), FilledCells(5, 0));
    EXPECT_EQ(FilledCells(1, 2), Shifted(FilledCells(1, 0), 1, 0));   // bar one column right
    EXPECT_EQ(FilledCells(1, 3), Shifted(FilledCells(1, 1), 0, -1));  // and one row up
    for (int kind : {3, 4}) EXPECT_EQ(FilledCells(kind, 2), Shifted(FilledCells(kind, 0), 0, 1));
    // No spawned piece has a cell in its grid's top row.
    for (int kind = 1; kind <= 7; ++kind)
        for (int c = 0; c < GridSide(kind); ++c) EXPECT_EQ(ShapeCell(kind, 0, c, 0), 0);
}

TEST(Shapes, TilePatternsAreThreeShadesOfTheirHue) {
    const int pattern1[5][5] = {
        {1, 3, 3, 3, 3}, {1, 2, 2, 2, 3}, {1, 2, 2, 2, 3}, {1, 2, 2, 2, 3}, {1, 1, 1, 1, 3}};
    for (int t = 1; t <= 7; ++t)
        for (int r = 0; r < 5; ++r)
            for (int c = 0; c < 5; ++c)
                EXPECT_EQ(PatternPixel(t, c, r), pattern1[r][c] + 3 * (t - 1))
                    << "tile " << t << " pixel " << c << "," << r;
    EXPECT_EQ(PatternPixel(7, 4, 4), 21);
    EXPECT_EQ(PatternPixel(7, 0, 4), 19);
}

TEST(Stamp, WallsAreDecidedOnTheTilesX) {
    TestFrame frame(0);
    FillBox(frame.fb, 40, 49, 160, 198, 5);  // solid everywhere: the walls still win
    EXPECT_EQ(StampTile(frame.fb, StampMode::Collide, 45, 99, 1), CollisionCode::LeftWall);
    EXPECT_EQ(StampTile(frame.fb, StampMode::Collide, 150, 99, 1), CollisionCode::RightWall);
    EXPECT_EQ(StampTile(frame.fb, StampMode::Collide, 45, 29, 1), CollisionCode::LeftWall);

    TestFrame empty(0);
    EXPECT_EQ(StampTile(empty.fb, StampMode::Collide, 50, 99, 1), CollisionCode::None);
    EXPECT_EQ(StampTile(empty.fb, StampMode::Collide, 145, 99, 1), CollisionCode::None);
    // The walls apply to filled cells only: the T in rotation 1 has an empty
    // grid column 0, in rotation 0 it has not.
    EXPECT_EQ(StampPiece(empty.fb, StampMode::Collide, 45, 99, 2, 1), CollisionCode::None);
    EXPECT_EQ(StampPiece(empty.fb, StampMode::Collide, 45, 99, 2, 0), CollisionCode::LeftWall);
}

TEST(Stamp, BottomAndWellTop) {
    TestFrame frame(0);
    EXPECT_EQ(StampTile(frame.fb, StampMode::Collide, 100, 194, 1), CollisionCode::None);
    EXPECT_EQ(StampTile(frame.fb, StampMode::Collide, 100, 199, 1), CollisionCode::Blocked);

    // Nothing above row 49 blocks.
    FillBox(frame.fb, 50, 0, 149, 48, 3);
    EXPECT_EQ(StampTile(frame.fb, StampMode::Collide, 100, 44, 1), CollisionCode::None);
    EXPECT_EQ(StampPiece(frame.fb, StampMode::Collide, 90, 29, 5, 0), CollisionCode::None);
    // A tile straddling the top is tested from row 49 down, and on every pixel.
    EXPECT_EQ(StampTile(frame.fb, StampMode::Collide, 100, 45, 1), CollisionCode::None);
    PutPixel(frame.fb, 104, 49, 3);
    EXPECT_EQ(StampTile(frame.fb, StampMode::Collide, 100, 45, 1), CollisionCode::Blocked);
    PutPixel(frame.fb, 129, 53, 3);  // the last pixel of a tile at (125, 49)
    EXPECT_EQ(StampTile(frame.fb, StampMode::Collide, 125, 49, 1), CollisionCode::Blocked);
    EXPECT_EQ(StampTile(frame.fb, StampMode::Collide, 130, 49, 1), CollisionCode::None);
}

TEST(Stamp, OnlyTileColoursAreSolid) {
    for (int colour = 0; colour < 256; ++colour) {
        TestFrame frame(0);
        PutPixel(frame.fb, 122, 102, static_cast<std::uint8_t>(colour));
        const bool solid = colour >= 1 && colour <= 21;
        EXPECT_EQ(StampTile(frame.fb, StampMode::Collide, 120, 99, 4),
                  solid ? CollisionCode::Blocked : CollisionCode::None)
            << "colour " << colour;
    }
}

TEST(Stamp, PieceReportsTheFirstCellColumnByColumn) {
    // The T in rotation 0 at x 140: its cell (2, 1) passes the right wall and
    // its cell (1, 2) lies on a solid pixel. Column 1 comes first.
    TestFrame frame(0);
    PutPixel(frame.fb, 145, 109, 8);
    EXPECT_EQ(StampPiece(frame.fb, StampMode::Collide, 140, 99, 2, 0), CollisionCode::Blocked);
    // The bar at x 45 with a solid pixel under its second cell: the wall at
    // its first cell hides the block.
    PutPixel(frame.fb, 50, 109, 8);
    EXPECT_EQ(StampPiece(frame.fb, StampMode::Collide, 45, 99, 1, 0), CollisionCode::LeftWall);
}

TEST(Stamp, DrawingModes) {
    TestFrame frame(200);
    StampTile(frame.fb, StampMode::DrawClipped, 60, 44, 3);
    EXPECT_EQ(frame.Count(200), 320 * 200);
    StampTile(frame.fb, StampMode::DrawClipped, 60, 47, 3);  // rows 49 to 51 only
    EXPECT_EQ(frame.Count(200, 60, 44, 64, 48), 25);
    EXPECT_EQ(frame.At(60, 49), 7);  // pattern row 2: dark, middle, light
    EXPECT_EQ(frame.At(62, 49), 8);
    EXPECT_EQ(frame.At(64, 51), 9);
    EXPECT_EQ(frame.At(61, 51), 7);  // pattern row 4 is dark
    StampTile(frame.fb, StampMode::Draw, 100, 44, 3);
    EXPECT_EQ(frame.Count(200, 100, 44, 104, 48), 0);

    TestFrame piece(200);
    StampPiece(piece.fb, StampMode::Draw, 200, 100, 0, 0);  // no piece: nothing
    EXPECT_EQ(piece.Count(200), 320 * 200);
    StampPiece(piece.fb, StampMode::DrawClipped, 200, 100, 6, 1);
    EXPECT_EQ(piece.Count(200), 320 * 200 - 4 * 25);
    EXPECT_EQ(piece.At(205, 105), 16);  // cell (1, 1) of the J in rotation 1
    EXPECT_EQ(piece.At(204, 119), 18);  // cell (0, 3): light right column
    EXPECT_TRUE(piece.MarginsHold(200));
}

TEST(Stamp, SettleWritesTheCellUnderTheTile) {
    TestFrame frame(0);
    Playfield field{};
    StampTile(frame.fb, StampMode::Settle, 60, 29, 4, &field);  // above the well: row 0
    StampTile(frame.fb, StampMode::Settle, 65, 44, 5, &field);
    StampTile(frame.fb, StampMode::Settle, 45, 99, 6, &field);    // left of it: column 0
    StampTile(frame.fb, StampMode::Settle, 150, 99, 7, &field);   // column 20: not written
    StampTile(frame.fb, StampMode::Settle, 100, 199, 7, &field);  // row 30: not written
    EXPECT_EQ(field.At(2, 0), 4);
    EXPECT_EQ(field.At(3, 0), 5);
    EXPECT_EQ(field.At(0, 10), 6);
    EXPECT_EQ(std::count(field.cells.begin(), field.cells.end(), 0), 600 - 3);

    Playfield square{};
    StampPiece(frame.fb, StampMode::Settle, 90, 184, 5, 0, &square);
    EXPECT_EQ(square.At(9, 28), 5);
    EXPECT_EQ(square.At(10, 28), 5);
    EXPECT_EQ(square.At(9, 29), 5);
    EXPECT_EQ(square.At(10, 29), 5);
    EXPECT_EQ(square.cells[9 * 30 + 29], 5);  // stored column by column
    EXPECT_EQ(frame.Count(0), 320 * 200);     // the frame is not touched
}
