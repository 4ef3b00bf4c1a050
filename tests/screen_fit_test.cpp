// SPDX-License-Identifier: MIT
// Where the 320x200 picture goes on windows and screens of many sizes: the
// 4:3 shape or square pixels, any size or whole multiples, centred between
// black bars.
#include "platform/window/screen_fit.h"

#include <gtest/gtest.h>

#include <cstdlib>

using platform::FitPicture;
using platform::PictureSize;
using platform::ScreenFit;
using platform::ScreenRect;

namespace {

constexpr ScreenFit kAspect{true, false};
constexpr ScreenFit kSquare{false, false};
constexpr ScreenFit kAspectWhole{true, true};
constexpr ScreenFit kSquareWhole{false, true};

}  // namespace

TEST(ScreenFit, PictureSizeIsFourByThreeOrTheBarePicture) {
    EXPECT_EQ(PictureSize(kAspect), (ScreenRect{0, 0, 320, 240}));  // 200 rows, 1.2 times as tall
    EXPECT_EQ(PictureSize(kSquare), (ScreenRect{0, 0, 320, 200}));
}

TEST(ScreenFit, FourByThreeFillsAFourByThreeScreenAndLetterboxesOthers) {
    EXPECT_EQ(FitPicture(640, 480, kAspect), (ScreenRect{0, 0, 640, 480}));
    EXPECT_EQ(FitPicture(1024, 768, kAspect), (ScreenRect{0, 0, 1024, 768}));
    // 16:9: bars left and right, 1080 * 4 / 3 = 1440 wide.
    EXPECT_EQ(FitPicture(1920, 1080, kAspect), (ScreenRect{240, 0, 1440, 1080}));
    // Taller than 4:3: bars above and below.
    EXPECT_EQ(FitPicture(800, 1000, kAspect), (ScreenRect{0, 200, 800, 600}));
}

TEST(ScreenFit, SquarePixelsKeepTheSixteenByTenPicture) {
    EXPECT_EQ(FitPicture(640, 480, kSquare), (ScreenRect{0, 40, 640, 400}));
    // 1080 * 320 / 200 = 1728 wide.
    EXPECT_EQ(FitPicture(1920, 1080, kSquare), (ScreenRect{96, 0, 1728, 1080}));
    EXPECT_EQ(FitPicture(1280, 800, kSquare), (ScreenRect{0, 0, 1280, 800}));
}

TEST(ScreenFit, WholeMultiplesTakeTheLargestThatFits) {
    // 1024x768 holds three 320x240s (960x720), not four.
    EXPECT_EQ(FitPicture(1024, 768, kAspectWhole), (ScreenRect{32, 24, 960, 720}));
    // 1920x1080: the height allows 4 (960), the width 6.
    EXPECT_EQ(FitPicture(1920, 1080, kAspectWhole), (ScreenRect{320, 60, 1280, 960}));
    // Square pixels: 5 times 320x200 in 1080 rows.
    EXPECT_EQ(FitPicture(1920, 1080, kSquareWhole), (ScreenRect{160, 40, 1600, 1000}));
    // Exactly twice; one pixel less wide and only once fits.
    EXPECT_EQ(FitPicture(640, 480, kAspectWhole), (ScreenRect{0, 0, 640, 480}));
    EXPECT_EQ(FitPicture(639, 480, kAspectWhole), (ScreenRect{159, 120, 320, 240}));
}

TEST(ScreenFit, AreaBelowOneMultipleStillShowsThePictureShrunk) {
    // Too small for 320x240: the plain fit, 200 * 4 / 3 = 266 wide.
    EXPECT_EQ(FitPicture(300, 200, kAspectWhole), FitPicture(300, 200, kAspect));
    EXPECT_EQ(FitPicture(300, 200, kAspect), (ScreenRect{17, 0, 266, 200}));
}

TEST(ScreenFit, OddLeftoverPixelGoesToTheRightAndBottomBar) {
    // 643 wide, 480 high: the picture is 640 wide, 3 pixels of bars.
    EXPECT_EQ(FitPicture(643, 480, kAspect), (ScreenRect{1, 0, 640, 480}));
    EXPECT_EQ(FitPicture(640, 483, kAspect), (ScreenRect{0, 1, 640, 480}));
}

TEST(ScreenFit, NothingToFitIntoGivesNothing) {
    EXPECT_TRUE(FitPicture(0, 480, kAspect).IsEmpty());
    EXPECT_TRUE(FitPicture(640, 0, kAspectWhole).IsEmpty());
    EXPECT_TRUE(FitPicture(-5, -5, kSquare).IsEmpty());
}

TEST(ScreenFit, EverySizeIsInsideCentredAndOfTheRightShape) {
    for (const ScreenFit& fit : {kAspect, kSquare, kAspectWhole, kSquareWhole}) {
        const ScreenRect shape = PictureSize(fit);
        for (int width = 1; width <= 2600; width += 37) {
            for (int height = 1; height <= 1700; height += 29) {
                const ScreenRect r = FitPicture(width, height, fit);
                SCOPED_TRACE(testing::Message() << width << "x" << height << " aspect "
                                                << fit.aspect << " whole " << fit.integerScale);
                ASSERT_GE(r.x, 0);
                ASSERT_GE(r.y, 0);
                ASSERT_LE(r.x + r.width, width);
                ASSERT_LE(r.y + r.height, height);
                // Centred: the two bars of an axis differ by at most the odd pixel,
                // the larger on the right or bottom.
                const int right = width - r.x - r.width;
                const int bottom = height - r.y - r.height;
                ASSERT_TRUE(right == r.x || right == r.x + 1);
                ASSERT_TRUE(bottom == r.y || bottom == r.y + 1);
                const bool wholeFits = width >= shape.width && height >= shape.height;
                if (fit.integerScale && wholeFits) {
                    ASSERT_EQ(r.width % shape.width, 0);
                    const int multiple = r.width / shape.width;
                    ASSERT_EQ(r.height, multiple * shape.height);
                    // The next multiple would not fit.
                    ASSERT_TRUE((multiple + 1) * shape.width > width ||
                                (multiple + 1) * shape.height > height);
                } else if (r.width > 1 && r.height > 1) {
                    // The shape to within a pixel, and touching two opposite edges.
                    ASSERT_LT(std::abs(r.width * shape.height - r.height * shape.width),
                              shape.width + shape.height);
                    ASSERT_TRUE(r.width == width || r.height == height);
                }
            }
        }
    }
}

TEST(ScreenFit, SharpPrescaleTakesTheWholeFactorsThatFitEachWay) {
    using platform::Prescale;
    using platform::SharpPrescale;
    // 1280x960: 4 across exactly, 4.8 down: 1280x800 smoothed to 960 rows.
    EXPECT_EQ(SharpPrescale({0, 0, 1280, 960}), (Prescale{4, 4, 1280, 800, true}));
    // The 4:3 picture on 1920x1080 (1440x1080): 4.5 across, 5.4 down.
    EXPECT_EQ(SharpPrescale(FitPicture(1920, 1080, kAspect)), (Prescale{4, 5, 1280, 1000, true}));
    // Whole multiples already: nothing left to smooth.
    EXPECT_EQ(SharpPrescale({0, 0, 640, 400}), (Prescale{2, 2, 640, 400, false}));
    // Smaller than the picture: the picture itself, smoothed down.
    EXPECT_EQ(SharpPrescale({0, 0, 266, 200}), (Prescale{1, 1, 320, 200, true}));
    // Whole multiples, when asked for, win over sharp.
    EXPECT_TRUE(platform::IsSharp(ScreenFit{true, false, true}));
    EXPECT_FALSE(platform::IsSharp(ScreenFit{true, true, true}));
    EXPECT_FALSE(platform::IsSharp(kAspect));
}
