// sdl_platform.h -- the players' platform: an SDL2 window or desktop
// fullscreen, the keyboard and gamepads, frame pacing and the single sound voice.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/platform.h"
#include "platform/screen_fit.h"

namespace platform {

// How the picture reaches the screen.
enum class RendererChoice : std::uint8_t {
    Auto,      // picked at start-up: Gpu where the machine has a real GPU, else Software
    Gpu,       // SDL's accelerated renderer: the GPU scales the picture
    Software,  // the window surface, plain memory scaled by the program; no OpenGL
};

struct SdlOptions {
    bool fullscreen = true;  // desktop fullscreen, as the original took the whole screen
    int fps = 70;            // frames presented per second
    int scale = 2;           // start size of the window in multiples of PictureSize(fit)
    ScreenFit fit;           // 4:3 or square pixels; any size or whole multiples
    RendererChoice renderer = RendererChoice::Auto;
};

// Opens the window (or fullscreen) and the gamepads. When the display cannot
// be opened, returns null and sets error to one line naming the cause. The
// sound device is opened at the first cue; without one the game plays
// silently after one warning on standard error.
std::unique_ptr<Platform> OpenSdlPlatform(const SdlOptions& options, std::string& error);

}  // namespace platform
