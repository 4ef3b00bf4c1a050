// SPDX-License-Identifier: MIT
// user_dirs.h -- the desktop's own Pictures folder: the one the user's
// user-dirs.dirs names (localised by the desktop: ~/Bilder, ~/Images...),
// which is where a player looks for screenshots.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The Pictures folder that a user-dirs.dirs text names, with its "$HOME"
// standing for home. A line reads XDG_PICTURES_DIR="$HOME/Pictures" or
// XDG_PICTURES_DIR="/absolute/path", a backslash taking the character after
// it as it is; lines of any other form are passed over, and of several that
// name the folder the last counts, as for the desktop's own reader. Nothing
// when no line names one, or when it is under home and home is empty.
std::optional<std::string> PicturesDirOfUserDirs(std::string_view text, const std::string& home);

}  // namespace platform
