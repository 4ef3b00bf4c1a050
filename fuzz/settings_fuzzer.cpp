// SPDX-License-Identifier: MIT
// settings_fuzzer.cpp -- libFuzzer target of the settings file's reader and
// writer: any bytes give settings within their ranges and one-line warnings;
// the file written from them reads back to the same settings without a
// warning, and writing that again changes nothing, so that a file the game
// writes at every end neither drifts nor grows.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/window/key_names.h"
#include "platform/window/settings.h"

namespace {

// A broken promise: says which and stops, so libFuzzer keeps the input.
void Require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "settings-fuzzer: %s\n", what);
    std::abort();
}

void CheckRanges(const platform::Settings& s) {
    Require(s.volume >= 0 && s.volume <= 100, "volume out of range");
    Require((s.windowWidth == 0 && s.windowHeight == 0) ||
                (s.windowWidth >= 320 && s.windowHeight >= 200),
            "window size out of range");
    Require(s.renderer == "auto" || s.renderer == "gpu" || s.renderer == "software",
            "unknown renderer");
    for (const auto& keys : s.keys) {
        Require(!keys.empty(), "a game key without keys");
        for (const std::string& key : keys) {
            Require(platform::FindKeyName(key).has_value(), "a key without a name");
            Require(!platform::ComfortOf(key).has_value(), "a comfort key bound");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const platform::SettingsFile read = platform::ParseSettings(text, "fuzz.ini");
    CheckRanges(read.settings);
    for (const std::string& warning : read.warnings) {
        Require(!warning.empty() && warning.find_first_of("\n\r") == std::string::npos,
                "a warning that is not one line");
    }
    const std::string written = platform::FormatSettings(read.settings, read.lines);
    const platform::SettingsFile again = platform::ParseSettings(written, "fuzz.ini");
    Require(again.settings == read.settings, "the written file reads back otherwise");
    Require(again.warnings.empty() || !read.warnings.empty() || size > 64 * 1024,
            "the written file has faults the read one had not");
    Require(platform::FormatSettings(again.settings, again.lines) == written,
            "writing the file again changes it");
    return 0;
}
