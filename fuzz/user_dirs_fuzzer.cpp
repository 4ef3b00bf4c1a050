// SPDX-License-Identifier: MIT
// user_dirs_fuzzer.cpp -- libFuzzer target of the reader of the desktop's
// user-dirs.dirs: any bytes give no folder, or one under the home folder
// given or from the root, without a line break in it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/window/user_dirs.h"

namespace {

// A broken promise: says which and stops, so libFuzzer keeps the input.
void Require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "user-dirs-fuzzer: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string home = "/home/player";
    for (const std::string& given : {home, std::string()}) {
        const std::optional<std::string> folder = platform::PicturesDirOfUserDirs(text, given);
        if (!folder) continue;
        Require(!folder->empty() && folder->front() == '/', "a folder not from the root");
        Require(folder->find('\n') == std::string::npos, "a line break in the folder");
        Require(folder->size() <= size + given.size(), "a folder longer than its line");
    }
    return 0;
}
