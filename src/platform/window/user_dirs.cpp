// SPDX-License-Identifier: MIT
// user_dirs.cpp -- the XDG_PICTURES_DIR line of a user-dirs.dirs text.
#include "platform/window/user_dirs.h"

namespace platform {

namespace {

constexpr std::string_view kName = "XDG_PICTURES_DIR=";
constexpr std::string_view kHome = "$HOME";

// The folder one line names, if it is a line that names it.
std::optional<std::string> PicturesDirOfLine(std::string_view line, const std::string& home) {
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    if (!line.starts_with(kName)) return std::nullopt;
    line.remove_prefix(kName.size());
    if (!line.starts_with('"')) return std::nullopt;
    line.remove_prefix(1);
    std::string folder;
    if (line.starts_with(kHome) &&
        (line.size() == kHome.size() || line[kHome.size()] == '/' || line[kHome.size()] == '"')) {
        if (home.empty()) return std::nullopt;
        folder = home;
        line.remove_prefix(kHome.size());
    } else if (!line.starts_with('/')) {
        return std::nullopt;  // only a path under home or from the root is one
    }
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') return folder;
        if (line[i] == '\\') {
            if (++i == line.size()) break;
        }
        folder += line[i];
    }
    return std::nullopt;  // no closing quote
}

}  // namespace

std::optional<std::string> PicturesDirOfUserDirs(std::string_view text, const std::string& home) {
    std::optional<std::string> found;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        if (std::optional<std::string> folder = PicturesDirOfLine(line, home)) {
            found = std::move(folder);
        }
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return found;
}

}  // namespace platform
