// SPDX-License-Identifier: MIT
// png_dump.h -- pictures written as 8-bit indexed PNG files.
#pragma once

#include <string>

#include "core/seam/platform.h"
#include "platform/common/result.h"

namespace platform {

// Writes the 320x200 picture with the palette as its PNG palette; a failure
// reads "PATH: cannot write: cause".
Result<void> WriteIndexedPng(const std::string& path, const Picture& picture,
                             const Palette& palette);

}  // namespace platform
