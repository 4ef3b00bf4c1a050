// SPDX-License-Identifier: MIT
// furniture_test.cpp -- the game screen's scenery, the well pattern and the
// scroll cycle of the well background.
#include "core/render/furniture.h"

#include <gtest/gtest.h>

#include <vector>

#include "rules_test_support.h"

using namespace ft;
using rules_test::TestFrame;

TEST(GameScreen, GradientFrameAndBoxes) {
    TestFrame frame(7);
    Palette palette{};
    palette.fill(PaletteEntry{1, 2, 3});
    DrawGameScreen(frame.fb, palette);

    EXPECT_EQ(frame.Count(7, 0, 0, 319, 199), 0);  // every pixel is covered
    EXPECT_TRUE(frame.MarginsHold(7));
    for (int y = 0; y < 200; ++y) {
        EXPECT_EQ(frame.At(0, y), 50 + y);
        EXPECT_EQ(frame.At(319, y), 50 + y);
    }
    EXPECT_EQ(frame.At(160, 100), 150);
    EXPECT_EQ(frame.At(47, 199), 249);  // the frame is open at the bottom

    const struct {
        int x, y, colour;
    } kPixels[] = {
        {45, 44, 40},  {46, 45, 41},  {46, 46, 41},   {47, 46, 42},   {47, 47, 42},
        {48, 47, 41},  {49, 48, 40},  {150, 198, 40}, {154, 198, 40}, {49, 198, 40},
        {152, 46, 42}, {153, 45, 41}, {165, 44, 40},  {166, 45, 41},  {167, 46, 42},
        {198, 72, 42}, {200, 74, 40}, {260, 120, 40}, {259, 149, 41},
    };
    for (const auto& p : kPixels) EXPECT_EQ(frame.At(p.x, p.y), p.colour) << p.x << "," << p.y;
    // The well window is the frame's dark fill until the background covers it.
    EXPECT_EQ(frame.Count(40, 49, 48, 150, 198), 102 * 151);

    EXPECT_EQ(frame.Count(42, 165, 44, 200, 74), 32 * 27);
    EXPECT_EQ(frame.Count(42, 165, 100, 260, 120), 92 * 17);
    EXPECT_EQ(frame.Count(42, 165, 130, 260, 150), 92 * 17);
    EXPECT_EQ(frame.Count(41, 165, 130, 260, 150), 94 * 19 - 92 * 17);

    // Entries 50 to 250 follow the gradient rule, 250 included; others keep theirs.
    EXPECT_EQ(palette[50], (PaletteEntry{100, 100, 200}));
    EXPECT_EQ(palette[149], (PaletteEntry{51, 51, 101}));
    EXPECT_EQ(palette[250], (PaletteEntry{0, 0, 0}));
    EXPECT_EQ(palette[49], (PaletteEntry{1, 2, 3}));
    EXPECT_EQ(palette[251], (PaletteEntry{1, 2, 3}));
}

TEST(GameScreen, TitleLine) {
    TestFrame frame(7);
    Palette palette{};
    DrawGameScreen(frame.fb, palette);
    // Only the title uses colour 0, on rows 10 to 14 and columns 28 to 290.
    const int total = frame.Count(0);
    EXPECT_GT(total, 0);
    EXPECT_EQ(frame.Count(0, 28, 10, 290, 14), total);
    for (int start : {28, 52, 76, 100, 124, 166, 190, 214, 238, 262, 286}) {
        EXPECT_GT(frame.Count(0, start, 10, start, 14), 0) << start;
        EXPECT_EQ(frame.Count(0, start - 1, 10, start - 1, 14), 0) << start;
    }
    EXPECT_GT(frame.Count(0, 290, 10, 290, 14), 0);  // the last "N"'s right stroke
}

TEST(WellBackground, PatternTiledOverTheWellArea) {
    TestFrame frame(7);
    FillWellBackground(frame.fb);
    EXPECT_EQ(frame.At(8, 0), 0);
    EXPECT_EQ(frame.At(8, 1), 23);
    EXPECT_EQ(frame.At(4, 2), 29);
    EXPECT_EQ(frame.At(0, 8), 0);
    EXPECT_EQ(frame.At(1, 8), 23);
    EXPECT_EQ(frame.At(99, 159), 0);
    for (int y = 0; y < 160; ++y) {
        for (int x = 0; x < 100; ++x) {
            EXPECT_EQ(frame.At(x, y), kWellPattern[y % 10][x % 10]);
            const std::uint8_t c = frame.At(x, y);
            EXPECT_TRUE(c == 0 || (c >= 22 && c <= 29)) << "a solid colour in the well";
        }
    }
    EXPECT_EQ(frame.Count(7), 320 * 200 - 100 * 160);
}

TEST(WellBackground, ScrollCycle) {
    // Twenty frames a cycle, then 10 again.
    const std::vector<int> expected = {10, 9, 9, 8, 8, 7, 7, 6, 6, 5, 5, 4, 4, 3, 3, 2, 2, 1, 1, 0};
    float scrollTop = 10.0f;
    for (std::size_t frame = 0; frame < 200; ++frame) {
        const BlitRect rect = WellSourceRect(scrollTop);
        EXPECT_EQ(rect, (BlitRect{0, expected[frame % 20], 100, expected[frame % 20] + 150}))
            << "frame " << frame;
        EXPECT_LE(rect.bottom, 160);
        scrollTop = AdvanceScroll(scrollTop, 1);
        EXPECT_GT(scrollTop, 0.0f);
    }
    EXPECT_EQ(scrollTop, 10.0f);  // no drift after ten cycles

    // Not scrolling: the value holds, but the reset at 0 still applies.
    EXPECT_EQ(AdvanceScroll(10.0f, 0), 10.0f);
    EXPECT_EQ(AdvanceScroll(3.5f, 0), 3.5f);
    EXPECT_EQ(AdvanceScroll(0.0f, 0), 10.0f);
    EXPECT_EQ(AdvanceScroll(0.5f, 1), 10.0f);
    EXPECT_EQ(WellSourceRect(10.0f), (BlitRect{0, 10, 100, 160}));
}
