// SPDX-License-Identifier: MIT
// font.cpp -- the 5x5 glyph font with the tile patterns behind it, and text
// drawn from it at 1:1 and in the intro's big blocks.
#include "core/render/font.h"

#include <cassert>

namespace ft {

namespace {

// The glyphs as pictures: '#' is ink, '.' is clear; five rows of five.
using GlyphPicture = const char* [5];

// clang-format off
constexpr GlyphPicture kGlyphPictures[kGlyphCount] = {
    {".###.", "#...#", "#####", "#...#", "#...#"},  //  0 A
    {"####.", "#...#", "####.", "#...#", "####."},  //  1 B
    {".###.", "#...#", "#....", "#...#", ".###."},  //  2 C
    {"####.", "#...#", "#...#", "#...#", "####."},  //  3 D
    {"#####", "#....", "###..", "#....", "#####"},  //  4 E
    {"#####", "#....", "###..", "#....", "#...."},  //  5 F
    {".####", "#....", "#.###", "#...#", ".####"},  //  6 G
    {"#...#", "#...#", "#####", "#...#", "#...#"},  //  7 H
    {".###.", "..#..", "..#..", "..#..", ".###."},  //  8 I
    {"#####", "....#", "....#", "#...#", ".###."},  //  9 J
    {"#...#", "#.##.", "##...", "#.##.", "#...#"},  // 10 K
    {"#....", "#....", "#....", "#....", "#####"},  // 11 L
    {"#...#", "#####", "#.#.#", "#.#.#", "#...#"},  // 12 M
    {"#...#", "##..#", "#.#.#", "#..##", "#...#"},  // 13 N
    {".###.", "#...#", "#...#", "#...#", ".###."},  // 14 O
    {"####.", "#...#", "####.", "#....", "#...."},  // 15 P
    {".###.", "#...#", "#.#.#", ".###.", "...#."},  // 16 Q
    {"####.", "#...#", "####.", "#..#.", "#...#"},  // 17 R
    {".####", "#....", ".###.", "....#", "####."},  // 18 S
    {"#####", "..#..", "..#..", "..#..", "..#.."},  // 19 T
    {"#...#", "#...#", "#...#", "#...#", ".###."},  // 20 U
    {"#...#", "#...#", ".#.#.", ".#.#.", "..#.."},  // 21 V
    {"#...#", "#.#.#", ".###.", ".###.", ".#.#."},  // 22 W
    {"#...#", ".#.#.", "..#..", ".#.#.", "#...#"},  // 23 X
    {"#...#", "#...#", ".#.#.", "..#..", "..#.."},  // 24 Y
    {"#####", "...#.", "..#..", ".#...", "#####"},  // 25 Z
    {"#####", "#...#", "#.#.#", "#...#", "#####"},  // 26 0
    {".##..", "..#..", "..#..", "..#..", "..#.."},  // 27 1
    {"#####", "....#", "#####", "#....", "#####"},  // 28 2
    {"#####", "....#", "#####", "....#", "#####"},  // 29 3
    {"#..#.", "#..#.", "#####", "...#.", "...#."},  // 30 4
    {"#####", "#....", "#####", "....#", "#####"},  // 31 5
    {"#####", "#....", "#####", "#...#", "#####"},  // 32 6
    {"#####", "....#", "....#", "....#", "....#"},  // 33 7
    {"#####", "#...#", "#####", "#...#", "#####"},  // 34 8
    {"#####", "#...#", "#####", "....#", "#####"},  // 35 9
    {".....", ".....", "#####", ".....", "....."},  // 36 -
    {"..#..", "..#..", "#####", "..#..", "..#.."},  // 37 +
    {"....#", "...#.", "..#..", ".#...", "#...."},  // 38 /
    {".....", ".....", ".....", ".....", "..#.."},  // 39 .
    {"..#..", ".#...", ".#...", ".#...", "..#.."},  // 40 (
    {"..#..", "...#.", "...#.", "...#.", "..#.."},  // 41 )
    {".###.", "#..#.", "#.##.", "#...#", ".###."},  // 42 $
    {".....", "..#..", ".....", "..#..", "....."},  // 43 :
};
// clang-format on

constexpr int kPatternCount = 7;

// Tile pattern t in the three shades of its hue: dark (3t - 2) down the left
// column and along the bottom, light (3t) along the top and down the right
// column, middle (3t - 1) inside.
constexpr std::uint8_t TilePatternPixel(int tile, int column, int row) {
    const int dark = 3 * tile - 2;
    const int light = 3 * tile;
    if (column == 0) return static_cast<std::uint8_t>(dark);
    if (column == 4 || row == 0) return static_cast<std::uint8_t>(light);
    if (row == 4) return static_cast<std::uint8_t>(dark);
    return static_cast<std::uint8_t>(3 * tile - 1);
}

constexpr std::array<std::uint8_t, 51 * kGlyphBytes> BuildGlyphTable() {
    std::array<std::uint8_t, 51 * kGlyphBytes> table{};
    for (int g = 0; g < kGlyphCount; ++g)
        for (int r = 0; r < 5; ++r)
            for (int c = 0; c < 5; ++c)
                table[g * kGlyphBytes + r * 5 + c] = kGlyphPictures[g][r][c] == '#' ? 1 : 0;
    for (int t = 1; t <= kPatternCount; ++t)
        for (int r = 0; r < 5; ++r)
            for (int c = 0; c < 5; ++c)
                table[(kGlyphCount - 1 + t) * kGlyphBytes + r * 5 + c] = TilePatternPixel(t, c, r);
    return table;
}

constexpr int kSmallAdvance = 6;  // pixels from one small character to the next
constexpr int kBigAdvance = 25;   // pixels from one big character to the next

}  // namespace

const std::array<std::uint8_t, 51 * kGlyphBytes> kGlyphTable = BuildGlyphTable();

int SmallGlyphIndex(char c) {
    if (c >= 'A' && c <= 'Z') return c - 65;
    if (c >= '0' && c <= '9') return c - 22;
    switch (c) {
        case '-':
            return 36;
        case '+':
            return 37;
        case '/':
            return 38;
        case '.':
            return 39;
        case '(':
            return 40;
        case ')':
            return 41;
        case '$':
            return 42;
        case ':':
            return 43;
        default:
            return -1;  // the space, and anything the font lacks
    }
}

int BigGlyphIndex(char c) {
    if (c >= 'A' && c <= 'Z') return c - 65;
    if (c >= '0' && c <= '9') return c - 22;
    return -1;
}

void DrawGlyph(FrameBuffer& fb, std::uint8_t glyph, std::int32_t x, std::int32_t y,
               std::uint8_t colour) {
    assert(glyph < kGlyphCount);
    const std::uint8_t* bits = kGlyphTable.data() + glyph * kGlyphBytes;
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 5; ++j)
            if (bits[j * 5 + i] != 0) PutPixel(fb, x + i, y + j, colour);
}

void DrawSmallText(FrameBuffer& fb, const char* text, std::int32_t length, std::int32_t x,
                   std::int32_t y, std::uint8_t colour) {
    for (std::int32_t k = 0; k < length; ++k) {
        const int glyph = SmallGlyphIndex(text[k]);
        if (glyph >= 0)
            DrawGlyph(fb, static_cast<std::uint8_t>(glyph), x + kSmallAdvance * k, y, colour);
    }
}

void DrawBigGlyph(FrameBuffer& fb, std::uint8_t glyph, std::int32_t x, std::int32_t y,
                  std::uint8_t colour) {
    assert(glyph < kGlyphCount);
    const std::uint8_t* bits = kGlyphTable.data() + glyph * kGlyphBytes;
    // Blocks are 11 rows tall on a 10-row step: each overlaps the block below
    // it by one row, as the original draws them.
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 5; ++j)
            if (bits[j * 5 + i] != 0)
                FillBox(fb, x + 5 * i, y + 10 * j, x + 5 * i + 4, y + 10 * j + 10, colour);
}

void DrawBigText(FrameBuffer& fb, const char* text, std::int32_t length, std::int32_t x,
                 std::int32_t y, std::uint8_t colour) {
    for (std::int32_t k = 0; k < length; ++k) {
        const int glyph = BigGlyphIndex(text[k]);
        if (glyph >= 0)
            DrawBigGlyph(fb, static_cast<std::uint8_t>(glyph), x + kBigAdvance * k, y, colour);
    }
}

}  // namespace ft
