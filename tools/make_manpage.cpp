// SPDX-License-Identifier: MIT
// make_manpage.cpp -- writes the manual page, fompy-talden(6), in troff. Its
// OPTIONS section comes from the same option table as --help, so the two
// never disagree.
//
// Usage: make_manpage OUTPUT [DATE]
// DATE (for example 2026-12-07) goes into the page's header; none leaves it
// empty. No clock, no outside input: the same table gives the same bytes.
#include <cctype>
#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>

#include "shell/options.h"

namespace {

struct Entry {
    std::string_view term;  // troff already: font changes and \- for hyphen-minus
    std::string_view text;  // plain text, escaped on output
};

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

constexpr Entry kKeys[] = {
    {"\\fBUp\\fR, \\fBDown\\fR",
     "In the menu, move the marker. In a game, Up turns the piece and Down, held, makes it "
     "fall faster."},
    {"\\fBLeft\\fR, \\fBRight\\fR", "In a game, move the piece."},
    {"\\fBEnter\\fR",
     "In the menu, choose the marked item. Leaves the intro and the game-over screen."},
    {"\\fBEscape\\fR",
     "Closes the information screen; in a game, back to the menu. Leaves the game-over "
     "screen."},
    {"\\fBSpace\\fR", "Leaves the game-over screen."},
    {"\\fBAlt+Enter\\fR", "Switches between fullscreen and a window."},
    {"\\fBP\\fR, \\fBPause\\fR",
     "Pauses the game and resumes it; so does a gamepad's Guide button where the system lets "
     "it through. The window losing the keyboard or being minimised pauses too, unless "
     "--no-autopause is given."},
    {"\\fBM\\fR", "Mutes the sound and turns it on again; SOUND OFF shows for a moment."},
    {"\\fBKeypad +\\fR, \\fBKeypad \\-\\fR, \\fB]\\fR, \\fB[\\fR",
     "Step the sound volume up and down by 10; the volume shows over the picture for a "
     "moment."},
    {"\\fBF12\\fR, \\fBPrint Screen\\fR",
     "Save the picture on the screen as a PNG file in fompy-talden in the Pictures folder "
     "that $XDG_PICTURES_DIR or ~/.config/user-dirs.dirs names, or ~/Pictures; its name is "
     "printed."},
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

constexpr Entry kExitStatus[] = {
    {"\\fB0\\fR", "The player chose \"QUIT\", or a headless run came to its end."},
    {"\\fB1\\fR", "The display could not be opened, or a log or picture could not be written."},
    {"\\fB2\\fR", "A bad option, or a bad script."},
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

void Entries(std::string& page, const Entry* begin, const Entry* end) {
    for (const Entry* e = begin; e != end; ++e) {
        page += ".TP\n";
        page += std::string(e->term) + "\n";
        page += Escape(e->text) + "\n";
    }
}

std::string ManualPage(std::string_view date) {
    std::string page;
    page += ".\\\" fompy-talden.6 -- written by make_manpage from the option table\n";
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
    for (const ft::OptionHelp& option : ft::DescribeOptions()) {
        page += ".TP\n";
        page += "\\fB\\-\\-" + Escape(option.name) + "\\fR";
        if (!option.argument.empty()) page += " \\fI" + Escape(option.argument) + "\\fR";
        page += "\n";
        std::string help = option.help;
        if (!help.empty()) {
            help[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(help[0])));
        }
        if (help.empty() || help.back() != '.') help += '.';
        page += Escape(help) + "\n";
    }
    page += ".SH KEYS\n";
    Entries(page, std::begin(kKeys), std::end(kKeys));
    page += ".SH HEADLESS RUNS\n";
    Paragraphs(page, std::begin(kHeadless), std::end(kHeadless));
    page += ".SH EXIT STATUS\n";
    Entries(page, std::begin(kExitStatus), std::end(kExitStatus));
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
