// SPDX-License-Identifier: MIT
// options_fuzzer.cpp -- libFuzzer target of the command-line parser. The input
// is the argument list, arguments separated by NUL bytes (as argv cannot hold
// one); every list either parses into options within their ranges or fails
// with a non-empty one-line message.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "shell/options.h"

namespace {

// A broken promise of the parser: says which, with control bytes shown as
// \xNN, and stops, so libFuzzer keeps the input.
void Require(bool condition, const char* what, const std::string& detail) {
    if (condition) return;
    std::string shown;
    for (char c : detail) {
        const auto byte = static_cast<unsigned char>(c);
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02x", byte);
        shown += byte >= 0x20 && byte < 0x7F ? std::string(1, c) : std::string(hex);
    }
    std::fprintf(stderr, "options-fuzzer: %s: [%s]\n", what, shown.c_str());
    std::abort();
}

// No bytes: no arguments; otherwise one more argument than NUL bytes.
std::vector<std::string> SplitArguments(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> args;
    if (size == 0) return args;
    std::string current;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            args.push_back(current);
            current.clear();
        } else {
            current += static_cast<char>(data[i]);
        }
    }
    args.push_back(current);
    return args;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ft::OptionsParse parse = ft::ParseOptions(SplitArguments(data, size));
    if (!parse.ok()) {
        Require(!parse.reason().empty(), "a failed parse without a message", "");
        Require(parse.reason().find_first_of("\n\r") == std::string::npos,
                "the message is not one line", parse.reason());
        return 0;
    }
    Require(parse.reason().empty(), "a good parse carries a message", parse.reason());
    const ft::Options& o = (*parse);
    Require(o.scale >= 1 && o.scale <= 16, "scale out of range", std::to_string(o.scale));
    Require(o.fps >= 1 && o.fps <= 1000, "fps out of range", std::to_string(o.fps));
    Require(!o.frames || *o.frames >= 1, "a frame limit of 0", "");
    // --timedemo and --verify are headless replays of their own, taking
    // --clock and --frames.
    const bool replay = !o.timedemoPath.empty() || !o.verifyPath.empty();
    Require(o.timedemoPath.empty() || o.verifyPath.empty(), "a timedemo that verifies", "");
    Require(o.headless || replay || !o.videoPath.empty() ||
                (o.scriptPath.empty() && o.dumpDir.empty() && !o.frames && o.clock == 0),
            "a headless-only option without --headless", "");
    Require(
        !replay || (!o.headless && o.scriptPath.empty() && o.logPath.empty() && o.dumpDir.empty()),
        "a replay with a script, a log or pictures", "");
    Require((o.recordPath.empty() && o.playbackPath.empty() && o.watch == 0) ||
                (!o.headless && !replay),
            "recording, playback or watching without the window", "");
    Require(o.recordPath.empty() || o.playbackPath.empty(), "recording a playback", "");
    Require(o.frameLogPath.empty() || (!o.headless && !replay), "a frame log without the window",
            o.frameLogPath);
    Require(o.watch == 0 || (o.watch <= 10 && o.playbackPath.empty() && o.recordPath.empty()),
            "watching beside a playback or a recording", std::to_string(o.watch));
    Require(!o.scores || o.given.size() == 1, "--scores with other options", "");
    // --video renders its recording on its own; --game and --video-args are its.
    const bool video = !o.videoPath.empty();
    Require(!video || (!o.videoRecording.empty() && !o.headless && !replay &&
                       o.scriptPath.empty() && o.logPath.empty() && o.dumpDir.empty() &&
                       o.recordPath.empty() && o.playbackPath.empty() && o.watch == 0),
            "a video with another run's options", o.videoPath);
    Require(video || (o.game == 0 && o.videoArgs.empty()), "--game or --video-args without --video",
            "");
    for (const std::string& arg : o.videoArgs) {
        Require(!arg.empty() && arg.find_first_of(" \t") == std::string::npos,
                "an empty or unsplit argument for ffmpeg", arg);
    }
    return 0;
}
