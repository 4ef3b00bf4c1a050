// SPDX-License-Identifier: MIT
// options.h -- the command line. One table of options yields the parser, and
// with the tables of keys and exit statuses beside it the --help text and the
// manual page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/common/result.h"

namespace ft {

// How the players' window reaches the screen (--renderer).
enum class Renderer : std::uint8_t { Auto, Gpu, Software };
// How the players' window presents its pictures (--present).
enum class Present : std::uint8_t { Auto, Immediate, Vsync };

struct Options {
    bool help = false;
    bool version = false;
    // The headless run of tests, replays and benchmarks.
    bool headless = false;
    std::string scriptPath;               // empty: no key is ever pressed
    std::uint32_t clock = 0;              // seconds every reseed reads without a script value
    std::optional<std::uint64_t> frames;  // end right after the N-th present
    std::string logPath;                  // "-" is standard output
    std::string dumpDir;
    // The players' window. Where an option is not given, the settings file's
    // value holds (given names the options given).
    bool window = false;
    bool fullscreen = false;
    int fps = 70;
    int scale = 2;
    bool noAspect = false;      // square pixels instead of the 4:3 shape
    bool integerScale = false;  // whole multiples of the picture only
    bool sharp = false;         // --scaling sharp: whole multiples, then smoothed
    Renderer renderer = Renderer::Auto;
    Present present = Present::Auto;
    std::string frameLogPath;  // a line per picture shown: its frame and times
    // The comforts around the game.
    std::optional<int> volume;  // 0 to 100
    bool noSound = false;       // no sound device at all
    bool noAutopause = false;
    bool noSettings = false;  // neither read nor write the settings file
    // Recording and replaying sessions.
    std::string recordPath;    // the window run's input and reseeds, as a script
    std::string playbackPath;  // a script shown in the window at its normal speed
    std::uint32_t watch = 0;   // the game of the best-games table to play in the window; 0: none
    std::string timedemoPath;  // a script replayed headless as fast as possible
    std::string verifyPath;    // a script replayed headless and told game by game
    // A recording rendered into a video file (--video OUT REC).
    std::string videoPath;               // the video file; its extension chooses the container
    std::string videoRecording;          // the recording or key script it shows
    std::uint32_t game = 0;              // only game N of the recording; 0: the whole run
    std::vector<std::string> videoArgs;  // more arguments for ffmpeg
    // The kept recordings of the window runs.
    bool noHistory = false;          // this window run keeps no recording of its own
    bool scores = false;             // print the table of the best kept games
    std::vector<std::string> given;  // the names of the options given, without "--"
    bool Given(const std::string& name) const;
};

// The options, or why the command line is refused: one line, without the
// program's name.
using OptionsParse = platform::Result<Options>;

OptionsParse ParseOptions(const std::vector<std::string>& args);

// Whose texts: the desktop program's (SDL) or the Windows program's, which
// keeps its settings and pictures where Windows does, draws through GDI and
// hears no Guide button from its pads. The build's own by default; the
// tools of the build ask for either.
enum class System : std::uint8_t { Desktop, Windows };
#ifdef _WIN32
inline constexpr System kThisSystem = System::Windows;
#else
inline constexpr System kThisSystem = System::Desktop;
#endif

// One line of the option table, for --help, the manual page and the README.
struct OptionHelp {
    std::string name;      // without the leading "--"
    std::string argument;  // empty for a flag
    std::string help;      // what it does, with its default
};
std::vector<OptionHelp> DescribeOptions(System system = kThisSystem);

// One line of the table of keys: keys that do the same thing, named as the
// texts name them ("Up", "Keypad +", "]"), and the gamepad's buttons that do
// it too ("A", "d-pad").
// Whose keys: the game's; the port's own, around the game; a playback's
// (--playback), whatever the bindings.
enum class KeyGroup : std::uint8_t { Game, Comfort, Playback };
inline constexpr KeyGroup kKeyGroups[] = {KeyGroup::Game, KeyGroup::Comfort, KeyGroup::Playback};
struct KeyHelp {
    std::vector<std::string> keys;
    std::vector<std::string> buttons;  // none for a key no button stands for
    std::string what;                  // what they do, without a final stop
    KeyGroup group = KeyGroup::Game;
};
std::vector<KeyHelp> DescribeKeys(System system = kThisSystem);

// One line of the table of exit statuses: the status and every cause of it.
struct ExitStatusHelp {
    int status = 0;
    std::vector<std::string> causes;
};
std::vector<ExitStatusHelp> DescribeExitStatuses(System system = kThisSystem);

// The --help text, every line at most kHelpWidth columns.
std::string HelpText(System system = kThisSystem);
inline constexpr std::size_t kHelpWidth = 80;
std::string VersionText();

}  // namespace ft
