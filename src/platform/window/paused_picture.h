// SPDX-License-Identifier: MIT
// paused_picture.h -- how a paused game looks on the players' platforms: the
// picture last shown at half its brightness, with "PAUSED" in the middle in
// the game's small font, drawn by the platform over the scaled picture in
// the window, never into the game's own picture. A note (the volume after a
// volume key) is drawn the same way for a moment, at the top, on black.
#pragma once

#include <string_view>
#include <vector>

#include "core/seam/platform.h"
#include "platform/window/screen_fit.h"

namespace platform {

// Every colour at half its brightness.
Palette DimmedPalette(const Palette& palette);

// What the paused picture says under "PAUSED": how the game goes on.
inline constexpr std::string_view kHintAfterAutomaticPause = "PRESS ANY KEY";
inline constexpr std::string_view kHintAfterPauseKey = "PRESS P";
inline constexpr std::string_view kHintOnTouchScreen = "TAP TO GO ON";

// The white blocks of the word "PAUSED" in the middle of a picture scaled
// into target (window pixels), each pixel of a glyph two picture pixels
// across, and under it the hint, a picture pixel a glyph pixel; each placed
// by the same rounding as the scaled picture's.
std::vector<ScreenRect> PausedBlocks(std::string_view hint, const ScreenRect& target);

// How long a note stays over the picture: the volume's, and the rank of a
// game that enters the table of the best.
inline constexpr int kNoteMilliseconds = 1500;
inline constexpr int kRankNoteMilliseconds = 3000;

// A note's white blocks, centred across near the top of the picture scaled
// into target, and the black box behind them (a margin around the text).
std::vector<ScreenRect> NoteBlocks(std::string_view note, const ScreenRect& target);
ScreenRect NoteBox(std::string_view note, const ScreenRect& target);

// The mark of a playback ("REPLAY", "REPLAY X2"): small white blocks at the
// top left of the picture, and the black box behind them, for as long as the
// playback lasts.
std::vector<ScreenRect> MarkBlocks(std::string_view mark, const ScreenRect& target);
ScreenRect MarkBox(std::string_view mark, const ScreenRect& target);

// The frame-time readout (F10, "70 FPS 60 HZ 14.3 MS"): small white blocks at
// the top right of the picture, and the black box behind them.
std::vector<ScreenRect> ReadoutBlocks(std::string_view line, const ScreenRect& target);
ScreenRect ReadoutBox(std::string_view line, const ScreenRect& target);

}  // namespace platform
