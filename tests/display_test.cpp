// SPDX-License-Identifier: MIT
// The display's surfaces, locks, background copy and presentation, and the
// pixel primitives on surfaces whose pitch is wider than 320.
#include "core/display/display.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/render/framebuffer.h"
#include "test_platform.h"

using namespace ft;

TEST(FrameBuffer, PrimitivesAddressRowsByPitch) {
    for (std::int32_t pitch : {384, 1024}) {
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(pitch) * 200, 0xEE);
        FrameBuffer fb{bytes.data(), pitch};
        PutPixel(fb, 319, 199, 7);
        EXPECT_EQ(bytes[199 * pitch + 319], 7);
        EXPECT_EQ(ReadPixel(fb, 319, 199), 7);

        FillBox(fb, 5, 7, 5, 7, 3);  // one pixel
        EXPECT_EQ(ReadPixel(fb, 5, 7), 3);
        EXPECT_EQ(ReadPixel(fb, 4, 7), 0xEE);
        EXPECT_EQ(ReadPixel(fb, 6, 7), 0xEE);
        EXPECT_EQ(ReadPixel(fb, 5, 8), 0xEE);

        FillBox(fb, 10, 10, 9, 20, 1);  // x1 < x0: nothing
        FillBox(fb, 10, 10, 20, 9, 1);  // y1 < y0: nothing
        EXPECT_EQ(ReadPixel(fb, 10, 10), 0xEE);

        FillBox(fb, 0, 0, 319, 199, 0);
        for (int y = 0; y < 200; ++y) {
            for (int x = 0; x < pitch; ++x) {
                // The padding beyond column 319 is never touched.
                ASSERT_EQ(bytes[y * pitch + x], x < 320 ? 0 : 0xEE) << x << "," << y;
            }
        }
    }
}

TEST(Display, EverySurfaceStartsBlackAndLocksLendTheirOwnPixels) {
    Display display;
    OpenDisplay(display);
    FrameBuffer back = LockBackBuffer(display);
    EXPECT_EQ(back.pitch, kSurfacePitch);
    EXPECT_GT(back.pitch, kScreenWidth);
    EXPECT_EQ(ReadPixel(back, 160, 100), 0);
    PutPixel(back, 1, 2, 9);
    UnlockBackBuffer(display);

    FrameBuffer primary = LockPrimary(display);
    EXPECT_EQ(ReadPixel(primary, 1, 2), 0);  // a different surface
    FakePlatform platform;
    UnlockPrimary(display, platform);
    FrameBuffer background = LockBackground(display);
    EXPECT_EQ(ReadPixel(background, 1, 2), 0);
    UnlockBackground(display);
}

TEST(Display, PresentShowsBackBufferAndKeepsIt) {
    Display display;
    OpenDisplay(display);
    FakePlatform platform;

    FrameBuffer fb = LockBackBuffer(display);
    PutPixel(fb, 10, 20, 42);
    UnlockBackBuffer(display);
    PresentFrame(display, platform);
    ASSERT_EQ(platform.pictures.size(), 1u);
    EXPECT_EQ(platform.pictures[0].kind, platform::PictureKind::Present);
    EXPECT_EQ(platform.pictures[0].At(10, 20), 42);

    // Drawn once, it stays in every later frame.
    fb = LockBackBuffer(display);
    PutPixel(fb, 11, 20, 43);
    UnlockBackBuffer(display);
    PresentFrame(display, platform);
    EXPECT_EQ(platform.pictures[1].At(10, 20), 42);
    EXPECT_EQ(platform.pictures[1].At(11, 20), 43);

    // The primary picture shows at once and the next present replaces it.
    fb = LockPrimary(display);
    FillBox(fb, 0, 0, 319, 199, 5);
    UnlockPrimary(display, platform);
    EXPECT_EQ(platform.pictures[2].kind, platform::PictureKind::Primary);
    EXPECT_EQ(platform.pictures[2].At(10, 20), 5);
    PresentFrame(display, platform);
    EXPECT_EQ(platform.pictures[3].At(10, 20), 42);
    EXPECT_EQ(platform.pictures[3].At(0, 0), 0);
}

TEST(Display, PresentHandsOverTheLivePalette) {
    Display display;
    OpenDisplay(display);
    FakePlatform platform;
    display.palette[7] = PaletteEntry{1, 2, 3};
    PresentFrame(display, platform);
    EXPECT_EQ(platform.pictures[0].palette[7], (PaletteEntry{1, 2, 3}));
}

TEST(Display, BlitBackgroundCopiesTheWellWindowForEveryScrollRow) {
    Display display;
    OpenDisplay(display);
    FrameBuffer bg = LockBackground(display);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 320; ++x) PutPixel(bg, x, y, static_cast<std::uint8_t>(x * 7 + y));
    UnlockBackground(display);

    for (int t = 0; t <= 10; ++t) {
        FrameBuffer back = LockBackBuffer(display);
        FillBox(back, 0, 0, 319, 199, 255);
        UnlockBackBuffer(display);
        const BlitRect source{0, t, 100, t + 150};
        BlitBackground(display, source, 50, 49);
        EXPECT_EQ(display.blitSource, source);
        back = LockBackBuffer(display);
        for (int y = 0; y < 200; ++y) {
            for (int x = 0; x < 320; ++x) {
                const bool inside = x >= 50 && x <= 149 && y >= 49 && y <= 198;
                const int expected =
                    inside ? static_cast<std::uint8_t>((x - 50) * 7 + (y - 49 + t)) : 255;
                ASSERT_EQ(ReadPixel(back, x, y), expected) << "t=" << t << " " << x << "," << y;
            }
        }
        UnlockBackBuffer(display);
    }
}
