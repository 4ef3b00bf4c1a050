// SPDX-License-Identifier: MIT
// sdl_platform.h -- the players' platform: an SDL2 window or desktop
// fullscreen, the keyboard and gamepads, frame pacing and the single sound voice.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "platform/journal/run_journal.h"
#include "platform/platform.h"
#include "platform/result.h"
#include "platform/script.h"
#include "platform/window/screen_fit.h"
#include "platform/window/settings.h"

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
    int windowWidth = 0;     // or the window's start size, when both are above 0
    int windowHeight = 0;
    ScreenFit fit;  // 4:3 or square pixels; any size or whole multiples
    RendererChoice renderer = RendererChoice::Auto;
    // The comforts around the game, none of which reaches its frames or log.
    bool sound = true;  // false: no sound device is opened at all
    int volume = 100;   // 0 to 100; M mutes, the keypad's + and - (and ] [) step it by 10
    bool mute = false;
    bool autopause = true;  // the window losing the keyboard pauses the game
    KeyBindings keys = DefaultKeyBindings();
    std::string screenshotFolder;  // where F12 saves the picture; empty: ScreenshotFolder()
    // Not owned; null writes nothing.
    LineSink* log = nullptr;     // the run log, as a headless run writes it
    LineSink* record = nullptr;  // the delivered input and reseeds, as a script
    // A recorded script standing in for the keyboard, shown at its normal
    // speed; Escape on the real keyboard ends it.
    std::optional<Script> playback;
};

// The players' platform, with the journal of its run.
class WindowPlatform : public Platform {
public:
    virtual RunJournal& Journal() = 0;
    // What the player changed during the run (Alt+Enter, the window's size,
    // the volume keys), to be remembered in the settings file.
    virtual SettingsChanges Changes() const = 0;
};

// Opens the window (or fullscreen). When the display cannot be opened, the
// failure names the cause in one line. The sound device opens, on a thread
// of its own, once the first picture is shown, and the gamepads at the first
// wait for a key; without a sound device the game plays
// silently after one warning on standard error.
Result<std::unique_ptr<WindowPlatform>> OpenSdlPlatform(const SdlOptions& options);

}  // namespace platform
