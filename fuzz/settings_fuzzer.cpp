// SPDX-License-Identifier: MIT
// settings_fuzzer.cpp -- libFuzzer target of the settings file's reader and
// writer: any bytes give settings within their ranges and one-line warnings;
// the file written from them reads back to the same settings with no new
// warning, and writing that again changes nothing, so that a file the game
// writes at every end neither drifts nor grows; the settings a run changes
// read back as changed.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>

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
    const std::string written = platform::FormatSettings(read.settings, read.lines, {});
    const platform::SettingsFile again = platform::ParseSettings(written, "fuzz.ini");
    Require(again.settings == read.settings, "the written file reads back otherwise");
    Require(again.warnings.empty() || !read.warnings.empty() || size > 64 * 1024,
            "the written file has faults the read one had not");
    Require(platform::FormatSettings(again.settings, again.lines, {}) == written,
            "writing the file again changes it");

    // A run in which the player changed everything a run can change: those
    // read back as changed, and nothing else moves.
    platform::SettingsChanges changes;
    changes.fullscreen = !read.settings.fullscreen;
    changes.windowSize = std::pair(321 + static_cast<int>(size % 1000), 480);
    changes.volume = static_cast<int>(size % 101);
    changes.mute = !read.settings.mute;
    platform::Settings changed = read.settings;
    platform::ApplyChanges(changed, changes);
    const std::string rewritten = platform::FormatSettings(changed, read.lines, changes);
    // (A rewritten file grown past what the reader takes is never written.)
    if (rewritten.size() <= 64 * 1024) {
        const platform::SettingsFile after = platform::ParseSettings(rewritten, "fuzz.ini");
        Require(after.settings == changed, "the settings changed in a run read back otherwise");
        Require(after.warnings.size() <= read.warnings.size() || size > 64 * 1024,
                "the rewritten file has faults the read one had not");
    }
    return 0;
}
