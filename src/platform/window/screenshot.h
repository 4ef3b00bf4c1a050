// SPDX-License-Identifier: MIT
// screenshot.h -- the picture on the screen kept as a PNG file, shaped as
// players see it: 640x480 for the 4:3 picture, 640x400 with square pixels,
// every pixel of the game's picture a block of the file's (nearest neighbour).
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "core/seam/platform.h"
#include "platform/common/result.h"

namespace platform {

// An 8-bit picture of any size, shown through a palette.
struct IndexedImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // rows of width bytes
};

// The 320x200 picture scaled to 640x480 (aspect) or 640x400 (square pixels).
IndexedImage ScaleForScreenshot(const Picture& picture, bool aspect);

// Writes the image with the palette as its PNG palette into path, over any
// file there, as the headless picture dumps do; a failure reads "PATH: cause"
// with the path as given.
Result<void> WritePng(const std::string& path, const IndexedImage& image, const Palette& palette);

// $XDG_PICTURES_DIR/fompy-talden when it is a folder from the root, else the
// Pictures folder that the desktop's user-dirs.dirs names, else
// ~/Pictures/fompy-talden; on Windows, where the system's own Pictures folder
// comes first, %USERPROFILE%\Pictures\fompy-talden. Empty when none is known.
std::string ScreenshotFolder();

// Saves the picture into folder (made when missing) as a new file
// fompy-talden-YYYYMMDD-HHMMSS.png of the local time when, with "-2", "-3",
// ... up to "-1000" after the time when that name is taken. A name is taken
// by anything there, a symbolic link too (even one that leads nowhere): no
// file is written over and no link followed. Returns the file's path, or why
// it could not be written, the paths in that reason shown by PrintableText;
// a file begun and not finished is removed.
Result<std::string> SaveScreenshot(const std::string& folder, const Picture& picture,
                                   const Palette& palette, bool aspect, std::time_t when);

// F12: saves the picture now and names the file in one line on standard
// output, or says in one line on standard error why it could not; paths as
// PrintableText shows them.
void SaveScreenshotAndSay(const std::string& folder, const Picture& picture, const Palette& palette,
                          bool aspect);

}  // namespace platform
