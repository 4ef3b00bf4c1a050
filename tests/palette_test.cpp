// SPDX-License-Identifier: MIT
// The palette's start colours (the same on every run, because the generator
// is not reseeded before the first game), its fixed entries and the gradient.
#include "core/render/palette.h"

#include <gtest/gtest.h>

#include "core/game/piece.h"
#include "core/state/random.h"

using namespace ft;

TEST(Random, FollowsTheLinearCongruentialRecurrence) {
    Random random;
    EXPECT_EQ(random.Next(), 41);  // (214013 + 2531011) >> 16
    EXPECT_EQ(random.state, 2745024u);
    random.Reseed(0xFFFFFFFFu);
    const std::uint32_t next = 0xFFFFFFFFu * 214013u + 2531011u;
    EXPECT_EQ(random.Next(), static_cast<std::int32_t>((next >> 16) & 0x7FFF));
}

TEST(Palette, StartColoursAreTheSameEveryRun) {
    Random random;
    const FallingPiece piece = StartingPiece(random);  // the run's first draw
    EXPECT_EQ(piece.kind, 6);

    Random peek = random;
    EXPECT_EQ(peek.Next() % 255, 107);  // entry 1: blue, red, green
    EXPECT_EQ(peek.Next() % 255, 214);
    EXPECT_EQ(peek.Next() % 255, 235);

    Palette palette = BuildStartPalette(random);
    EXPECT_EQ(palette[1], (PaletteEntry{214, 235, 107}));
    EXPECT_EQ(palette[35], (PaletteEntry{9, 240, 78}));
    EXPECT_EQ(palette[100], (PaletteEntry{104, 86, 221}));
    EXPECT_EQ(palette[0], (PaletteEntry{0, 0, 0}));
    EXPECT_EQ(palette[255], (PaletteEntry{0, 0, 0}));
    for (const PaletteEntry& e : palette) {
        EXPECT_LE(e.red, 254);
        EXPECT_LE(e.green, 254);
        EXPECT_LE(e.blue, 254);
    }
}

TEST(Palette, FixedColoursOverwriteOnlyTheirEntries) {
    Random random;
    random.Next();
    const Palette start = BuildStartPalette(random);
    Palette palette = start;
    SetFixedColours(palette);
    EXPECT_EQ(palette[1], (PaletteEntry{0, 0, 170}));
    EXPECT_EQ(palette[21], (PaletteEntry{0, 230, 230}));
    EXPECT_EQ(palette[25], (PaletteEntry{200, 0, 0}));
    EXPECT_EQ(palette[29], palette[32]);
    EXPECT_EQ(palette[29], (PaletteEntry{200, 120, 120}));
    EXPECT_EQ(palette[43], (PaletteEntry{0, 90, 190}));
    int changed = 0;
    for (int i = 0; i < 256; ++i) changed += palette[i] == start[i] ? 0 : 1;
    EXPECT_LE(changed, 38);
    for (int i : {0, 35, 36, 39, 44, 49, 50, 250, 251, 255}) EXPECT_EQ(palette[i], start[i]) << i;
    // The tile shades grow lighter within each of the seven hues.
    for (int tile = 1; tile <= 7; ++tile) {
        const auto sum = [&](int i) { return palette[i].red + palette[i].green + palette[i].blue; };
        EXPECT_LT(sum(3 * tile - 2), sum(3 * tile - 1));
        EXPECT_LT(sum(3 * tile - 1), sum(3 * tile));
    }
}

TEST(Palette, GradientRunsFromBlueGreyToBlack) {
    Palette palette{};
    for (int k = 50; k <= 250; ++k) SetGradientEntry(palette, k);
    EXPECT_EQ(palette[50], (PaletteEntry{100, 100, 200}));
    EXPECT_EQ(palette[51], (PaletteEntry{100, 100, 199}));
    EXPECT_EQ(palette[52], (PaletteEntry{99, 99, 198}));
    EXPECT_EQ(palette[100], (PaletteEntry{75, 75, 150}));
    EXPECT_EQ(palette[249], (PaletteEntry{1, 1, 1}));
    EXPECT_EQ(palette[250], (PaletteEntry{0, 0, 0}));
}
