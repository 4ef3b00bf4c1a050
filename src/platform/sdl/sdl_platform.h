// SPDX-License-Identifier: MIT
// sdl_platform.h -- the players' platform: an SDL2 window or desktop
// fullscreen, the keyboard and gamepads, frame pacing and the single sound voice.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/common/result.h"
#include "platform/window/player_platform.h"
#include "platform/window/window_platform.h"

namespace platform {

// How the picture reaches the screen.
enum class RendererChoice : std::uint8_t {
    Auto,      // picked at start-up: Gpu where the machine has a real GPU, else Software
    Gpu,       // SDL's accelerated renderer: the GPU scales the picture
    Software,  // the window surface, plain memory scaled by the program; no OpenGL
};

struct SdlOptions : WindowOptions {
    RendererChoice renderer = RendererChoice::Auto;
};

// Opens the window (or fullscreen). When the display cannot be opened, the
// failure names the cause in one line. The sound device opens, on a thread
// of its own, once the first picture is shown, and the gamepads at the first
// wait for a key; without a sound device the game plays
// silently after one warning on standard error.
Result<std::unique_ptr<PlayerPlatform>> OpenSdlPlatform(const SdlOptions& options);

}  // namespace platform
