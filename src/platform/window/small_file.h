// SPDX-License-Identifier: MIT
// small_file.h -- reading the small text files the players' platforms keep
// or look at (the settings file, the desktop's user-dirs.dirs) whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// A small file as read: its text, or why it is not there to be read.
struct SmallFile {
    enum class Status : std::uint8_t {
        Read,     // text holds the whole file
        Missing,  // no file by that name (nor a link's target)
        Refused,  // there is something, but not a text to read: reason says why
    };
    Status status = Status::Missing;
    std::string text;
    std::string reason;  // "Permission denied", "a FIFO, not a file", "larger than 64 KiB"
};

// Reads a regular file of at most limit bytes. Anything else by that name (a
// folder, a FIFO, a device, a socket) is refused at once, never waited on,
// and so is a file larger than limit.
SmallFile ReadSmallFile(const std::string& path, std::size_t limit);

}  // namespace platform
