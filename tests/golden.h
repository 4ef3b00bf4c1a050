// SPDX-License-Identifier: MIT
// golden.h -- pictures checked against expected pictures kept in
// tests/golden/ as 8-bit indexed PNG files, made once from a run and looked
// at by eye. With FT_RENEW_GOLDEN=1 in the environment a check whose picture
// differs from its file writes the picture instead, and fails so that the
// renewal is seen.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>
#include <vector>

#include "core/seam/platform.h"
#include "test_platform.h"

// A rectangle of the 320x200 screen, both corners included.
struct ScreenBox {
    int x0;
    int y0;
    int x1;
    int y1;
};
inline constexpr ScreenBox kWholeScreen{0, 0, 319, 199};

// The box of `pixels` (320 x 200, no padding) against tests/golden/NAME.png,
// which holds that box alone. Only the colour indices count; the palette is
// stored so that the file shows what the player saw.
::testing::AssertionResult MatchesGolden(const std::vector<std::uint8_t>& pixels,
                                         const platform::Palette& palette, std::string_view name,
                                         ScreenBox box = kWholeScreen);

inline ::testing::AssertionResult MatchesGolden(const ShownPicture& shown, std::string_view name,
                                                ScreenBox box = kWholeScreen) {
    return MatchesGolden(shown.pixels, shown.palette, name, box);
}
