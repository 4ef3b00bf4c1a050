// SPDX-License-Identifier: MIT
// What the players' platforms draw over the picture, at the picture's own
// size (the page draws these blocks as they are; a window scales them with
// the picture): "PAUSED" and how to go on, the volume notes on black, and a
// playback's mark.
#include "platform/window/paused_picture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "golden.h"
#include "platform/window/comforts.h"

namespace {

using platform::ScreenRect;

constexpr std::uint8_t kClear = 0;  // the picture underneath
constexpr std::uint8_t kWhite = 1;
constexpr std::uint8_t kBlack = 2;  // a note's box

platform::Palette OverlayPalette() {
    platform::Palette palette{};
    palette[kClear] = {96, 96, 96};
    palette[kWhite] = {255, 255, 255};
    palette[kBlack] = {0, 0, 0};
    return palette;
}

constexpr ScreenRect kPicture{0, 0, platform::kScreenWidth, platform::kScreenHeight};

void Fill(std::vector<std::uint8_t>& pixels, const ScreenRect& block, std::uint8_t colour) {
    ASSERT_GE(block.x, 0);
    ASSERT_GE(block.y, 0);
    ASSERT_LE(block.x + block.width, platform::kScreenWidth);
    ASSERT_LE(block.y + block.height, platform::kScreenHeight);
    for (int y = block.y; y < block.y + block.height; ++y) {
        for (int x = block.x; x < block.x + block.width; ++x) {
            pixels[static_cast<std::size_t>(y) * platform::kScreenWidth + x] = colour;
        }
    }
}

std::vector<std::uint8_t> Overlay(const std::vector<ScreenRect>& blocks,
                                  const ScreenRect* box = nullptr) {
    std::vector<std::uint8_t> pixels(
        static_cast<std::size_t>(platform::kScreenWidth) * platform::kScreenHeight, kClear);
    if (box != nullptr) Fill(pixels, *box, kBlack);
    for (const ScreenRect& block : blocks) Fill(pixels, block, kWhite);
    return pixels;
}

}  // namespace

TEST(PausedPicture, SaysPausedAndHowToGoOn) {
    const platform::Palette palette = OverlayPalette();
    EXPECT_TRUE(MatchesGolden(Overlay(platform::PausedBlocks("PRESS ANY KEY", kPicture)), palette,
                              "paused/press-any-key"));
    EXPECT_TRUE(MatchesGolden(Overlay(platform::PausedBlocks("PRESS P", kPicture)), palette,
                              "paused/press-p"));
    EXPECT_TRUE(MatchesGolden(Overlay(platform::PausedBlocks("TAP TO GO ON", kPicture)), palette,
                              "paused/tap-to-go-on"));
}

TEST(PausedPicture, TheVolumeNotesAreTheGamesSmallFontOnBlack) {
    const platform::Palette palette = OverlayPalette();
    for (const auto& [volume, mute, name] : {std::tuple{90, false, "paused/note-volume-90"},
                                             std::tuple{100, false, "paused/note-volume-100"},
                                             std::tuple{40, true, "paused/note-sound-off"}}) {
        const std::string note = platform::SoundLevel(volume, mute).Note();
        const ScreenRect box = platform::NoteBox(note, kPicture);
        EXPECT_TRUE(
            MatchesGolden(Overlay(platform::NoteBlocks(note, kPicture), &box), palette, name))
            << note;
    }
}

TEST(PausedPicture, APlaybacksMarkStandsSmallInTheTopLeftCorner) {
    for (const auto& [mark, name] : {std::pair{"REPLAY", "paused/mark-replay"},
                                     std::pair{"REPLAY X1/4", "paused/mark-replay-x1-4"}}) {
        const ScreenRect box = platform::MarkBox(mark, kPicture);
        EXPECT_TRUE(MatchesGolden(Overlay(platform::MarkBlocks(mark, kPicture), &box),
                                  OverlayPalette(), name))
            << mark;
    }
}
