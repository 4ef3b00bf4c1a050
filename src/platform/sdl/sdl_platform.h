// sdl_platform.h -- the players' platform: an SDL2 window or desktop
// fullscreen, the keyboard, frame pacing and the single sound voice.
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"

namespace platform {

struct SdlOptions {
    bool fullscreen = true;  // desktop fullscreen, as the original took the whole screen
    int fps = 70;            // frames presented per second
    int scale = 2;           // start size of the window in multiples of 320x200
};

// Opens the window (or fullscreen) and the sound device. When the display
// cannot be opened, returns null and sets error to one line naming the cause.
// A missing sound device is not an error: the game plays silently and one
// warning goes to standard error.
std::unique_ptr<Platform> OpenSdlPlatform(const SdlOptions& options, std::string& error);

}  // namespace platform
