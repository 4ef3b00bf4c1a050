// png_dump.h -- pictures written as 8-bit indexed PNG files.
#pragma once

#include <string>

#include "platform/platform.h"

namespace platform {

// Writes the 320x200 picture with the palette as its PNG palette. Returns an
// empty string, or a one-line reason on failure.
std::string WriteIndexedPng(const std::string& path, const Picture& picture,
                            const Palette& palette);

}  // namespace platform
