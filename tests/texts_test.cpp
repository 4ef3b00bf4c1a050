// SPDX-License-Identifier: MIT
// The texts players read: the README's hand-written tables of keys and exit
// statuses, the manual page the build writes and --help all list what the
// tables of shell/options.cpp hold, for the desktop and for Windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "shell/options.h"

using ft::System;

namespace {

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << path << " not found";
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string Readme() {
    return ReadFile(std::filesystem::path(FT_SOURCE_DIR) / "README.md");
}

// The cells of the first Markdown table after the heading whose header row
// starts with firstHeader, the header and its rule left out.
std::vector<std::vector<std::string>> TableAfter(const std::string& text,
                                                 const std::string& heading,
                                                 const std::string& firstHeader) {
    const std::vector<std::string> lines = Lines(text);
    auto at = std::find(lines.begin(), lines.end(), heading);
    EXPECT_NE(at, lines.end()) << "no heading " << heading;
    at = std::find_if(at, lines.end(), [&](const std::string& l) {
        return l.rfind("| " + firstHeader + " |", 0) == 0;
    });
    EXPECT_NE(at, lines.end()) << "no table under " << heading;
    std::vector<std::vector<std::string>> rows;
    if (at == lines.end()) return rows;
    for (at += 2; at != lines.end() && at->rfind("|", 0) == 0; ++at) {
        std::vector<std::string> cells;
        std::string line = at->substr(1);
        for (std::size_t bar; (bar = line.find('|')) != std::string::npos; line.erase(0, bar + 1)) {
            std::string cell = line.substr(0, bar);
            cell.erase(0, cell.find_first_not_of(' '));
            cell.erase(cell.find_last_not_of(' ') + 1);
            cells.push_back(cell);
        }
        rows.push_back(cells);
    }
    return rows;
}

// The names of a README cell: "Up / Down", "A or Start", "`]`", "Down
// (held)" is Down.
std::set<std::string> Names(std::string cell) {
    cell.erase(std::remove(cell.begin(), cell.end(), '`'), cell.end());
    if (const std::size_t held = cell.find(" (held)"); held != std::string::npos) {
        cell.erase(held, 7);
    }
    std::set<std::string> names;
    while (!cell.empty()) {
        std::size_t end = std::min(cell.find(" / "), cell.find(" or "));
        names.insert(cell.substr(0, end));
        cell.erase(0, end == std::string::npos ? end : end + (cell[end + 1] == '/' ? 3 : 4));
    }
    return names;
}

std::set<std::string> AsSet(const std::vector<std::string>& names) {
    return {names.begin(), names.end()};
}

std::string Joined(const std::vector<std::string>& words, const std::string& between) {
    std::string text;
    for (const std::string& word : words) text += (text.empty() ? "" : between) + word;
    return text;
}

// Troff as read: font changes and escapes gone.
std::string Plain(std::string troff) {
    for (const std::string gone : {"\\fB", "\\fR", "\\fI", "\\&"}) {
        for (std::size_t at; (at = troff.find(gone)) != std::string::npos;) {
            troff.erase(at, gone.size());
        }
    }
    for (std::size_t at; (at = troff.find("\\-")) != std::string::npos;) troff.replace(at, 2, "-");
    for (std::size_t at; (at = troff.find("\\e")) != std::string::npos;) troff.replace(at, 2, "\\");
    return troff;
}

// The entries (.TP: a term line, then its text) of a section of the page.
struct Entry {
    std::string term;
    std::string text;
};
std::vector<Entry> ManualSection(const std::string& page, const std::string& name) {
    const std::vector<std::string> lines = Lines(page);
    auto at = std::find(lines.begin(), lines.end(), ".SH " + name);
    EXPECT_NE(at, lines.end()) << "no section " << name;
    std::vector<Entry> entries;
    if (at == lines.end()) return entries;
    for (++at; at != lines.end() && at->rfind(".SH ", 0) != 0; ++at) {
        if (*at == ".TP" && at + 1 != lines.end()) {
            entries.push_back({Plain(*++at), ""});
        } else if (!entries.empty()) {
            entries.back().text += Plain(*at) + " ";
        }
    }
    return entries;
}

// Text with its runs of spaces and line ends made single spaces.
std::string Flowed(const std::string& text) {
    std::string out;
    for (char c : text) {
        const bool space = c == ' ' || c == '\n';
        if (space && (out.empty() || out.back() == ' ')) continue;
        out += space ? ' ' : c;
    }
    return out;
}

}  // namespace

TEST(Texts, ReadmeKeyTablesHoldTheKeysAndButtonsOfTheTable) {
    const std::string readme = Readme();
    const std::vector<ft::KeyHelp> keys = ft::DescribeKeys(System::Desktop);
    // The game's keys in the Playing table, the port's own under Comforts,
    // a playback's under Recording and replaying.
    for (const ft::KeyGroup group : ft::kKeyGroups) {
        const char* heading = group == ft::KeyGroup::Game ? "## Playing"
                              : group == ft::KeyGroup::Comfort
                                  ? "## Comforts"
                                  : "## Recording and replaying sessions";
        SCOPED_TRACE(heading);
        const auto rows = TableAfter(readme, heading, "Key");
        ASSERT_FALSE(rows.empty());
        for (const ft::KeyHelp& key : keys) {
            if (key.group != group) continue;
            const auto row = std::find_if(rows.begin(), rows.end(), [&](const auto& cells) {
                return Names(cells[0]) == AsSet(key.keys);
            });
            ASSERT_NE(row, rows.end()) << "no README row for " << Joined(key.keys, ", ");
            EXPECT_EQ(Names((*row)[1]), AsSet(key.buttons)) << Joined(key.keys, ", ");
        }
        // A README row names no key the table lacks, and its buttons are
        // those of the table's row for the key.
        for (const auto& cells : rows) {
            for (const std::string& name : Names(cells[0])) {
                const auto key = std::find_if(keys.begin(), keys.end(), [&](const ft::KeyHelp& k) {
                    return k.group == group && AsSet(k.keys).count(name) != 0;
                });
                ASSERT_NE(key, keys.end()) << "the README names a key the table lacks: " << name;
                EXPECT_EQ(Names(cells[1]), AsSet(key->buttons)) << cells[0];
            }
        }
    }
}

TEST(Texts, ReadmeExitStatusesAreThoseOfTheTable) {
    const auto rows = TableAfter(Readme(), "## Command line", "Exit status");
    const std::vector<ft::ExitStatusHelp> statuses = ft::DescribeExitStatuses(System::Desktop);
    ASSERT_EQ(rows.size(), statuses.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i][0]);
        EXPECT_EQ(rows[i][0], std::to_string(statuses[i].status));
        for (const std::string& cause : statuses[i].causes) {
            EXPECT_NE(rows[i][1].find(cause), std::string::npos) << "the README lacks: " << cause;
        }
    }
}

TEST(Texts, ManualPageListsTheOptionsKeysAndExitStatusesOfTheTables) {
    const std::string page = ReadFile(FT_MANPAGE);
    const auto options = ManualSection(page, "OPTIONS");
    const std::vector<ft::OptionHelp> table = ft::DescribeOptions(System::Desktop);
    ASSERT_EQ(options.size(), table.size());
    for (std::size_t i = 0; i < table.size(); ++i) {
        std::string term = "--" + table[i].name;
        if (!table[i].argument.empty()) term += " " + table[i].argument;
        EXPECT_EQ(options[i].term, term);
    }

    const auto keys = ManualSection(page, "KEYS");
    const std::vector<ft::KeyHelp> keyTable = ft::DescribeKeys(System::Desktop);
    ASSERT_EQ(keys.size(), keyTable.size());
    for (std::size_t i = 0; i < keyTable.size(); ++i) {
        EXPECT_EQ(keys[i].term, Joined(keyTable[i].keys, ", "));
        if (!keyTable[i].buttons.empty()) {
            EXPECT_NE(keys[i].text.find("On a gamepad: " + Joined(keyTable[i].buttons, ", ") + "."),
                      std::string::npos)
                << keys[i].text;
        }
    }

    const auto statuses = ManualSection(page, "EXIT STATUS");
    const std::vector<ft::ExitStatusHelp> statusTable = ft::DescribeExitStatuses(System::Desktop);
    ASSERT_EQ(statuses.size(), statusTable.size());
    for (std::size_t i = 0; i < statusTable.size(); ++i) {
        EXPECT_EQ(statuses[i].term, std::to_string(statusTable[i].status));
        for (const std::string& cause : statusTable[i].causes) {
            EXPECT_NE(Flowed(statuses[i].text).find(cause.substr(1)), std::string::npos)
                << "the manual page lacks: " << cause;
        }
    }
}

TEST(Texts, HelpListsTheKeysAndExitStatusesOfTheTables) {
    for (const System system : {System::Desktop, System::Windows}) {
        SCOPED_TRACE(system == System::Windows ? "Windows" : "desktop");
        const std::string help = ft::HelpText(system);
        const std::string flowed = Flowed(help);
        for (const ft::KeyHelp& key : ft::DescribeKeys(system)) {
            // The keys as a whole term (Left alone, not the Left of "Left, Right").
            const std::string term = "\n  " + Joined(key.keys, ", ");
            std::size_t at = help.find(term);
            while (at != std::string::npos && help[at + term.size()] != ' ' &&
                   help[at + term.size()] != '\n') {
                at = help.find(term, at + 1);
            }
            ASSERT_NE(at, std::string::npos) << term;
            EXPECT_NE(flowed.find(Flowed(key.what)), std::string::npos) << key.what;
            if (!key.buttons.empty()) {
                EXPECT_NE(flowed.find("(gamepad: " + Joined(key.buttons, ", ") + ")"),
                          std::string::npos);
            }
        }
        const std::size_t exit = help.find("\nExit status:\n");
        ASSERT_NE(exit, std::string::npos);
        for (const ft::ExitStatusHelp& status : ft::DescribeExitStatuses(system)) {
            EXPECT_NE(help.find("\n  " + std::to_string(status.status) + "   ", exit),
                      std::string::npos);
            for (const std::string& cause : status.causes) {
                EXPECT_NE(flowed.find(cause, flowed.find("Exit status:")), std::string::npos)
                    << cause;
            }
        }
    }
}

TEST(Texts, EachProgramNamesItsOwnSystemsFoldersAndPad) {
    const std::string windows = ft::HelpText(System::Windows);
    const std::string desktop = ft::HelpText(System::Desktop);
    // Windows: its own folders, one kind of separator, no Guide button.
    EXPECT_NE(windows.find("%APPDATA%\\fompy-talden\\settings.ini"), std::string::npos);
    EXPECT_NE(windows.find("Pictures\\fompy-talden"), std::string::npos);
    for (const char* linux : {"XDG", "~/", "$HOME", "/.config"}) {
        EXPECT_EQ(windows.find(linux), std::string::npos) << linux;
    }
    for (const ft::KeyHelp& key : ft::DescribeKeys(System::Windows)) {
        EXPECT_EQ(std::count(key.buttons.begin(), key.buttons.end(), "Guide"), 0);
    }
    // The Windows program takes --renderer and says it changes nothing.
    const auto options = ft::DescribeOptions(System::Windows);
    const auto renderer = std::find_if(options.begin(), options.end(), [](const ft::OptionHelp& o) {
        return o.name == "renderer";
    });
    ASSERT_NE(renderer, options.end());
    EXPECT_NE(renderer->help.find("no effect"), std::string::npos) << renderer->help;
    EXPECT_EQ(renderer->help.find("GPU"), std::string::npos) << renderer->help;
    // The desktop: its own folders and the Guide button, no Windows paths.
    EXPECT_NE(desktop.find("$XDG_CONFIG_HOME/fompy-talden/settings.ini"), std::string::npos);
    EXPECT_EQ(desktop.find("%APPDATA%"), std::string::npos);
    EXPECT_NE(desktop.find("(gamepad: Guide)"), std::string::npos);
    // Signals end a run on the desktop only.
    EXPECT_NE(desktop.find("SIGTERM"), std::string::npos);
    EXPECT_EQ(windows.find("SIGTERM"), std::string::npos);
}
