// SPDX-License-Identifier: MIT
// screenshot.h -- the picture on the screen kept as a PNG file, shaped as
// players see it: 640x480 for the 4:3 picture, 640x400 with square pixels,
// every pixel of the game's picture a block of the file's (nearest neighbour).
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/result.h"

namespace platform {

// An 8-bit picture of any size, shown through a palette.
struct IndexedImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // rows of width bytes
};

// The 320x200 picture scaled to 640x480 (aspect) or 640x400 (square pixels).
IndexedImage ScaleForScreenshot(const Picture& picture, bool aspect);

// Writes the image with the palette as its PNG palette; a failure reads
// "PATH: cause".
Result<void> WritePng(const std::string& path, const IndexedImage& image, const Palette& palette);

// $XDG_PICTURES_DIR/fompy-talden, else the Pictures folder that the
// desktop's user-dirs.dirs names, else ~/Pictures/fompy-talden. Empty when
// none is known.
std::string ScreenshotFolder();

// Saves the picture into folder (made when missing) as
// fompy-talden-YYYYMMDD-HHMMSS.png of the local time when, with "-2", "-3",
// ... after the time when that name is taken. Returns the file's path, or
// why it could not be written.
Result<std::string> SaveScreenshot(const std::string& folder, const Picture& picture,
                                   const Palette& palette, bool aspect, std::time_t when);

// F12: saves the picture now and names the file in one line on standard
// output, or says in one line on standard error why it could not.
void SaveScreenshotAndSay(const std::string& folder, const Picture& picture, const Palette& palette,
                          bool aspect);

}  // namespace platform
