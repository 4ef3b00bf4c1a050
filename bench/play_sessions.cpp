// SPDX-License-Identifier: MIT
// play_sessions.cpp -- play-sessions: plays the real game in-process with a
// bot at the keys (tests/players) and writes down what it pressed as a
// headless key script: the recorded sessions of bench/sessions that the
// timedemo replays.
//
// Usage: play-sessions --kind short|long|gameb7 --out FILE [--log FILE]
//                      [--seed SECONDS] [--frames N] [--blind]
//
// The bot sees the whole program state at every delivery point and answers
// with key events for the current virtual time; they go through the same
// input timeline a replay uses and into the script. The reseeds read fixed
// values, written as the script's reseed lines, so the replay needs no clock.
// Before anything is written the script is replayed in-process on the
// headless platform and its log compared with the bot run's, line by line;
// a difference writes nothing and exits with status 1.
#include <cerrno>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "bot_platform.h"
#include "core/program/program.h"
#include "platform/common/line_sink.h"
#include "platform/common/text.h"
#include "session_bot.h"
#include "session_script.h"

namespace {

using players::SessionKind;

bool WriteFile(const std::string& path, const std::string& text) {
    std::FILE* f = std::fopen(path.c_str(), "w");
    if (f == nullptr) {
        std::fprintf(stderr, "play-sessions: cannot write '%s': %s\n", path.c_str(),
                     std::strerror(errno));
        return false;
    }
    const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    if (std::fclose(f) != 0 || !ok) {
        std::fprintf(stderr, "play-sessions: cannot write '%s': %s\n", path.c_str(),
                     std::strerror(errno));
        return false;
    }
    return true;
}

constexpr const char* kUsage =
    "Usage: play-sessions --kind short|long|gameb7 --out FILE [--log FILE]\n"
    "                     [--seed SECONDS] [--frames N] [--blind]\n"
    "Plays a session of the game with a bot at the keys and writes its key script.\n"
    "  --kind K        short: GAME A for 1500 frames; long: GAME A for 27000 frames,\n"
    "                  past level 15; gameb7: GAME B from level 7 for 5000 frames\n"
    "  --out FILE      the script to write\n"
    "  --log FILE      also write the bot run's log (the replay's log is the same)\n"
    "  --seed SECONDS  the first reseed's value (default: the kind's)\n"
    "  --frames N      game frames before Escape (default: the kind's)\n"
    "  --blind         drop every piece where it spawns, so that the game ends soon\n"
    "                  with the game-over screen (a check of that path)\n";

// Numbers of up to twelve digits, as the options need no more.
std::optional<std::uint64_t> ParseNumber(const std::string& text) {
    const platform::Decimal number = platform::ParseDecimal(text, 999'999'999'999);
    if (number.status != platform::Decimal::Status::Ok) return std::nullopt;
    return number.value;
}

}  // namespace

int main(int argc, char** argv) {
    const SessionKind* kindFound = nullptr;
    std::string outPath, logPath;
    std::optional<std::uint64_t> seedOption, framesOption;
    std::string command = "play-sessions";
    bool blind = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--blind") {
            blind = true;
            command += " --blind";
            continue;
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "play-sessions: '%s' needs a value\n%s", arg.c_str(), kUsage);
            return 2;
        }
        const std::string value = argv[++i];
        if (arg == "--kind") {
            kindFound = players::FindSessionKind(value);
            if (kindFound == nullptr) {
                std::fprintf(stderr, "play-sessions: unknown kind '%s'\n%s", value.c_str(), kUsage);
                return 2;
            }
            command += " --kind " + value;
        } else if (arg == "--out") {
            outPath = value;
        } else if (arg == "--log") {
            logPath = value;
        } else if (arg == "--seed" || arg == "--frames") {
            const auto number = ParseNumber(value);
            if (!number || (arg == "--seed" && *number > 0xFFFFFFF0u)) {
                std::fprintf(stderr, "play-sessions: bad number '%s' for %s\n", value.c_str(),
                             arg.c_str());
                return 2;
            }
            (arg == "--seed" ? seedOption : framesOption) = number;
            command += " " + arg + " " + value;
        } else {
            std::fprintf(stderr, "play-sessions: unknown option '%s'\n%s", arg.c_str(), kUsage);
            return 2;
        }
    }
    if (kindFound == nullptr || outPath.empty()) {
        std::fprintf(stderr, "play-sessions: --kind and --out are needed\n%s", kUsage);
        return 2;
    }
    SessionKind kind = *kindFound;
    if (framesOption) kind.playFrames = *framesOption;
    kind.blind = blind;
    const std::uint32_t seed = seedOption ? static_cast<std::uint32_t>(*seedOption) : kind.seed;

    // The bot's run.
    platform::MemoryLines botLog;
    players::Bot bot(kind);
    players::BotPlatform host(bot, seed, kind.playFrames + 20000, &botLog);
    auto program = std::make_unique<ft::Program>(host);
    host.Attach(*program);
    const platform::EndReason reason = players::RunToEnd(*program, host);
    players::Summary& summary = bot.summary();
    summary.endTime = host.Now();
    summary.reseeds = host.Reseeds();
    summary.events = host.Recorded().size();

    std::fprintf(
        stderr,
        "play-sessions: %s: %" PRIu64 " game frames, %" PRIu64 " pieces, %" PRIu64
        " lines (%" PRIu64
        " fours), level %d at most, score %d%s, stack %d rows at most; %zu events, %zu "
        "reseeds, end %s at T %" PRIu64 "; %" PRIu64 " replans, %" PRIu64 " model misses\n",
        std::string(kind.name).c_str(), summary.playFrames, summary.pieces, summary.lines,
        summary.fours, summary.maxLevel, summary.finalScore, summary.gameOver ? ", game over" : "",
        summary.maxStack, summary.events, summary.reseeds, platform::EndReasonName(reason),
        summary.endTime, summary.replans, summary.modelMisses);
    if (reason != platform::EndReason::Quit) {
        std::fprintf(stderr, "play-sessions: the run did not end with QUIT\n");
        return 1;
    }
    if (kind.mustReachTopLevel && summary.maxLevel < 15) {
        std::fprintf(stderr, "play-sessions: the game did not reach level 15\n");
        return 1;
    }

    const std::string fileName = outPath.substr(outPath.find_last_of('/') + 1);
    const std::string script = players::ScriptText(kind, outPath, fileName, command, summary,
                                                   host.Recorded(), seed, summary.reseeds);

    // The replay, as fompy-talden --headless --script runs it.
    const std::string botText = botLog.Text();
    if (const std::string failure = players::CheckReplay(script, fileName, botText);
        !failure.empty()) {
        std::fprintf(stderr, "play-sessions: %s\n", failure.c_str());
        return 1;
    }

    if (!WriteFile(outPath, script)) return 1;
    if (!logPath.empty() && !WriteFile(logPath, botText)) return 1;
    return 0;
}
