// SPDX-License-Identifier: MIT
// warning.h -- how the platforms tell the player something went wrong while
// the game goes on: one line on standard error after the program's name.
// The entry points alone print anything else there.
#pragma once

#include <string_view>

namespace platform {

// Writes "fompy-talden: what" and a line end, in one write, so that lines
// from the sound's thread and the game's never interleave.
void Warn(std::string_view what);

}  // namespace platform
