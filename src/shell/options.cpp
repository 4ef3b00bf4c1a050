// SPDX-License-Identifier: MIT
// options.cpp -- parsing the command line from the option table; the tables
// of keys and exit statuses beside it, and the --help text made of all three.
#include "shell/options.h"

#include <algorithm>
#include <functional>
#include <limits>

#include "platform/common/script.h"
#include "platform/common/text.h"

namespace ft {

namespace {

// Which runs an option belongs to.
enum class Scope : std::uint8_t {
    Any,
    Window,    // the players' window
    Headless,  // --headless; --clock and --frames also serve --timedemo
    Video,     // --video only
};

struct OptionSpec {
    const char* name;      // without the leading "--"
    const char* argument;  // nullptr for a flag
    const char* help;
    // Stores the value (or sets the flag); returns an error reason or "".
    std::function<std::string(Options&, const std::string&)> apply;
    Scope scope = Scope::Any;
    const char* windowsHelp = nullptr;  // the Windows program's help, where it differs
    bool video = false;                 // a window option that --video takes too
    // The name of a second value the option takes after the first, and
    // where it goes; nullptr for one value or none.
    const char* second = nullptr;
    std::function<std::string(Options&, const std::string&)> applySecond = nullptr;
};

// ffmpeg's arguments of --video-args: the words of the text, split at
// spaces and tabs, none empty. Refused when none or one holds a control byte.
std::string SplitVideoArgs(const std::string& text, std::vector<std::string>& words) {
    words.clear();
    std::string word;
    for (const char c : text) {
        if (c == ' ' || c == '\t') {
            if (!word.empty()) words.push_back(word);
            word.clear();
        } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            return "expects arguments for ffmpeg without control characters";
        } else {
            word += c;
        }
    }
    if (!word.empty()) words.push_back(word);
    return words.empty() ? std::string("expects arguments for ffmpeg") : std::string();
}

// A whole number in [min, max], or an error reason.
std::string ParseNumber(const std::string& text, std::uint64_t min, std::uint64_t max,
                        std::uint64_t& value) {
    const std::string range =
        "a whole number from " + std::to_string(min) + " to " + std::to_string(max);
    const platform::Decimal number = platform::ParseDecimal(text, max);
    if (number.status != platform::Decimal::Status::Ok || number.value < min) {
        return "expects " + range + ", not '" + text + "'";
    }
    value = number.value;
    return {};
}

// Where the help texts of the options start in --help (columns).
constexpr std::size_t kHelpColumn = 20;

// Appends lead and then the words of text, wrapped into lines of at most
// kHelpWidth columns; lines after the first start with indent spaces. A word
// longer than a line gets a line of its own.
void AppendWrapped(std::string& out, const std::string& lead, const std::string& text,
                   std::size_t indent) {
    std::string line = lead;
    bool lineHasWord = false;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find(' ', start), text.size());
        const std::string word = text.substr(start, end - start);
        start = end + 1;
        if (word.empty()) continue;
        if (lineHasWord && line.size() + 1 + word.size() > kHelpWidth) {
            out += line + "\n";
            line.assign(indent, ' ');
            lineHasWord = false;
        }
        if (lineHasWord) line += ' ';
        line += word;
        lineHasWord = true;
    }
    out += line + "\n";
}

const std::vector<OptionSpec>& OptionTable() {
    static const std::vector<OptionSpec> table = {
        {"window", nullptr,
         "play in a window instead of fullscreen; Alt+Enter switches at any time "
         "(default: fullscreen, or as the settings file remembers)",
         [](Options& o, const std::string&) {
             o.window = true;
             return std::string();
         },
         Scope::Window},
        {"fullscreen", nullptr,
         "play fullscreen even where the settings file remembers a window (default: "
         "fullscreen, or as the settings file remembers)",
         [](Options& o, const std::string&) {
             o.fullscreen = true;
             return std::string();
         },
         Scope::Window},
        {"scale", "N",
         "window's start size, N times 320 wide; a --video's size, 640x480 by default "
         "(1 to 16, default 2)",
         [](Options& o, const std::string& v) {
             std::uint64_t n = 0;
             auto e = ParseNumber(v, 1, 16, n);
             o.scale = static_cast<int>(n);
             return e;
         },
         Scope::Window, nullptr, true},
        {"no-aspect", nullptr,
         "square pixels, 320x200, instead of the 4:3 shape of the monitors of the day, "
         "each pixel 1.2 times as tall as wide; a --video 640x400 (default: 4:3)",
         [](Options& o, const std::string&) {
             o.noAspect = true;
             return std::string();
         },
         Scope::Window, nullptr, true},
        {"integer-scale", nullptr,
         "scale the picture by whole multiples only, with wider black bars "
         "(default: the largest size that fits)",
         [](Options& o, const std::string&) {
             o.integerScale = true;
             return std::string();
         },
         Scope::Window},
        {"scaling", "nearest|sharp",
         "how the picture is scaled to its size: nearest, each pixel a block of window pixels, "
         "some rows a pixel taller than others where the size is no whole multiple; sharp, by "
         "whole multiples first and smoothed the rest of the way, every row as tall as the "
         "next, with a soft edge a pixel wide between them; --integer-scale wins over both "
         "(default: nearest)",
         [](Options& o, const std::string& v) {
             if (v == "nearest") {
                 o.sharp = false;
             } else if (v == "sharp") {
                 o.sharp = true;
             } else {
                 return "expects nearest or sharp, not '" + v + "'";
             }
             return std::string();
         },
         Scope::Window},
        {"renderer", "gpu|software",
         "who scales the picture: the GPU, or the program itself into the window without "
         "OpenGL (default: auto, picked at start-up)",
         [](Options& o, const std::string& v) {
             if (v == "gpu") {
                 o.renderer = Renderer::Gpu;
             } else if (v == "software") {
                 o.renderer = Renderer::Software;
             } else if (v == "auto") {
                 o.renderer = Renderer::Auto;
             } else {
                 return "expects gpu or software, not '" + v + "'";
             }
             return std::string();
         },
         Scope::Window,
         "accepted, and of no effect here: this program always draws through Windows' "
         "own GDI (default: auto)"},
        {"present", "auto|immediate|vsync",
         "how the GPU path shows each picture: vsync, the newest finished picture at each "
         "refresh of the display, never torn, the game keeping its own clock; immediate, at "
         "once, as it may tear; the program's own drawing, without the GPU, always shows it "
         "at once (default: auto, vsync where the driver offers it)",
         [](Options& o, const std::string& v) {
             if (v == "auto") {
                 o.present = Present::Auto;
             } else if (v == "immediate") {
                 o.present = Present::Immediate;
             } else if (v == "vsync") {
                 o.present = Present::Vsync;
             } else {
                 return "expects auto, immediate or vsync, not '" + v + "'";
             }
             return std::string();
         },
         Scope::Window,
         "how each picture is shown, the game keeping its own clock: vsync, the newest "
         "finished picture drawn once the desktop's compositor has made its frame, never torn, "
         "waited for off the game's thread; immediate, at once; where the compositor is off, "
         "as under Wine, always at once (default: auto, vsync where the compositor is on)"},
        {"frame-log", "FILE",
         "window: write a line per picture shown to FILE, 'GAME_FRAME FINISHED_US "
         "PRESENTED_US', its frame and when the game finished it and the display had it, in "
         "microseconds of the run (default: none)",
         [](Options& o, const std::string& v) {
             o.frameLogPath = v;
             return v.empty() ? std::string("expects a file name") : std::string();
         },
         Scope::Window},
        {"fps", "N", "frames per second, the game's speed, a --video's too (1 to 1000, default 70)",
         [](Options& o, const std::string& v) {
             std::uint64_t n = 0;
             auto e = ParseNumber(v, 1, 1000, n);
             o.fps = static_cast<int>(n);
             return e;
         },
         Scope::Window, nullptr, true},
        {"volume", "N",
         "sound volume, 0 (silent) to 100; in the game M mutes and the keypad's + and - "
         "(or ] and [) step it by 10; a --video's sound track too, where the settings file "
         "plays no part (default: 100, or as the settings file remembers)",
         [](Options& o, const std::string& v) {
             std::uint64_t n = 0;
             auto e = ParseNumber(v, 0, 100, n);
             o.volume = static_cast<int>(n);
             return e;
         },
         Scope::Window, nullptr, true},
        {"no-sound", nullptr, "open no sound device at all (default: sound)",
         [](Options& o, const std::string&) {
             o.noSound = true;
             return std::string();
         },
         Scope::Window},
        {"no-autopause", nullptr,
         "keep playing when the window loses the keyboard or is minimised (default: the "
         "game pauses then)",
         [](Options& o, const std::string&) {
             o.noAutopause = true;
             return std::string();
         },
         Scope::Window},
        {"no-settings", nullptr,
         "neither read nor write the settings file, "
         "$XDG_CONFIG_HOME/fompy-talden/settings.ini (default: read at the start, written "
         "at the end)",
         [](Options& o, const std::string&) {
             o.noSettings = true;
             return std::string();
         },
         Scope::Window,
         "neither read nor write the settings file, %APPDATA%\\fompy-talden\\settings.ini "
         "(default: read at the start, written at the end)"},
        {"headless", nullptr,
         "run without window or sound, for tests and replays: scripted keys, logged "
         "output (default: the players' window and sound)",
         [](Options& o, const std::string&) {
             o.headless = true;
             return std::string();
         }},
        {"script", "FILE", "headless: the key events to play (default: no key is ever pressed)",
         [](Options& o, const std::string& v) {
             o.scriptPath = v;
             return v.empty() ? std::string("expects a file name") : std::string();
         },
         Scope::Headless},
        {"clock", "SECONDS",
         "headless: the calendar time every reseed reads (0 to 4294967295, default 0)",
         [](Options& o, const std::string& v) {
             std::uint64_t n = 0;
             auto e = ParseNumber(v, 0, std::numeric_limits<std::uint32_t>::max(), n);
             o.clock = static_cast<std::uint32_t>(n);
             return e;
         },
         Scope::Headless},
        {"frames", "N",
         "headless: end the run right after the N-th presented frame (default: no limit)",
         [](Options& o, const std::string& v) {
             std::uint64_t n = 0;
             auto e = ParseNumber(v, 1, std::numeric_limits<std::int64_t>::max(), n);
             o.frames = n;
             return e;
         },
         Scope::Headless},
        {"log", "FILE",
         "write the run's events to FILE, '-' for standard output, in the same form for a "
         "window run as for a headless one (default: no log)",
         [](Options& o, const std::string& v) {
             o.logPath = v;
             return v.empty() ? std::string("expects a file name") : std::string();
         }},
        {"dump", "DIR",
         "headless: also write every picture as DIR/000000.png, 000001.png, ... "
         "(default: no pictures)",
         [](Options& o, const std::string& v) {
             o.dumpDir = v;
             return v.empty() ? std::string("expects a directory") : std::string();
         },
         Scope::Headless},
        {"record", "FILE",
         "window: write the session to FILE as a script that replays it exactly with --headless "
         "--script (default: not recorded)",
         [](Options& o, const std::string& v) {
             o.recordPath = v;
             return v.empty() ? std::string("expects a file name") : std::string();
         },
         Scope::Window},
        {"playback", "FILE",
         "show the session of a script in the window at its normal speed; Escape ends it (default: "
         "the keyboard plays)",
         [](Options& o, const std::string& v) {
             o.playbackPath = v;
             return v.empty() ? std::string("expects a file name") : std::string();
         },
         Scope::Window},
        {"watch", "N",
         "play game N of the best kept games (see --scores) in the window: what comes before it "
         "in its recording fast and unseen, then the game at its pace to its end (default: off)",
         [](Options& o, const std::string& v) {
             std::uint64_t n = 0;
             auto e = ParseNumber(v, 1, 10, n);
             o.watch = static_cast<std::uint32_t>(n);
             return e;
         },
         Scope::Window},
        {"timedemo", "FILE",
         "replay a script headless as fast as the machine allows and print the frame rate; takes "
         "--clock and --frames (default: off)",
         [](Options& o, const std::string& v) {
             o.timedemoPath = v;
             return v.empty() ? std::string("expects a file name") : std::string();
         }},
        {"verify", "FILE",
         "replay a script headless as fast as the machine allows and print a line for each "
         "game (its variant, starting level, last score and level shown, frames and end) and "
         "one for the run; takes --clock and --frames (default: off)",
         [](Options& o, const std::string& v) {
             o.verifyPath = v;
             return v.empty() ? std::string("expects a file name") : std::string();
         }},
        {"video", "OUT",
         "render the run of the recording or key script REC headless, as fast as the machine "
         "allows, into the video file OUT with its sound, through the program ffmpeg: every "
         "frame the player saw, shaped as a screenshot is, at --fps frames a second; "
         "OUT's extension chooses the container: .mp4 (H.264, AAC), .webm (VP9, Opus), .mkv "
         "(lossless H.264, FLAC) or .gif (no sound). Takes --clock, --frames, --game, "
         "--video-args, --volume, --scale and --no-aspect (default: off)",
         [](Options& o, const std::string& v) {
             o.videoPath = v;
             return v.empty() ? std::string("expects a file name") : std::string();
         },
         Scope::Any, nullptr, false, "REC",
         [](Options& o, const std::string& v) {
             o.videoRecording = v;
             return v.empty() ? std::string("expects a recording's file name") : std::string();
         }},
        {"game", "N",
         "--video: only game N of the recording (as --verify counts them), from its start "
         "to its last frame, and two seconds of its game-over screen (default: the whole run)",
         [](Options& o, const std::string& v) {
             std::uint64_t n = 0;
             auto e = ParseNumber(v, 1, std::numeric_limits<std::uint32_t>::max(), n);
             o.game = static_cast<std::uint32_t>(n);
             return e;
         },
         Scope::Video},
        {"video-args", "ARGS",
         "--video: more arguments for ffmpeg, split at spaces, after the program's own and "
         "before the output's name, such as '-crf 30' (default: none)",
         [](Options& o, const std::string& v) { return SplitVideoArgs(v, o.videoArgs); },
         Scope::Video},
        {"no-history", nullptr,
         "keep no recording of this run among the kept games, "
         "$XDG_STATE_HOME/fompy-talden/recordings (default: every window run not a "
         "--playback is kept, the last 50 and those of the best games)",
         [](Options& o, const std::string&) {
             o.noHistory = true;
             return std::string();
         },
         Scope::Window,
         "keep no recording of this run among the kept games, "
         "%LOCALAPPDATA%\\fompy-talden\\recordings (default: every window run not a "
         "--playback is kept, the last 50 and those of the best games)"},
        {"scores", nullptr,
         "print the ten best kept games, best first: rank, score, variant and starting "
         "level, when the run began, and the recording and the game's number in it, each "
         "played again by the game to its score; then exit (default: off)",
         [](Options& o, const std::string&) {
             o.scores = true;
             return std::string();
         }},
        {"help", nullptr, "show this help and exit",
         [](Options& o, const std::string&) {
             o.help = true;
             return std::string();
         }},
        {"version", nullptr, "show the version and exit",
         [](Options& o, const std::string&) {
             o.version = true;
             return std::string();
         }},
    };
    return table;
}

}  // namespace

namespace {

OptionsParse ParseFromTable(const std::vector<std::string>& args) {
    Options options;
    std::string windowOption;    // the first window-only option given
    std::string headlessOption;  // the first headless-only option given
    std::string notVideoOption;  // the first window-only option that --video does not take
    std::string videoOption;     // the first option only --video takes
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        if (arg == "-h") arg = "--help";
        if (arg == "-V") arg = "--version";
        if (arg.rfind("--", 0) != 0) {
            return platform::Failure{"unexpected argument '" + arg + "'; try --help"};
        }
        const std::size_t equals = arg.find('=');
        const std::string name =
            arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
        const OptionSpec* option = nullptr;
        for (const OptionSpec& s : OptionTable()) {
            if (name == s.name) option = &s;
        }
        if (option == nullptr) {
            return platform::Failure{"unknown option '--" + name + "'; try --help"};
        }
        std::string value;
        if (option->argument == nullptr) {
            if (equals != std::string::npos) {
                return platform::Failure{"option '--" + name + "' takes no value"};
            }
        } else if (equals != std::string::npos) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            return platform::Failure{"option '--" + name + "' needs " + option->argument};
        }
        std::string reason = option->apply(options, value);
        if (option->second != nullptr && reason.empty()) {
            if (i + 1 >= args.size()) {
                return platform::Failure{"option '--" + name + "' needs " + option->argument +
                                         " and " + option->second};
            }
            reason = option->applySecond(options, args[++i]);
        }
        options.given.emplace_back(name);
        if (option->scope == Scope::Window && windowOption.empty()) windowOption = name;
        if (option->scope == Scope::Window && !option->video && notVideoOption.empty()) {
            notVideoOption = name;
        }
        if (option->scope == Scope::Video && videoOption.empty()) videoOption = name;
        if (option->scope == Scope::Headless && headlessOption.empty()) headlessOption = name;
        if (!reason.empty()) {
            return platform::Failure{"option '--" + name + "' " + reason};
        }
    }
    const Options& o = options;
    if (o.scores && o.given.size() > 1) {
        return platform::Failure{
            "--scores prints the table of the best kept games and takes no "
            "other option"};
    }
    if (!o.videoPath.empty()) {
        // A headless run of its own, with a few of the window's options.
        for (const char* other : {"timedemo", "verify", "headless", "script", "log", "dump"}) {
            if (o.Given(other)) {
                return platform::Failure{std::string("--") + other +
                                         " cannot go with --video, which renders its "
                                         "recording into the video file"};
            }
        }
        if (!notVideoOption.empty()) {
            return platform::Failure{"--" + notVideoOption +
                                     " is for the window, not a --video run"};
        }
        return options;
    }
    if (!videoOption.empty()) return platform::Failure{"--" + videoOption + " needs --video"};
    // --timedemo and --verify are headless replays of their own.
    if (!o.timedemoPath.empty() && !o.verifyPath.empty()) {
        return platform::Failure{"--timedemo and --verify cannot be used together"};
    }
    const bool replay = !o.timedemoPath.empty() || !o.verifyPath.empty();
    const std::string replayOption = !o.timedemoPath.empty() ? "--timedemo" : "--verify";
    if (o.headless && replay) {
        return platform::Failure{replayOption +
                                 " is a headless run of its own; leave out --headless"};
    }
    if ((o.headless || replay) && !windowOption.empty()) {
        return platform::Failure{"--" + windowOption + " is for the window, not a " +
                                 (replay ? replayOption : "--headless") + " run"};
    }
    if (replay && (!o.scriptPath.empty() || !o.logPath.empty() || !o.dumpDir.empty())) {
        return platform::Failure{replayOption +
                                 " writes no log or pictures and takes its script as its value"};
    }
    if (!o.headless && !replay && !headlessOption.empty()) {
        return platform::Failure{"--" + headlessOption + " needs --headless"};
    }
    if (o.window && o.fullscreen) {
        return platform::Failure{"--window and --fullscreen cannot be used together"};
    }
    if (o.noSound && o.volume) {
        return platform::Failure{"--volume has no sound to set with --no-sound"};
    }
    if (!o.recordPath.empty() && !o.playbackPath.empty()) {
        return platform::Failure{"--record and --playback cannot be used together"};
    }
    if (o.watch != 0 && (!o.playbackPath.empty() || !o.recordPath.empty())) {
        return platform::Failure{"--watch plays a kept game; leave out --playback and --record"};
    }
    return options;
}

}  // namespace

OptionsParse ParseOptions(const std::vector<std::string>& args) {
    OptionsParse result = ParseFromTable(args);
    // Messages quote what the user typed; they stay one line whatever it holds.
    if (!result) return platform::Failure{platform::PrintableText(result.reason())};
    return result;
}

bool Options::Given(const std::string& name) const {
    return std::find(given.begin(), given.end(), name) != given.end();
}

std::vector<OptionHelp> DescribeOptions(System system) {
    std::vector<OptionHelp> lines;
    for (const OptionSpec& s : OptionTable()) {
        const bool windows = system == System::Windows && s.windowsHelp != nullptr;
        std::string argument = s.argument != nullptr ? s.argument : "";
        if (s.second != nullptr) argument += std::string(" ") + s.second;
        lines.push_back({s.name, argument, windows ? s.windowsHelp : s.help});
    }
    return lines;
}

std::vector<KeyHelp> DescribeKeys(System system) {
    const bool windows = system == System::Windows;
    // XInput, Windows' pad interface, reports no Guide button: there a pad
    // leaves a pause by Start, and pauses nothing.
    const std::vector<std::string> pauseButtons =
        windows ? std::vector<std::string>{} : std::vector<std::string>{"Guide"};
    const std::string pause =
        std::string(windows ? "pause the game; P, Pause or the pad's Start resume it (XInput "
                              "reports no Guide button)"
                            : "pause the game; P, Pause, Guide or the pad's Start resume it "
                              "(Guide where the system lets it through)") +
        ". The window losing the keyboard or being minimised pauses too, unless --no-autopause "
        "is given; after such a pause any key bound to one of the game's seven keys, P, Pause "
        "or any pad button resumes. The key or button that resumes never reaches the game";
    const std::string screenshot =
        windows ? "save the picture on the screen as a PNG file in Pictures\\fompy-talden, in "
                  "the user's Pictures folder, and print its name"
                : "save the picture on the screen as a PNG file in fompy-talden in the Pictures "
                  "folder ($XDG_PICTURES_DIR, or the one ~/.config/user-dirs.dirs names, else "
                  "~/Pictures) and print its name";
    return {
        {{"Up", "Down"},
         {"d-pad", "left stick"},
         "in the menu, move the marker; in a game, Up turns the piece and Down, held, makes it "
         "fall faster",
         KeyGroup::Game},
        {{"Left", "Right"}, {"d-pad", "left stick"}, "in a game, move the piece", KeyGroup::Game},
        {{"Enter"},
         {"A", "Start"},
         "in the menu, choose the marked item; leaves the intro and the game-over screen",
         KeyGroup::Game},
        {{"Escape"},
         {"B", "Back"},
         "closes the information screen; in a game, back to the menu; leaves the game-over "
         "screen",
         KeyGroup::Game},
        {{"Space"}, {"X"}, "leaves the game-over screen", KeyGroup::Game},
        {{"Keypad arrows", "Keypad Enter"},
         {},
         "the arrows (the keypad's 2, 4, 6 and 8 while Num Lock is off) and Enter",
         KeyGroup::Game},
        {{"P", "Pause"}, pauseButtons, pause, KeyGroup::Comfort},
        {{"Alt+Enter"}, {}, "switch between fullscreen and a window", KeyGroup::Comfort},
        {{"F12", "Print Screen"}, {}, screenshot, KeyGroup::Comfort},
        {{"F10"},
         {},
         "show over the picture the game's frames in the last second, the display's refresh "
         "rate and the longest interval between two frames in the last second; F10 again "
         "takes it away",
         KeyGroup::Comfort},
        {{"M"},
         {},
         "mute the sound and turn it on again; SOUND OFF shows for a moment",
         KeyGroup::Comfort},
        {{"Keypad +", "Keypad -", "]", "["},
         {},
         "step the volume up and down by 10; the volume shows over the picture for a moment",
         KeyGroup::Comfort},
        {{"Right"},
         {"d-pad"},
         "faster: x2, x4, x8, as the mark over the picture says (REPLAY X2); above x1 not every "
         "picture is shown, though every frame runs",
         KeyGroup::Playback},
        {{"Left"}, {"d-pad"}, "slower, down to x1/4 (REPLAY X1/4)", KeyGroup::Playback},
        {{"Space"}, {"A"}, "pause the playback, and go on", KeyGroup::Playback},
        {{"Down"}, {"d-pad"}, "in a paused playback, one more frame", KeyGroup::Playback},
        {{"Escape"}, {}, "end the playback", KeyGroup::Playback},
    };
}

std::vector<ExitStatusHelp> DescribeExitStatuses(System system) {
    std::vector<std::string> ends = {"\"QUIT\""};
    if (system == System::Windows) {
        ends.emplace_back("a close request (the close button, Alt+F4)");
    } else {
        ends.emplace_back("a close request");
        ends.emplace_back("SIGINT, SIGTERM or SIGHUP");
        ends.emplace_back("the display going away under the game");
    }
    ends.emplace_back("a headless run, a --timedemo or a --verify that comes to its end");
    ends.emplace_back("a --video made");
    ends.emplace_back("--help, --version and --scores");
    return {
        {0, ends},
        {1,
         {"the display cannot be opened", "--scores finds no folder of kept games to look in",
          "an output cannot be written (the --log, the --record recording, a --dump picture "
          "or its folder, standard output)",
          std::string(system == System::Windows ? "ffmpeg.exe" : "ffmpeg") +
              " is not on the PATH for --video",
          "the --video cannot be made (ffmpeg failed or was ended, the disk is full)"}},
        {2,
         {"a bad option or value", "options that cannot go together",
          "an output that is also an input", "a file where --dump would put a picture",
          "a bad or unreadable script (--script, --playback, --timedemo, --verify, --video)",
          "a --video file not named .mp4, .webm, .mkv or .gif",
          "a --game the recording does not hold"}},
    };
}

namespace {

std::string Joined(const std::vector<std::string>& words, const char* between) {
    std::string text;
    for (const std::string& word : words) {
        if (!text.empty()) text += between;
        text += word;
    }
    return text;
}

// A term and its text, the text starting at kHelpColumn (or on the next
// line when the term is too long for the column).
void AppendEntry(std::string& out, const std::string& term, const std::string& text) {
    std::string left = "  " + term;
    if (left.size() + 2 > kHelpColumn) {
        out += left + "\n";
        left.clear();
    }
    left.resize(kHelpColumn, ' ');
    AppendWrapped(out, left, text, kHelpColumn);
}

}  // namespace

std::string HelpText(System system) {
    const bool windows = system == System::Windows;
    std::string text =
        "Usage: fompy-talden [OPTION]...\n"
        "FOMPY TALDEN, a falling-block puzzle game.\n";
    const std::vector<KeyHelp> keys = DescribeKeys(system);
    for (const KeyGroup group : kKeyGroups) {
        text += group == KeyGroup::Game      ? "\nKeys (and a gamepad's buttons):\n"
                : group == KeyGroup::Comfort ? "\nThe port's own keys, around the game:\n"
                                             : "\nIn a playback, whatever the bindings (it is "
                                               "marked REPLAY over the picture):\n";
        for (const KeyHelp& key : keys) {
            if (key.group != group) continue;
            std::string what = key.what;
            if (!key.buttons.empty()) what += " (gamepad: " + Joined(key.buttons, ", ") + ")";
            AppendEntry(text, Joined(key.keys, ", "), what);
        }
    }
    text += "\n";
    AppendWrapped(text, "",
                  windows ? "The settings file, %APPDATA%\\fompy-talden\\settings.ini, remembers "
                            "the window, the sound and other keys for the game's keys (see "
                            "README.txt)."
                          : "The settings file, $XDG_CONFIG_HOME/fompy-talden/settings.ini "
                            "(~/.config/fompy-talden/ where that is not set), remembers the "
                            "window, the sound and other keys for the game's keys (see the "
                            "README).",
                  0);
    text += "\nOptions:\n";
    for (const OptionHelp& line : DescribeOptions(system)) {
        std::string term = "--" + line.name;
        if (!line.argument.empty()) term += " " + line.argument;
        AppendEntry(text, term, line.help);
    }
    text += "\nExit status:\n";
    for (const ExitStatusHelp& status : DescribeExitStatuses(system)) {
        AppendWrapped(text, "  " + std::to_string(status.status) + "   ",
                      Joined(status.causes, "; "), 6);
    }
    return text;
}

std::string VersionText() {
    return std::string("fompy-talden ") + FT_VERSION +
           "\nA port of a full-screen falling-block game of the 1990s to today's desktops.\n";
}

}  // namespace ft
