// SPDX-License-Identifier: MIT
// win32_platform.h -- the players' platform on Windows, on the system's own
// libraries: a window or borderless fullscreen from user32, the picture put
// on screen through GDI, keys from the window's messages, pacing on a
// waitable timer and the single voice on the wave-out device.
#pragma once

#include <memory>

#include "platform/common/result.h"
#include "platform/window/player_platform.h"
#include "platform/window/window_platform.h"

namespace platform {

// Opens the window (or fullscreen). When it cannot be opened, the failure
// names the cause in one line. The sound device is opened at the first cue;
// without one the game plays silently after one warning on standard error.
Result<std::unique_ptr<PlayerPlatform>> OpenWin32Platform(const WindowOptions& options);

}  // namespace platform
