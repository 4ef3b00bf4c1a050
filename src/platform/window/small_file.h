// SPDX-License-Identifier: MIT
// small_file.h -- reading the small text files the players' platforms keep
// or look at (the settings file, the desktop's user-dirs.dirs) whole.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace platform {

// The file's bytes, read up to a little past limit: a longer text than that
// is not the file it should be, and its reader can say so. Nothing when the
// file cannot be opened or read; errno then tells why.
std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t limit);

}  // namespace platform
