// SPDX-License-Identifier: MIT
// settings.h -- the settings file of the players' platforms: what a player
// chose about the window, the sound and the keys, remembered from one run to
// the next. A plain text file of "name = value" lines that players may edit;
// the lines the program does not know (comments, settings of a later version)
// are kept as they are when it writes the file again.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/seam/platform.h"
#include "platform/common/result.h"

namespace platform {

// The keyboard keys (names from key_names.h) that hold each of the game's
// seven keys, indexed by Key.
using KeyBindings = std::array<std::vector<std::string>, kKeyCount>;
// The arrows and the keypad's arrows, Enter and the keypad's Enter, Escape, Space.
KeyBindings DefaultKeyBindings();
// The game's key that a keyboard key holds, if any.
std::optional<Key> BoundKey(const KeyBindings& bindings, std::string_view keyName);

struct Settings {
    bool fullscreen = true;
    int windowWidth = 0;  // the window's size; 0 by 0: from --scale
    int windowHeight = 0;
    bool aspect = true;  // 4:3, else square pixels
    bool integerScale = false;
    std::string scaling = "nearest";  // nearest or sharp
    std::string renderer = "auto";    // auto, gpu or software
    std::string present = "auto";     // auto, immediate or vsync
    int volume = 100;                 // 0 to 100
    bool mute = false;
    bool autopause = true;  // pause when the window loses the keyboard
    KeyBindings keys = DefaultKeyBindings();
    friend bool operator==(const Settings&, const Settings&) = default;
};

// The settings a player changes while playing, each set only when the player
// changed it, so that an option given on the command line for one run is not
// remembered unless the player changed it during that run.
struct SettingsChanges {
    std::optional<bool> fullscreen;
    std::optional<std::pair<int, int>> windowSize;
    std::optional<int> volume;
    std::optional<bool> mute;
};
void ApplyChanges(Settings& settings, const SettingsChanges& changes);

// The window as the run started, to tell what the player changed about it.
struct WindowAtStart {
    bool fullscreen = true;
    std::pair<int, int> size;
    // Adds to changes what differs now: fullscreen or window, the window's size.
    void AddChanges(bool fullscreenNow, std::pair<int, int> sizeNow,
                    SettingsChanges& changes) const {
        if (fullscreenNow != fullscreen) changes.fullscreen = fullscreenNow;
        if (sizeNow != size) changes.windowSize = sizeNow;
    }
};

// A settings file as read: the settings (defaults where the file says
// nothing or something wrong), its lines, and what was wrong with them, one
// line each ("FILE:LINE: what; the default instead"), without the program's name.
struct SettingsFile {
    Settings settings;
    std::vector<std::string> lines;
    std::vector<std::string> warnings;
    // There is a file, but it could not be read (a folder, a FIFO, no
    // permission, far too large): it is the player's, and never written over.
    bool unreadable = false;
    // There is no file yet: the game's first start for this player.
    bool missing = false;
};

// Never fails: every fault is a warning and a default.
SettingsFile ParseSettings(std::string_view text, std::string_view fileName);

// The file's text with the settings' values: the lines of the settings
// changed during the run rewritten in place, every other line kept as the
// player wrote it (faults included: they are told again at the next start),
// and the settings the file lacks appended where the file stays within the
// 64 KiB the reader takes.
std::string FormatSettings(const Settings& settings, const std::vector<std::string>& lines,
                           const SettingsChanges& changed);

// $XDG_CONFIG_HOME/fompy-talden/settings.ini, else ~/.config/...; on Windows
// %APPDATA%\fompy-talden\settings.ini. Empty when none of them is set.
std::string SettingsPath();

// Reads the file; a missing file is the defaults without a word (and missing), and one that
// cannot be read (or is no file: a FIFO is never waited on) is the defaults
// with a warning, and unreadable.
SettingsFile ReadSettingsFile(const std::string& path);

// Replaces the file at once: the text goes into a temporary file of this
// write's own beside it, which is then renamed over it, so that a crash or a
// full disk never leaves half a file. A link is written through: the file it
// leads to is replaced. The file keeps its mode. Makes the folder when it is
// missing. A text larger than the reader takes is not written. A failure
// reads "cannot write the settings 'PATH': cause".
Result<void> WriteSettingsFile(const std::string& path, const std::string& text);

}  // namespace platform
