// SPDX-License-Identifier: MIT
// font.h -- the built-in 5x5 glyph font (capital letters, digits and eight
// punctuation marks) in two sizes. The seven tile patterns are stored right
// behind the 44 glyphs in the same table.
#pragma once

#include <array>
#include <cstdint>

#include "core/render/framebuffer.h"

namespace ft {

inline constexpr int kGlyphCount = 44;
inline constexpr int kGlyphBytes = 25;  // 5 rows of 5 bytes, row-major
// Entries 0-43 are glyphs (bytes 0 or 1), entries 44-50 the tile patterns 1-7
// (bytes are colour indices).
extern const std::array<std::uint8_t, 51 * kGlyphBytes> kGlyphTable;

// Glyph index of a character, or -1 for a space and for characters the font
// lacks (both draw nothing). The big size knows only letters and digits.
int SmallGlyphIndex(char c);
int BigGlyphIndex(char c);

// One glyph at 1:1, top-left corner at (x, y).
void DrawGlyph(FrameBuffer& fb, std::uint8_t glyph, std::int32_t x, std::int32_t y,
               std::uint8_t colour);
// length characters of text; character k at x + 6k. Nothing for length <= 0.
void DrawSmallText(FrameBuffer& fb, const char* text, std::int32_t length, std::int32_t x,
                   std::int32_t y, std::uint8_t colour);
// One glyph of 5x11-pixel blocks stepping 5 across and 10 down (rows overlap by one).
void DrawBigGlyph(FrameBuffer& fb, std::uint8_t glyph, std::int32_t x, std::int32_t y,
                  std::uint8_t colour);
// As DrawSmallText with big glyphs; character k at x + 25k.
void DrawBigText(FrameBuffer& fb, const char* text, std::int32_t length, std::int32_t x,
                 std::int32_t y, std::uint8_t colour);

}  // namespace ft
