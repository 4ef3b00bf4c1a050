// SPDX-License-Identifier: MIT
// paused_picture.cpp -- the dimmed picture and the word over it.
#include "platform/window/paused_picture.h"

#include <cstddef>
#include <optional>

#include "core/render/font.h"

namespace platform {

namespace {

constexpr std::string_view kPausedWord = "PAUSED";
constexpr int kZoom = 2;      // picture pixels per pixel of a glyph
constexpr int kHintZoom = 1;  // the hint's, smaller
constexpr int kGlyphSide = 5;
constexpr int kGlyphStep = 6;
constexpr int kWordTop = (kScreenHeight - kGlyphSide * kZoom) / 2;
constexpr int kHintTop = kWordTop + kGlyphSide * kZoom + 6;  // picture row of the hint
constexpr int kNoteTop = 8;                                  // picture row of a note's text
constexpr int kMarkCorner = 4;  // picture column and row of a mark's text
constexpr int kMarkMargin = 2;
constexpr int kNoteMargin = 4;  // picture pixels of black around it

// Where a rectangle of the picture (picture pixels) shows inside target
// (window pixels).
ScreenRect WindowRectOf(const ScreenRect& target, int x, int y, int width, int height) {
    const auto across = [&](int column) { return target.x + column * target.width / kScreenWidth; };
    const auto down = [&](int row) { return target.y + row * target.height / kScreenHeight; };
    return ScreenRect{across(x), down(y), across(x + width) - across(x),
                      down(y + height) - down(y)};
}

// Picture pixels across text, zoomed.
int TextWidth(std::string_view text, int zoom = kZoom) {
    return text.empty() ? 0 : (static_cast<int>(text.size()) * kGlyphStep - 1) * zoom;
}

// The white blocks of text, zoomed, from picture column left with its top
// at picture row top (centred across without a left), each pixel of a glyph
// placed by the same rounding as the scaled picture's; added to blocks.
void AddWordBlocks(std::string_view text, int top, int zoom, const ScreenRect& target,
                   std::vector<ScreenRect>& blocks, std::optional<int> from = std::nullopt) {
    const int left = from.value_or((kScreenWidth - TextWidth(text, zoom)) / 2);
    for (std::size_t k = 0; k < text.size(); ++k) {
        const int glyph = ft::SmallGlyphIndex(text[k]);
        if (glyph < 0) continue;
        for (int row = 0; row < kGlyphSide; ++row) {
            for (int column = 0; column < kGlyphSide; ++column) {
                const auto at =
                    static_cast<std::size_t>(glyph * ft::kGlyphBytes + row * kGlyphSide + column);
                if (ft::kGlyphTable[at] == 0) continue;
                const int x = left + (static_cast<int>(k) * kGlyphStep + column) * zoom;
                blocks.push_back(WindowRectOf(target, x, top + row * zoom, zoom, zoom));
            }
        }
    }
}

}  // namespace

Palette DimmedPalette(const Palette& palette) {
    Palette dimmed = palette;
    for (PaletteEntry& entry : dimmed) {
        entry.red = static_cast<std::uint8_t>(entry.red / 2);
        entry.green = static_cast<std::uint8_t>(entry.green / 2);
        entry.blue = static_cast<std::uint8_t>(entry.blue / 2);
    }
    return dimmed;
}

std::vector<ScreenRect> PausedBlocks(std::string_view hint, const ScreenRect& target) {
    std::vector<ScreenRect> blocks;
    AddWordBlocks(kPausedWord, kWordTop, kZoom, target, blocks);
    AddWordBlocks(hint, kHintTop, kHintZoom, target, blocks);
    return blocks;
}

std::vector<ScreenRect> NoteBlocks(std::string_view note, const ScreenRect& target) {
    std::vector<ScreenRect> blocks;
    AddWordBlocks(note, kNoteTop, kZoom, target, blocks);
    return blocks;
}

ScreenRect NoteBox(std::string_view note, const ScreenRect& target) {
    const int width = TextWidth(note) + 2 * kNoteMargin;
    return WindowRectOf(target, (kScreenWidth - width) / 2, kNoteTop - kNoteMargin, width,
                        kGlyphSide * kZoom + 2 * kNoteMargin);
}

std::vector<ScreenRect> MarkBlocks(std::string_view mark, const ScreenRect& target) {
    std::vector<ScreenRect> blocks;
    AddWordBlocks(mark, kMarkCorner, kHintZoom, target, blocks, kMarkCorner);
    return blocks;
}

ScreenRect MarkBox(std::string_view mark, const ScreenRect& target) {
    return WindowRectOf(target, kMarkCorner - kMarkMargin, kMarkCorner - kMarkMargin,
                        TextWidth(mark, kHintZoom) + 2 * kMarkMargin,
                        kGlyphSide * kHintZoom + 2 * kMarkMargin);
}

std::vector<ScreenRect> ReadoutBlocks(std::string_view line, const ScreenRect& target) {
    std::vector<ScreenRect> blocks;
    AddWordBlocks(line, kMarkCorner, kHintZoom, target, blocks,
                  kScreenWidth - kMarkCorner - TextWidth(line, kHintZoom));
    return blocks;
}

ScreenRect ReadoutBox(std::string_view line, const ScreenRect& target) {
    const int width = TextWidth(line, kHintZoom) + 2 * kMarkMargin;
    return WindowRectOf(target, kScreenWidth - kMarkCorner + kMarkMargin - width,
                        kMarkCorner - kMarkMargin, width, kGlyphSide * kHintZoom + 2 * kMarkMargin);
}

}  // namespace platform
