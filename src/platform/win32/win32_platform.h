// SPDX-License-Identifier: MIT
// win32_platform.h -- the players' platform on Windows, on the system's own
// libraries: a window or borderless fullscreen from user32, the picture put
// on screen through GDI, keys from the window's messages, pacing on a
// waitable timer and the single voice on the wave-out device.
#pragma once

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

struct Win32Options {
    bool fullscreen = true;  // borderless over the whole monitor, as the original took the screen
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
    std::string screenshotFolder;  // where F12 saves the picture; empty: the Pictures folder's
    // Not owned; null writes nothing.
    LineSink* log = nullptr;     // the run log, as a headless run writes it
    LineSink* record = nullptr;  // the delivered input and reseeds, as a script
    // A recorded script standing in for the keyboard, shown at its normal
    // speed; Escape on the real keyboard ends it.
    std::optional<Script> playback;
};

// The players' platform on Windows, with the journal of its run.
class Win32Host : public Platform {
public:
    virtual RunJournal& Journal() = 0;
    // What the player changed during the run (Alt+Enter, the window's size,
    // the volume keys), to be remembered in the settings file.
    virtual SettingsChanges Changes() const = 0;
};

// Opens the window (or fullscreen). When it cannot be opened, the failure
// names the cause in one line. The sound device is opened at the first cue;
// without one the game plays silently after one warning on standard error.
Result<std::unique_ptr<Win32Host>> OpenWin32Platform(const Win32Options& options);

}  // namespace platform
