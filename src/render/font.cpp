// font.cpp -- placeholder until it is written.
#include "render/font.h"
namespace ft {
const std::array<std::uint8_t, 51 * kGlyphBytes> kGlyphTable{};
int SmallGlyphIndex(char) { return -1; }
int BigGlyphIndex(char) { return -1; }
void DrawGlyph(FrameBuffer&, std::uint8_t, std::int32_t, std::int32_t, std::uint8_t) {}
void DrawSmallText(FrameBuffer&, const char*, std::int32_t, std::int32_t, std::int32_t, std::uint8_t) {}
void DrawBigGlyph(FrameBuffer&, std::uint8_t, std::int32_t, std::int32_t, std::uint8_t) {}
void DrawBigText(FrameBuffer&, const char*, std::int32_t, std::int32_t, std::int32_t, std::uint8_t) {}
}  // namespace ft
