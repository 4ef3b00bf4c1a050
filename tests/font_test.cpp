// SPDX-License-Identifier: MIT
// font_test.cpp -- glyph lookup, orientation and placement of small and big text.
#include "core/render/font.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "rules_test_support.h"

using namespace ft;
using rules_test::TestFrame;

namespace {

constexpr std::uint8_t kFill = 200;
constexpr std::uint8_t kInk = 9;

}  // namespace

TEST(Font, CharactersMapToTheirGlyphs) {
    EXPECT_EQ(SmallGlyphIndex('A'), 0);
    EXPECT_EQ(SmallGlyphIndex('Z'), 25);
    EXPECT_EQ(SmallGlyphIndex('0'), 26);
    EXPECT_EQ(SmallGlyphIndex('9'), 35);
    const char punctuation[] = "-+/.()$:";
    for (int k = 0; k < 8; ++k) EXPECT_EQ(SmallGlyphIndex(punctuation[k]), 36 + k);
    EXPECT_EQ(SmallGlyphIndex(' '), -1);

    EXPECT_EQ(BigGlyphIndex('Q'), 16);
    EXPECT_EQ(BigGlyphIndex('7'), 33);
    EXPECT_EQ(BigGlyphIndex('-'), -1);
    EXPECT_EQ(BigGlyphIndex(':'), -1);
}

TEST(Font, GlyphsAreInkOnlyAndAllDifferent) {
    std::set<std::vector<std::uint8_t>> seen;
    for (int g = 0; g < kGlyphCount; ++g) {
        std::vector<std::uint8_t> glyph(kGlyphTable.begin() + g * 25,
                                        kGlyphTable.begin() + g * 25 + 25);
        for (std::uint8_t b : glyph) EXPECT_LE(b, 1) << "glyph " << g;
        EXPECT_TRUE(seen.insert(glyph).second) << "glyph " << g << " repeats another";
    }
}

TEST(Font, GlyphIsDrawnUprightAndTransparent) {
    // "L": its left column and its bottom row; a transposed table would draw
    // the top row and the right column instead.
    TestFrame frame(kFill);
    DrawGlyph(frame.fb, static_cast<std::uint8_t>(SmallGlyphIndex('L')), 10, 20, kInk);
    for (int j = 0; j < 5; ++j) EXPECT_EQ(frame.At(10, 20 + j), kInk);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(frame.At(10 + i, 24), kInk);
    EXPECT_EQ(frame.Count(kInk), 9);
    EXPECT_EQ(frame.At(14, 20), kFill);  // clear pixels keep what was there
}

TEST(Font, SmallTextAdvancesSixPerCharacter) {
    // "SCORE: 120" at (172, 108): the colon is character 5, the one character 7.
    TestFrame frame(kFill);
    DrawSmallText(frame.fb, "SCORE: 120", 10, 172, 108, kInk);
    const int colon = 172 + 6 * 5;
    EXPECT_EQ(colon, 202);
    EXPECT_EQ(frame.Count(kInk, colon, 108, colon + 5, 112), 2);
    EXPECT_EQ(frame.At(colon + 2, 109), kInk);
    EXPECT_EQ(frame.At(colon + 2, 111), kInk);
    // The space (character 6) draws nothing.
    EXPECT_EQ(frame.Count(kInk, 208, 108, 213, 112), 0);
    // "1": ".##.." then its stem in column 2.
    EXPECT_EQ(frame.At(214, 108), kFill);
    EXPECT_EQ(frame.At(215, 108), kInk);
    for (int j = 0; j < 5; ++j) EXPECT_EQ(frame.At(216, 108 + j), kInk);
    EXPECT_EQ(frame.Count(kInk, 0, 0, 319, 107) + frame.Count(kInk, 0, 113, 319, 199), 0);
    EXPECT_TRUE(frame.MarginsHold(kFill));
}

TEST(Font, OnlyTheCountedCharactersAreDrawn) {
    TestFrame frame(kFill);
    DrawSmallText(frame.fb, "     ", 5, 0, 0, kInk);
    DrawBigText(frame.fb, "   ", 3, 0, 100, kInk);
    DrawSmallText(frame.fb, "AB", 0, 0, 0, kInk);
    DrawSmallText(frame.fb, "AB", -3, 0, 0, kInk);
    EXPECT_EQ(frame.Count(kInk), 0);

    const char unterminated[3] = {'I', 'I', 'I'};
    DrawSmallText(frame.fb, unterminated, 2, 0, 0, kInk);
    EXPECT_EQ(frame.Count(kInk, 0, 0, 10, 4), 2 * 9);  // "I" has nine pixels
    EXPECT_EQ(frame.Count(kInk, 11, 0, 20, 4), 0);
}

TEST(Font, DrawingTwiceOrOverOtherTextUnitesTheInk) {
    TestFrame once(kFill);
    DrawSmallText(once.fb, "OX", 2, 40, 40, kInk);
    TestFrame twice(kFill);
    DrawSmallText(twice.fb, "OX", 2, 40, 40, kInk);
    DrawSmallText(twice.fb, "OX", 2, 40, 40, kInk);
    EXPECT_EQ(once.bytes, twice.bytes);

    TestFrame o(kFill), x(kFill), both(kFill);
    DrawSmallText(o.fb, "O", 1, 40, 40, kInk);
    DrawSmallText(x.fb, "X", 1, 40, 40, kInk);
    DrawSmallText(both.fb, "O", 1, 40, 40, kInk);
    DrawSmallText(both.fb, "X", 1, 40, 40, kInk);
    for (int y = 40; y < 45; ++y)
        for (int xx = 40; xx < 45; ++xx)
            EXPECT_EQ(both.At(xx, y) == kInk, o.At(xx, y) == kInk || x.At(xx, y) == kInk);
}

TEST(Font, BigGlyphBlocksAreElevenRowsOnATenRowStep) {
    TestFrame frame(kFill);
    DrawBigText(frame.fb, "T", 1, 0, 0, kInk);
    EXPECT_EQ(frame.Count(kInk, 0, 0, 24, 10), 25 * 11);   // the bar
    EXPECT_EQ(frame.Count(kInk, 10, 11, 14, 50), 5 * 40);  // the stem
    EXPECT_EQ(frame.Count(kInk), 25 * 11 + 5 * 40);
    EXPECT_EQ(frame.At(12, 51), kFill);

    // "I" in the second place: its top bar's outer blocks have no ink below
    // them, yet still reach one row into the next glyph row.
    TestFrame second(kFill);
    DrawBigText(second.fb, "AI", 2, 0, 0, kInk);
    EXPECT_EQ(second.At(25 + 5, 10), kInk);
    EXPECT_EQ(second.At(25 + 5, 11), kFill);
    EXPECT_EQ(second.At(25 + 10, 30), kInk);  // the stem, unbroken
    EXPECT_EQ(second.At(25 + 10, 31), kInk);
    EXPECT_EQ(second.At(25 + 4, 0), kFill);  // "I" row 0 column 0 is clear
    EXPECT_TRUE(second.MarginsHold(kFill));
}
