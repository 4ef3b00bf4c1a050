// SPDX-License-Identifier: MIT
// window_platform.h -- the options the platforms that open a window for a
// player start with.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/seam/platform.h"
#include "platform/common/line_sink.h"
#include "platform/common/script.h"
#include "platform/window/screen_fit.h"
#include "platform/window/settings.h"

namespace platform {

// How a picture reaches the display on the GPU path and on Windows.
enum class PresentMode : std::uint8_t {
    Auto,       // Vsync where the driver offers it, else Immediate
    Immediate,  // at once, from the game's thread: it may tear
    Vsync,      // the newest finished picture at each refresh, from a thread of its own
};

struct WindowOptions {
    bool fullscreen = true;  // the whole screen, as the original took it
    int fps = 70;            // frames presented per second
    int scale = 2;           // start size of the window in multiples of PictureSize(fit)
    int windowWidth = 0;     // or the window's start size, when both are above 0
    int windowHeight = 0;
    ScreenFit fit;  // 4:3 or square pixels; any size or whole multiples
    // The comforts around the game, none of which reaches its frames or log.
    bool sound = true;  // false: no sound device is opened at all
    int volume = 100;   // 0 to 100; M mutes, the keypad's + and - (and ] [) step it by 10
    bool mute = false;
    bool autopause = true;  // the window losing the keyboard pauses the game
    KeyBindings keys = DefaultKeyBindings();
    std::string screenshotFolder;  // where F12 saves the picture; empty: the platform's choice
    // Not owned; null writes nothing.
    LineSink* log = nullptr;     // the run log, as a headless run writes it
    LineSink* record = nullptr;  // the delivered input and reseeds, as a script
    // One line per picture shown: its frame, when the game finished it and
    // when the display had it (frame_readout.h).
    LineSink* frameLog = nullptr;
    PresentMode present = PresentMode::Auto;
    // A recorded script standing in for the keyboard, shown at its normal
    // speed; Escape on the real keyboard ends it.
    std::optional<Script> playback;
    // Of a playback, the part to show: before the run's time from, the
    // recording plays fast and unseen; it ends after a moment's hold at
    // until, or, for a game that ended on its game-over screen, at the first
    // wait from then on.
    struct WatchSpan {
        std::uint64_t from = 0;
        std::uint64_t until = 0;
        bool toGameOver = false;
    };
    std::optional<WatchSpan> watch;
};

}  // namespace platform
