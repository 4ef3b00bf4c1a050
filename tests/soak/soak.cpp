// SPDX-License-Identifier: MIT
// soak.cpp -- fompy-soak: runs the real program on random keys for many frames,
// through menus and games, checking the game's invariants after every picture;
// meant for the build with AddressSanitizer and UndefinedBehaviorSanitizer.
//
//   fompy-soak [--frames N] [--seed S] [--progress N] [--record FILE] [--require-coverage]
//
// Exit status 0 when every invariant held, 1 when one broke (or, with
// --require-coverage, the run missed part of the game), 2 for a bad option.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "platform/common/text.h"
#include "soak_platform.h"

namespace {

// Set by the build: the soak runs under AddressSanitizer and UndefinedBehaviorSanitizer.
constexpr bool kSanitized = FT_SOAK_SANITIZED;

constexpr int kExitBroken = 1;
constexpr int kExitBadUsage = 2;

struct SoakArgs {
    soak::SoakOptions options;
    std::string recordPath;  // the last program run's script; empty: only on failure
    bool requireCoverage = false;
};

bool ParseWhole(const std::string& text, std::uint64_t& value) {
    const platform::Decimal number =
        platform::ParseDecimal(text, std::numeric_limits<std::uint64_t>::max());
    value = number.value;
    return number.status == platform::Decimal::Status::Ok;
}

bool ParseArgs(const std::vector<std::string>& args, SoakArgs& out, std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (name == "--require-coverage") {
            out.requireCoverage = true;
            continue;
        }
        if (name != "--frames" && name != "--seed" && name != "--progress" && name != "--record") {
            error = "unknown option '" + name + "'";
            return false;
        }
        if (i + 1 >= args.size()) {
            error = "option '" + name + "' needs a value";
            return false;
        }
        const std::string& value = args[++i];
        if (name == "--record") {
            out.recordPath = value;
            continue;
        }
        std::uint64_t number = 0;
        if (!ParseWhole(value, number) || (name == "--frames" && number == 0)) {
            error = "option '" + name + "' expects a whole number" +
                    (name == "--frames" ? " from 1 up" : "") + ", not '" + value + "'";
            return false;
        }
        if (name == "--frames") out.options.frames = number;
        if (name == "--seed") out.options.seed = number;
        if (name == "--progress") out.options.progress = number;
    }
    return true;
}

std::string Describe(const soak::SoakStats& s) {
    std::string levels;
    for (int level = 1; level <= 7; ++level)
        if (s.startLevels & (1u << level))
            levels += (levels.empty() ? "" : ",") + std::to_string(level);
    return std::to_string(s.runs) + " program runs, " + std::to_string(s.gamesA + s.gamesB) +
           " games (" + std::to_string(s.gamesA) + " A, " + std::to_string(s.gamesB) + " B; " +
           std::to_string(s.gameOvers) + " to game over, " + std::to_string(s.gamesLeft) +
           " left with Escape; start levels " + (levels.empty() ? "none" : levels) + "), " +
           std::to_string(s.landingRows) + " rows cleared (" + std::to_string(s.fourRowClears) +
           " four at once) and " + std::to_string(s.rubbleRows) + " of rubble, max level " +
           std::to_string(s.maxLevel) + ", " + std::to_string(s.infoScreens) +
           " information screens, " + std::to_string(s.scrollingSwitches) + " scrolling and " +
           std::to_string(s.showNextSwitches) + " preview switches";
}

// What a soak of this length should have gone through, and did not.
std::string MissedCoverage(const soak::SoakStats& s) {
    std::string missed;
    const auto miss = [&missed](bool reached, const char* what) {
        if (!reached) missed += std::string(missed.empty() ? "" : ", ") + what;
    };
    miss(s.gamesA > 0, "\"GAME A\"");
    miss(s.gamesB > 0, "\"GAME B\"");
    miss(s.gameOvers > 0, "a game over");
    miss(s.gamesLeft > 0, "a game left with Escape");
    miss(s.infoScreens > 0, "the information screen");
    miss(s.scrollingSwitches > 0 && s.showNextSwitches > 0, "both option switches");
    miss((s.startLevels & ~3u) != 0, "a starting level above 1");
    miss(s.landingRows > 0, "a cleared row");
    return missed;
}

bool WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    SoakArgs args;
    std::string error;
    if (!ParseArgs(std::vector<std::string>(argv + 1, argv + argc), args, error)) {
        std::fprintf(stderr, "fompy-soak: %s\n", error.c_str());
        return kExitBadUsage;
    }
    const char* checked =
        kSanitized ? "AddressSanitizer and UndefinedBehaviorSanitizer" : "no sanitizer";
    const auto start = std::chrono::steady_clock::now();
    soak::Soak session(args.options);
    const std::string failure = soak::RunSoak(session);
    const soak::SoakStats stats = session.Stats();
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    if (!args.recordPath.empty() || !failure.empty()) {
        const std::string path = args.recordPath.empty() ? "soak-failure.script" : args.recordPath;
        if (!WriteFile(path, session.RunScript()))
            std::fprintf(stderr, "fompy-soak: cannot write '%s'\n", path.c_str());
        else if (!failure.empty())
            std::fprintf(stderr,
                         "fompy-soak: the failing program run's keys are in %s; "
                         "fompy-talden --headless --script %s --frames %llu replays it\n",
                         path.c_str(), path.c_str(),
                         static_cast<unsigned long long>(session.RunFrames() + 1));
    }
    if (!failure.empty()) {
        std::fprintf(stderr, "fompy-soak: FAILED, seed %llu: %s\n",
                     static_cast<unsigned long long>(args.options.seed), failure.c_str());
        std::fprintf(stderr, "fompy-soak: after %s\n", Describe(stats).c_str());
        return kExitBroken;
    }
    std::printf("fompy-soak: seed %llu, %llu frames in %.1f s with %s: %s; every invariant held\n",
                static_cast<unsigned long long>(args.options.seed),
                static_cast<unsigned long long>(stats.frames), elapsed, checked,
                Describe(stats).c_str());
    if (args.requireCoverage) {
        const std::string missed = MissedCoverage(stats);
        if (!missed.empty()) {
            std::fprintf(stderr, "fompy-soak: the run never reached %s\n", missed.c_str());
            return kExitBroken;
        }
    }
    return 0;
}
