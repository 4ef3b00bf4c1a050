// SPDX-License-Identifier: MIT
// make_manpage.cpp -- writes the manual page, fompy-talden(6), in troff. Its
// OPTIONS, KEYS and EXIT STATUS sections come from the same tables as
// --help, so the two never disagree.
//
// Usage: make_manpage OUTPUT [DATE]
// DATE (for example 2026-12-07) goes into the page's header; none leaves it
// empty. No clock, no outside input: the same table gives the same bytes.
#include <cctype>
#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "shell/options.h"

namespace {

constexpr std::string_view kSummary = "a falling-block puzzle game of the 1990s";

constexpr std::string_view kDescription[] = {
    "FOMPY TALDEN is a faithful port of a full-screen falling-block puzzle game of the "
    "1990s. Pieces of four 5 by 5 pixel cells fall into a well 20 cells wide and 30 deep; "
    "move and turn them so that rows fill up and vanish. The 320 by 200 picture with its "
    "256-colour palette, the 70 frames a second, the pixel-exact collisions and the "
    "scoring are those of the original.",
    "\"GAME A\" starts on an empty well, \"GAME B\" on a well whose bottom rows hold random "
    "rubble (more rows for a higher starting level). \"OPTIONS\" switches the scrolling of "
    "the well background and the preview of the next piece, and leads to the starting level "
    "for the next game (1 to 7). The game speeds up one level every 1800 frames, up to "
    "level 15. A full row scores 100, four at once 1000, and every piece that lands 5. The "
    "game ends when a piece lands with its position still above the well's top. \"QUIT\" "
    "leaves the program.",
    "The game plays fullscreen unless --window is given; Alt+Enter switches between the "
    "two. The picture keeps the 4:3 shape of the original's screen.",
};

constexpr std::string_view kHeadless[] = {
    "With --headless the same game runs against an in-memory display, a scripted keyboard "
    "and a logging sound service, for tests and replays. It is deterministic: the same "
    "script and options give the same log, byte for byte.",
    "A script is text, one item a line; # starts a comment. \"T KEY down\" and \"T KEY up\" "
    "press and release KEY (enter, escape, space, left, up, right or down) at virtual time "
    "T; \"T close\" asks to close the window; \"reseed N\" gives the value N to the next "
    "reseed of the random generator. T starts at 0 and each presented frame adds 1.",
    "The log has one line per event: \"T present PIXELS PALETTE\" and \"T primary PIXELS "
    "PALETTE\" (CRC-32s of the visible picture and of its palette), \"T sound play N\", "
    "\"T sound loop N\", \"T sound stop\", \"T reseed SECONDS\" and last \"T end "
    "quit|script|frames\".",
};

constexpr std::string_view kFiles =
    "$XDG_CONFIG_HOME/fompy-talden/settings.ini (~/.config/fompy-talden/settings.ini where "
    "XDG_CONFIG_HOME is not set): the settings a window run starts with and writes when it "
    "ends: fullscreen or window, the window's size, aspect, integer scaling, renderer, "
    "volume, mute, autopause and the keys of the game's seven keys (\"left = A, Left\"). "
    "Options given on the command line win for their run. --no-settings leaves the file "
    "alone. The game's own options (scrolling, preview, starting level) are not kept. "
    "Screenshots go to fompy-talden in the Pictures folder (see F12 above); the desktop's "
    "~/.config/user-dirs.dirs is read to find it. Its sounds "
    "and its icon are built into the program. Otherwise it reads and writes only the files "
    "its options name: a window run writes its session to the --record file and its run log to the "
    "--log file, and shows "
    "the session of the --playback script; a headless run reads its --script and writes its "
    "--log and its --dump pictures; --timedemo reads its script.";

// The installed README, where the Debian package puts it; an install from
// source has it under its own prefix.
constexpr std::string_view kReadme = "/usr/share/doc/fompy-talden/README.md.gz";
constexpr std::string_view kSeeAlso =
    "(share/doc/fompy-talden under the prefix of an install from source): building, "
    "installing, headless runs, recording and replaying sessions, and the layout of the code.";

// Plain text as troff input: backslashes and hyphen-minus escaped, and no line
// may start with a control character.
std::string Escape(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\\') {
            out += "\\e";
        } else if (c == '-') {
            out += "\\-";
        } else {
            out += c;
        }
    }
    if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out.insert(0, "\\&");
    return out;
}

void Paragraphs(std::string& page, const std::string_view* begin, const std::string_view* end) {
    for (const std::string_view* p = begin; p != end; ++p) {
        if (p != begin) page += ".PP\n";
        page += Escape(*p) + "\n";
    }
}

// A text of the tables as a sentence: its first letter a capital, a stop at its end.
std::string Sentence(std::string text) {
    if (!text.empty())
        text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    if (text.empty() || text.back() != '.') text += '.';
    return text;
}

std::string Bold(const std::vector<std::string>& words) {
    std::string term;
    for (const std::string& word : words) {
        if (!term.empty()) term += ", ";
        term += "\\fB" + Escape(word) + "\\fR";
    }
    return term;
}

void Keys(std::string& page) {
    ft::KeyGroup group = ft::KeyGroup::Game;
    for (const ft::KeyHelp& key : ft::DescribeKeys(ft::System::Desktop)) {
        if (key.group != group) {
            group = key.group;
            page += group == ft::KeyGroup::Comfort
                        ? ".PP\nThe port's own keys, around the game:\n"
                        : ".PP\nIn a playback, whatever the bindings (it is marked REPLAY over the "
                          "picture):\n";
        }
        page += ".TP\n";
        page += Bold(key.keys) + "\n";
        std::string text = Sentence(key.what);
        if (!key.buttons.empty()) {
            std::string buttons;
            for (const std::string& button : key.buttons) {
                buttons += (buttons.empty() ? "" : ", ") + button;
            }
            text += " On a gamepad: " + buttons + ".";
        }
        page += Escape(text) + "\n";
    }
}

void ExitStatuses(std::string& page) {
    for (const ft::ExitStatusHelp& status : ft::DescribeExitStatuses(ft::System::Desktop)) {
        page += ".TP\n";
        page += "\\fB" + std::to_string(status.status) + "\\fR\n";
        std::string causes;
        for (const std::string& cause : status.causes) {
            causes += (causes.empty() ? "" : "; ") + cause;
        }
        page += Escape(Sentence(causes)) + "\n";
    }
}

std::string ManualPage(std::string_view date) {
    std::string page;
    page +=
        ".\\\" fompy-talden.6 -- written by make_manpage from the tables of options, keys and exit "
        "statuses\n";
    page += ".TH FOMPY\\-TALDEN 6 \"" + std::string(date) +
            "\" \"fompy\\-talden " FT_VERSION "\" \"Games\"\n";
    page += ".SH NAME\n";
    page += "fompy\\-talden \\- " + Escape(kSummary) + "\n";
    page += ".SH SYNOPSIS\n";
    page += ".B fompy\\-talden\n";
    page += "[\\fIOPTION\\fR]...\n";
    page += ".SH DESCRIPTION\n";
    Paragraphs(page, std::begin(kDescription), std::end(kDescription));
    page += ".SH OPTIONS\n";
    for (const ft::OptionHelp& option : ft::DescribeOptions(ft::System::Desktop)) {
        page += ".TP\n";
        page += "\\fB\\-\\-" + Escape(option.name) + "\\fR";
        if (!option.argument.empty()) page += " \\fI" + Escape(option.argument) + "\\fR";
        page += "\n";
        page += Escape(Sentence(option.help)) + "\n";
    }
    page += ".SH KEYS\n";
    Keys(page);
    page += ".SH HEADLESS RUNS\n";
    Paragraphs(page, std::begin(kHeadless), std::end(kHeadless));
    page += ".SH EXIT STATUS\n";
    ExitStatuses(page);
    page += ".SH FILES\n";
    page += Escape(kFiles) + "\n";
    page += ".SH SEE ALSO\n";
    page += ".I " + Escape(kReadme) + "\n";
    page += Escape(kSeeAlso) + "\n";
    return page;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: make_manpage OUTPUT [DATE]\n");
        return 2;
    }
    const std::string page = ManualPage(argc == 3 ? argv[2] : "");
    std::ofstream out(argv[1], std::ios::binary);
    out << page;
    out.close();
    if (!out) {
        std::fprintf(stderr, "make_manpage: cannot write %s; is the build directory writable?\n",
                     argv[1]);
        return 1;
    }
    return 0;
}
