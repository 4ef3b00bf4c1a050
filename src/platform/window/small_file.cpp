// SPDX-License-Identifier: MIT
// small_file.cpp -- a small file read whole, a block at a time.
#include "platform/window/small_file.h"

#include <cstdio>
#include <memory>

namespace platform {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t limit) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) return std::nullopt;
    std::string text;
    char buffer[4096];
    while (text.size() <= limit) {
        const std::size_t count = std::fread(buffer, 1, sizeof buffer, file.get());
        text.append(buffer, count);
        if (count < sizeof buffer) break;
    }
    if (std::ferror(file.get()) != 0) return std::nullopt;
    return text;
}

}  // namespace platform
