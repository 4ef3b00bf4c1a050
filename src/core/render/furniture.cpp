// SPDX-License-Identifier: MIT
// furniture.cpp -- the game screen's scenery, drawn once per game, and the well
// background: its block pattern and the slow downward scroll of its copy.
#include "core/render/furniture.h"

#include <algorithm>

#include "core/render/font.h"

namespace ft {

// clang-format off
const std::array<std::array<std::uint8_t, 10>, 10> kWellPattern = {{
    {22, 22, 22, 22, 22, 22, 22, 22,  0,  0},
    {22, 25, 25, 25, 25, 25, 25, 22, 23,  0},
    {22, 24, 27, 27, 29, 29, 25, 22, 23,  0},
    {22, 24, 26, 28, 28, 29, 25, 22, 23,  0},
    {22, 24, 26, 28, 28, 27, 25, 22, 23,  0},
    {22, 24, 26, 26, 26, 27, 25, 22, 23,  0},
    {22, 24, 24, 24, 24, 24, 25, 22, 23,  0},
    {22, 22, 22, 22, 22, 22, 22, 22, 23,  0},
    { 0, 23, 23, 23, 23, 23, 23, 23, 23,  0},
    { 0,  0,  0,  0,  0,  0,  0,  0,  0,  0},
}};
// clang-format on

namespace {

constexpr int kPatternSide = 10;
constexpr int kBackgroundWidth = 100;   // the well's width in pixels
constexpr int kBackgroundHeight = 160;  // the well's 150 rows plus one pattern of scroll
constexpr int kWellHeight = 150;
constexpr float kScrollStart = 10.0f;
constexpr double kScrollStep = 0.5;  // background rows per frame

constexpr std::int32_t kFirstGradientColour = 50;
constexpr std::int32_t kLastGradientColour = 250;

constexpr std::uint8_t kBevelDark = 40;
constexpr std::uint8_t kBevelMiddle = 41;
constexpr std::uint8_t kBevelLight = 42;  // also the box interiors
constexpr std::uint8_t kTitleColour = 0;

constexpr char kTitle[] = "F   O   M   P   Y      T   A   L   D   E   N";
constexpr std::int32_t kTitleLength = sizeof kTitle - 1;  // 44
static_assert(kTitleLength == 44);

// A box with a one-pixel ring of 40, a one-pixel ring of 41 and an interior of 42.
void DrawBevelBox(FrameBuffer& fb, std::int32_t x0, std::int32_t y0, std::int32_t x1,
                  std::int32_t y1) {
    FillBox(fb, x0, y0, x1, y1, kBevelDark);
    FillBox(fb, x0 + 1, y0 + 1, x1 - 1, y1 - 1, kBevelMiddle);
    FillBox(fb, x0 + 2, y0 + 2, x1 - 2, y1 - 2, kBevelLight);
}

}  // namespace

void FillWellBackground(FrameBuffer& fb) {
    for (int ty = 0; ty < kBackgroundHeight; ty += kPatternSide)
        for (int tx = 0; tx < kBackgroundWidth; tx += kPatternSide)
            for (int i = 0; i < kPatternSide; ++i)
                for (int j = 0; j < kPatternSide; ++j)
                    PutPixel(fb, tx + j, ty + i, kWellPattern[i][j]);
}

void DrawGameScreen(FrameBuffer& fb, Palette& palette) {
    // Gradient: row y in colour 50 + y. Each two-row band overlaps the one
    // before it; band 250 lies wholly below the screen, but its palette entry
    // is still set.
    for (std::int32_t k = kFirstGradientColour; k <= kLastGradientColour; ++k) {
        SetGradientEntry(palette, k);
        const std::int32_t top = k - kFirstGradientColour;
        const std::int32_t bottom = std::min(top + 1, kScreenHeight - 1);
        FillBox(fb, 0, top, kScreenWidth - 1, bottom, static_cast<std::uint8_t>(k));
    }

    // The well frame, open at the bottom: a bevel of 40, 41 with a line of 42
    // along its middle, and 40 again around the well window.
    FillBox(fb, 45, 44, 154, 198, kBevelDark);
    FillBox(fb, 46, 46, 48, 198, kBevelMiddle);
    FillBox(fb, 151, 45, 153, 198, kBevelMiddle);
    FillBox(fb, 46, 45, 153, 47, kBevelMiddle);
    FillBox(fb, 47, 47, 47, 198, kBevelLight);
    FillBox(fb, 47, 46, 152, 46, kBevelLight);
    FillBox(fb, 152, 46, 152, 198, kBevelLight);

    DrawBevelBox(fb, 165, 44, 200, 74);    // next-piece preview
    DrawBevelBox(fb, 165, 100, 260, 120);  // score
    DrawBevelBox(fb, 165, 130, 260, 150);  // level

    DrawSmallText(fb, kTitle, kTitleLength, 28, 10, kTitleColour);
}

BlitRect WellSourceRect(float scrollTop) {
    const auto top = static_cast<std::int32_t>(scrollTop);  // truncates toward zero
    return BlitRect{0, top, kBackgroundWidth, top + kWellHeight};
}

float AdvanceScroll(float scrollTop, bool scrolling) {
    if (scrolling) scrollTop = static_cast<float>(static_cast<double>(scrollTop) - kScrollStep);
    // Reset even when not scrolling; a value of 0 shows the same rows as 10.
    if (scrollTop <= 0) scrollTop = kScrollStart;
    return scrollTop;
}

}  // namespace ft
