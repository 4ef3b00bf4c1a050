// SPDX-License-Identifier: MIT
// The picture made into window pixels: colours packed for 32- and 16-bit
// windows, nearest-neighbour scaling by whole and by uneven factors, partial
// draws that touch only what changed, and finding what changed; sharp scaling's
// even rows and its partial draws.
#include "platform/window/picture_scale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

using platform::ChangedArea;
using platform::PackColour;
using platform::PackedPalette;
using platform::PackPalette;
using platform::Picture;
using platform::PictureScaler;
using platform::PixelLayout;
using platform::ScreenRect;

namespace {

constexpr PixelLayout kXrgb{0x00FF0000, 0x0000FF00, 0x000000FF, 0};
constexpr PixelLayout kArgb{0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
constexpr PixelLayout kRgb565{0xF800, 0x07E0, 0x001F, 0};
constexpr std::uint32_t kUntouched = 0xDEADBEEF;

// A 320x200 picture with a pitch wider than its rows, the padding filled with
// a colour that must never show.
struct TestPicture {
    static constexpr int kPitch = 336;
    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(kPitch * 200, 0xEE);
    Picture View() const { return Picture{bytes.data(), kPitch}; }
    std::uint8_t& At(int x, int y) { return bytes[static_cast<std::size_t>(y * kPitch + x)]; }
    std::uint8_t At(int x, int y) const { return bytes[static_cast<std::size_t>(y * kPitch + x)]; }
};

// Every pixel a colour index of its own position, so that a pixel shown in the
// wrong place shows a wrong colour.
TestPicture Numbered() {
    TestPicture p;
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 320; ++x)
            p.At(x, y) = static_cast<std::uint8_t>((x * 7 + y * 13) & 0xFF);
    }
    return p;
}

// Palette entry i packs to a value that names i.
PackedPalette Identity() {
    PackedPalette palette{};
    for (std::size_t i = 0; i < palette.size(); ++i)
        palette[i] = 0x1000u + static_cast<std::uint32_t>(i);
    return palette;
}

struct Window {
    int width;
    int height;
    std::vector<std::uint32_t> pixels;
    Window(int w, int h)
        : width(w), height(h), pixels(static_cast<std::size_t>(w * h), kUntouched) {}
    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
    int Pitch() const { return width * 4; }
};

}  // namespace

TEST(PictureScale, ColoursPackIntoEachLayout) {
    EXPECT_EQ(PackColour({0x12, 0x34, 0x56}, kXrgb), 0x123456u);
    EXPECT_EQ(PackColour({0x12, 0x34, 0x56}, kArgb), 0xFF123456u);
    EXPECT_EQ(PackColour({255, 255, 255}, kRgb565), 0xFFFFu);
    EXPECT_EQ(PackColour({255, 0, 0}, kRgb565), 0xF800u);
    EXPECT_EQ(PackColour({0, 0, 0}, kRgb565), 0u);
    // 128 of 255 is 15.06 of 31 and 32.1 of 63: rounded to 16 and 32.
    EXPECT_EQ(PackColour({128, 128, 0}, kRgb565), (16u << 11) | (32u << 5));
    platform::Palette palette{};
    palette[7] = {1, 2, 3};
    const PackedPalette packed = PackPalette(palette, kArgb);
    EXPECT_EQ(packed[7], 0xFF010203u);
    EXPECT_EQ(packed[0], 0xFF000000u);
}

TEST(PictureScale, ChangedAreaBoundsEveryDifferenceAndIgnoresThePadding) {
    TestPicture before = Numbered();
    TestPicture after = Numbered();
    after.bytes[320] = 0x00;  // padding of row 0 differs: not part of the picture
    EXPECT_TRUE(ChangedArea(before.View(), after.View()).IsEmpty());

    after.At(5, 7) ^= 1;
    EXPECT_EQ(ChangedArea(before.View(), after.View()), (ScreenRect{5, 7, 1, 1}));
    after.At(300, 2) ^= 1;
    after.At(10, 150) ^= 1;
    EXPECT_EQ(ChangedArea(before.View(), after.View()), (ScreenRect{5, 2, 296, 149}));
    after.At(0, 0) ^= 1;
    after.At(319, 199) ^= 1;
    EXPECT_EQ(ChangedArea(before.View(), after.View()), (ScreenRect{0, 0, 320, 200}));
}

TEST(PictureScale, OneToOneShowsEveryPixelThroughThePalette) {
    const TestPicture picture = Numbered();
    const PackedPalette palette = Identity();
    Window window(320, 200);
    PictureScaler scaler;  // 320x200 at the origin
    scaler.Draw(picture.View(), palette, {0, 0, 320, 200}, window.pixels.data(), window.Pitch());
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 320; ++x) {
            const std::uint8_t index = static_cast<std::uint8_t>((x * 7 + y * 13) & 0xFF);
            ASSERT_EQ(window.At(x, y), palette[index]) << x << "," << y;
        }
    }
}

TEST(PictureScale, TwiceIsATwoByTwoBlockPerPixelInsideTheBars) {
    const TestPicture picture = Numbered();
    const PackedPalette palette = Identity();
    // 640x400 picture letterboxed into a 700x480 window at (30, 40).
    Window window(700, 480);
    PictureScaler scaler;
    scaler.SetTarget({30, 40, 640, 400});
    EXPECT_EQ(scaler.TargetArea({0, 0, 320, 200}), (ScreenRect{30, 40, 640, 400}));
    scaler.Draw(picture.View(), palette, {0, 0, 320, 200}, window.pixels.data(), window.Pitch());
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 700; ++x) {
            const bool inside = x >= 30 && x < 670 && y >= 40 && y < 440;
            if (!inside) {
                ASSERT_EQ(window.At(x, y), kUntouched) << "a bar was written at " << x << "," << y;
                continue;
            }
            const int px = (x - 30) / 2;
            const int py = (y - 40) / 2;
            ASSERT_EQ(window.At(x, y), palette[picture.At(px, py)]) << x << "," << y;
        }
    }
}

TEST(PictureScale, FourByThreeShowsEachRowTwiceOrThriceInAFixedRhythm) {
    // 640x480: 2 across, 2.4 down, so every 5 picture rows fill 12 window rows
    // and no picture row is left out or shown apart from its neighbours.
    TestPicture picture;
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 320; ++x) picture.At(x, y) = static_cast<std::uint8_t>(y);
    }
    const PackedPalette palette = Identity();
    Window window(640, 480);
    PictureScaler scaler;
    scaler.SetTarget({0, 0, 640, 480});
    scaler.Draw(picture.View(), palette, {0, 0, 320, 200}, window.pixels.data(), window.Pitch());
    std::vector<int> rowsOf(200, 0);
    int previous = 0;
    for (int y = 0; y < 480; ++y) {
        const int shown = static_cast<int>(window.At(0, y) - 0x1000u);
        ASSERT_TRUE(shown == previous || shown == previous + 1) << "row " << y;
        for (int x = 1; x < 640; ++x) ASSERT_EQ(window.At(x, y), window.At(0, y));
        ++rowsOf[static_cast<std::size_t>(shown)];
        previous = shown;
    }
    for (int r = 0; r < 200; ++r) {
        ASSERT_TRUE(rowsOf[static_cast<std::size_t>(r)] == 2 ||
                    rowsOf[static_cast<std::size_t>(r)] == 3);
        if (r % 5 == 0) {
            int group = 0;
            for (int k = 0; k < 5; ++k) group += rowsOf[static_cast<std::size_t>(r + k)];
            ASSERT_EQ(group, 12) << "rows " << r << " to " << r + 4;
        }
    }
}

TEST(PictureScale, PartialDrawWritesOnlyTheWindowPixelsOfTheChangedArea) {
    const TestPicture picture = Numbered();
    const PackedPalette palette = Identity();
    Window window(1024, 768);
    PictureScaler scaler;
    scaler.SetTarget({32, 24, 960, 720});     // three times 320x240
    const ScreenRect area{50, 49, 100, 150};  // the well
    const ScreenRect changed = scaler.TargetArea(area);
    // Columns 50 to 149 at 3 pixels each; rows 49 to 198 at 3.6 each.
    EXPECT_EQ(changed.x, 32 + 150);
    EXPECT_EQ(changed.width, 300);
    EXPECT_NEAR(changed.y - 24, 49 * 3.6, 1.0);
    EXPECT_NEAR(changed.height, 150 * 3.6, 1.0);
    scaler.Draw(picture.View(), palette, area, window.pixels.data(), window.Pitch());
    for (int y = 0; y < 768; ++y) {
        for (int x = 0; x < 1024; ++x) {
            const bool inside = x >= changed.x && x < changed.x + changed.width && y >= changed.y &&
                                y < changed.y + changed.height;
            ASSERT_EQ(window.At(x, y) != kUntouched, inside) << x << "," << y;
        }
    }
    // The same pixels as a draw of the whole picture.
    Window whole(1024, 768);
    scaler.Draw(picture.View(), palette, {0, 0, 320, 200}, whole.pixels.data(), whole.Pitch());
    for (int y = changed.y; y < changed.y + changed.height; ++y) {
        for (int x = changed.x; x < changed.x + changed.width; ++x) {
            ASSERT_EQ(window.At(x, y), whole.At(x, y)) << x << "," << y;
        }
    }
}

TEST(PictureScale, SixteenBitWindowsGetTheSamePicture) {
    const TestPicture picture = Numbered();
    const PackedPalette palette = Identity();  // values fit in 16 bits
    std::vector<std::uint16_t> pixels(640 * 400, 0);
    PictureScaler scaler;
    scaler.SetTarget({0, 0, 640, 400});
    scaler.Draw(picture.View(), palette, {0, 0, 320, 200}, pixels.data(), 640 * 2);
    for (int y = 0; y < 400; ++y) {
        for (int x = 0; x < 640; ++x) {
            ASSERT_EQ(pixels[static_cast<std::size_t>(y * 640 + x)],
                      static_cast<std::uint16_t>(palette[picture.At(x / 2, y / 2)]))
                << x << "," << y;
        }
    }
}

TEST(PictureScale, ShrunkPictureShowsEveryOtherPixelAndStaysInside) {
    // Half size: window pixel i covers picture pixels 2i and 2i+1, and its
    // centre falls on the edge between them, so it shows 2i+1.
    const TestPicture picture = Numbered();
    const PackedPalette palette = Identity();
    Window window(160, 100);
    PictureScaler scaler;
    scaler.SetTarget({0, 0, 160, 100});
    scaler.Draw(picture.View(), palette, {0, 0, 320, 200}, window.pixels.data(), window.Pitch());
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 160; ++x) {
            ASSERT_EQ(window.At(x, y), palette[picture.At(2 * x + 1, 2 * y + 1)]) << x << "," << y;
        }
    }
    // A change in a picture row that is not shown changes nothing.
    EXPECT_TRUE(scaler.TargetArea({0, 0, 320, 1}).IsEmpty());
}

// Sharp scaling, 200 rows onto 960 and 1080 (a 1280x960 screen, and the 4:3
// picture on a 1920x1080 one): every game row shows as unblended window rows
// of one height within a pixel, with at most two blended rows, mixes of the
// two neighbours, between two game rows (the smoothing stretches the
// enlarged picture less than twice: its one row between them covers fewer
// than two window rows); the same across.
TEST(PictureScale, SharpRowsAndColumnsAreEvenWithOneBlendBetween) {
    TestPicture picture;
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 320; ++x) picture.At(x, y) = static_cast<std::uint8_t>((x + y) % 2);
    }
    PackedPalette palette{};
    palette[0] = 0xFF000000u;
    palette[1] = 0xFFFFFFFFu;
    for (const ScreenRect target : {ScreenRect{0, 0, 1280, 960}, ScreenRect{0, 0, 1440, 1080}}) {
        SCOPED_TRACE(std::to_string(target.width) + "x" + std::to_string(target.height));
        Window window(target.width, target.height);
        platform::SharpScaler scaler;
        scaler.SetTarget(target);
        scaler.Draw(picture.View(), palette, {0, 0, 320, 200}, window.pixels.data(),
                    window.Pitch());
        // The runs of unblended pixels along a line, and the blended ones
        // between two runs.
        const auto check = [&](int length, int games, auto at) {
            std::vector<int> runs;
            int run = 0;
            int blends = 0;
            for (int i = 0; i < length; ++i) {
                const std::uint32_t pixel = at(i);
                if (pixel == palette[0] || pixel == palette[1]) {
                    if (run > 0 && pixel == at(i - 1)) {
                        ++run;
                        continue;
                    }
                    if (run > 0) runs.push_back(run);
                    run = 1;
                    blends = 0;
                    continue;
                }
                // Grey between black and white, channel by channel alike.
                ASSERT_EQ(pixel >> 24, 0xFFu) << i;
                ASSERT_TRUE((pixel & 0xFF) == ((pixel >> 8) & 0xFF) &&
                            (pixel & 0xFF) == ((pixel >> 16) & 0xFF))
                    << i;
                ASSERT_LE(++blends, 2) << "three blended in a row at " << i;
                if (run > 0) runs.push_back(run);
                run = 0;
            }
            if (run > 0) runs.push_back(run);
            ASSERT_EQ(static_cast<int>(runs.size()), games);
            const auto [fewest, most] = std::minmax_element(runs.begin(), runs.end());
            EXPECT_LE(*most - *fewest, 1);
        };
        check(target.height, 200, [&](int y) { return window.At(0, y); });
        check(target.width, 320, [&](int x) { return window.At(x, 0); });
    }
}

// A draw of the changed part writes only what TargetArea says, the blended
// edge included, and leaves the window as a draw of the whole would.
TEST(PictureScale, SharpPartialDrawMatchesTheWholeAndStaysInItsArea) {
    TestPicture before = Numbered();
    TestPicture after = Numbered();
    const ScreenRect area{50, 49, 100, 150};
    for (int y = area.y; y < area.y + area.height; ++y) {
        for (int x = area.x; x < area.x + area.width; ++x) after.At(x, y) ^= 0x55;
    }
    PackedPalette palette{};
    for (std::size_t i = 0; i < palette.size(); ++i) {
        palette[i] = 0xFF000000u | static_cast<std::uint32_t>(i * 0x010307u);
    }
    platform::SharpScaler scaler;
    scaler.SetTarget({240, 0, 1440, 1080});
    const ScreenRect changed = scaler.TargetArea(area);
    // The first column at 4.5 window columns per game column, less the
    // blended one before it; the edges are within one of the exact place.
    EXPECT_NEAR(changed.x - 240, 50 * 4.5, 1.0);
    EXPECT_NEAR(changed.width, 100 * 4.5, 2.0);
    EXPECT_NEAR(changed.y, 49 * 5.4, 1.0);
    EXPECT_NEAR(changed.height, 150 * 5.4, 2.0);

    Window partial(1920, 1080);
    scaler.Draw(before.View(), palette, {0, 0, 320, 200}, partial.pixels.data(), partial.Pitch());
    Window untouched = partial;
    scaler.Draw(after.View(), palette, area, partial.pixels.data(), partial.Pitch());
    Window whole(1920, 1080);
    scaler.Draw(after.View(), palette, {0, 0, 320, 200}, whole.pixels.data(), whole.Pitch());
    for (int y = 0; y < 1080; ++y) {
        for (int x = 0; x < 1920; ++x) {
            const bool inside = x >= changed.x && x < changed.x + changed.width && y >= changed.y &&
                                y < changed.y + changed.height;
            ASSERT_EQ(partial.At(x, y), inside ? whole.At(x, y) : untouched.At(x, y))
                << x << "," << y;
        }
    }
    ASSERT_EQ(partial.pixels, whole.pixels);
}
