// SPDX-License-Identifier: MIT
// playfield_test.cpp -- line clearing and its score, the rubble rows, and
// drawing the settled cells.
#include "core/game/playfield.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "core/state/random.h"
#include "rules_test_support.h"

using namespace ft;
using rules_test::CueRecorder;
using rules_test::TestFrame;

namespace {

void FillRow(Playfield& field, int row, std::uint8_t tile = 3) {
    for (int c = 0; c < kWellColumns; ++c) field.At(c, row) = tile;
}

// Each row r holds a marker r + 1 in column r % 20, so a moved row shows where it came from.
Playfield Markers() {
    Playfield field{};
    for (int r = 0; r < kWellRows; ++r)
        field.At(r % kWellColumns, r) = static_cast<std::uint8_t>(r + 1);
    return field;
}

}  // namespace

TEST(ClearFullRows, OneFullRowMovesEverythingAboveDown) {
    Playfield field = Markers();
    field.At(0, 0) = 0;  // an empty top row
    FillRow(field, 29);
    Score score = 40;
    EXPECT_EQ(ClearFullRows(field, score), 1);
    EXPECT_EQ(score, 140);
    for (int r = 1; r <= 28; ++r) EXPECT_EQ(field.At(r % 20, r + 1), r + 1) << "row " << r;
    for (int c = 0; c < kWellColumns; ++c) EXPECT_EQ(field.At(c, 0), 0);
}

TEST(ClearFullRows, RowsApartGoInOnePass) {
    Playfield field = Markers();
    FillRow(field, 20);
    FillRow(field, 25);
    Score score = 0;
    EXPECT_EQ(ClearFullRows(field, score), 2);
    EXPECT_EQ(score, 200);
    EXPECT_EQ(field.At(10, 12), 11);  // above both: down by two
    EXPECT_EQ(field.At(2, 23), 23);   // between them: down by one
    EXPECT_EQ(field.At(7, 27), 28);   // below both: stays
    EXPECT_EQ(ClearFullRows(field, score), 0);
}

TEST(ClearFullRows, AdjacentRowsAndTheFourRowBonus) {
    Playfield field{};
    for (int r = 26; r <= 29; ++r) FillRow(field, r, static_cast<std::uint8_t>(r - 24));
    field.At(5, 25) = 7;
    Score score = 5;
    EXPECT_EQ(ClearFullRows(field, score), 4);
    EXPECT_EQ(score, 5 + 1000);
    EXPECT_EQ(field.At(5, 29), 7);
    int filled = 0;
    for (std::uint8_t cell : field.cells) filled += cell != 0 ? 1 : 0;
    EXPECT_EQ(filled, 1);

    // Three and five rows earn no bonus.
    for (int rows : {3, 5}) {
        Playfield many{};
        for (int r = 0; r < rows; ++r) FillRow(many, 29 - 2 * r);
        Score s = 0;
        EXPECT_EQ(ClearFullRows(many, s), rows);
        EXPECT_EQ(s, 100 * rows);
    }
}

TEST(ClearFullRows, NoFullRowChangesNothing) {
    Playfield field{};
    for (int r = 0; r < kWellRows; ++r) {
        FillRow(field, r);
        field.At(r % 20, r) = 0;
    }
    const Playfield before = field;
    Score score = 70;
    EXPECT_EQ(ClearFullRows(field, score), 0);
    EXPECT_EQ(score, 70);
    EXPECT_EQ(field.cells, before.cells);
}

TEST(ClearFullRows, AnEmptyRowComesInAtTheTop) {
    // A partly filled top row moves down with the rest; row 0 is left empty.
    Playfield field{};
    field.At(4, 0) = 2;
    field.At(9, 0) = 6;
    FillRow(field, 29);
    Score score = 0;
    EXPECT_EQ(ClearFullRows(field, score), 1);
    EXPECT_EQ(field.At(4, 1), 2);
    EXPECT_EQ(field.At(9, 1), 6);
    for (int c = 0; c < kWellColumns; ++c) EXPECT_EQ(field.At(c, 0), 0);

    // A full top row goes once, like any other.
    Playfield top{};
    FillRow(top, 0);
    score = 0;
    EXPECT_EQ(ClearFullRows(top, score), 1);
    EXPECT_EQ(score, 100);
    for (std::uint8_t cell : top.cells) EXPECT_EQ(cell, 0);
    EXPECT_EQ(ClearFullRows(top, score), 0);

    Playfield topAndBottom{};
    FillRow(topAndBottom, 0);
    FillRow(topAndBottom, 29);
    score = 0;
    EXPECT_EQ(ClearFullRows(topAndBottom, score), 2);
    EXPECT_EQ(score, 200);
    for (std::uint8_t cell : topAndBottom.cells) EXPECT_EQ(cell, 0);
}

TEST(FillRubbleRows, BottomRowsFromTheClockWithHoles) {
    // The expected rubble comes from the generator's formula, seeded with the
    // clock and drawn row by row, each row left to right; rows without a hole
    // go at once and the rest settle to the bottom in order.
    bool sawFullRow = false;
    for (std::int32_t level = 1; level <= 7; ++level) {
        for (std::uint32_t seconds = 1000; seconds < 1100; ++seconds) {
            std::uint32_t state = seconds;
            std::vector<std::array<std::uint8_t, 20>> kept;
            int full = 0;
            for (int r = 29 - 3 * level; r < 30; ++r) {
                std::array<std::uint8_t, 20> row{};
                for (auto& cell : row) {
                    state = state * 214013u + 2531011u;
                    cell = static_cast<std::uint8_t>(((state >> 16) & 0x7FFF) % 6);
                }
                if (std::find(row.begin(), row.end(), 0) == row.end())
                    ++full;
                else
                    kept.push_back(row);
            }

            CueRecorder platform;
            platform.seconds = seconds;
            Random random;
            random.Next();  // the generator's earlier state must not matter
            Playfield field{};
            Score score = 0;
            ASSERT_EQ(FillRubbleRows(field, score, random, platform, level), full);
            EXPECT_EQ(score, 100 * full + (full == 4 ? 600 : 0));
            sawFullRow = sawFullRow || full > 0;

            const int firstKept = 30 - static_cast<int>(kept.size());
            for (int r = 0; r < 30; ++r)
                for (int c = 0; c < 20; ++c)
                    ASSERT_EQ(field.At(c, r), r < firstKept ? 0 : kept[r - firstKept][c])
                        << "level " << level << " seconds " << seconds << " cell " << c << "," << r;
        }
    }
    EXPECT_TRUE(sawFullRow);  // the clearing path was exercised
}

TEST(DrawPlayfield, CellsAtTheirPlaces) {
    TestFrame frame(0);
    Playfield field{};
    DrawPlayfield(frame.fb, field);
    EXPECT_EQ(frame.Count(0), 320 * 200);

    field.cells[1 * 30 + 2] = 3;  // column 1, row 2
    field.At(19, 29) = 7;
    field.At(0, 0) = 1;
    DrawPlayfield(frame.fb, field);
    EXPECT_EQ(frame.Count(0), 320 * 200 - 3 * 25);
    EXPECT_EQ(frame.At(55, 59), 7);
    EXPECT_EQ(frame.At(59, 63), 9);
    EXPECT_EQ(frame.At(145, 194), 19);
    EXPECT_EQ(frame.At(149, 198), 21);
    EXPECT_EQ(frame.At(50, 49), 1);
    EXPECT_TRUE(frame.MarginsHold(0));
}
