// SPDX-License-Identifier: MIT
// session_script.cpp -- the session's script written, and its replay
// compared with the bot's run.
#include "session_script.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <memory>
#include <string_view>
#include <utility>

#include "bot_platform.h"
#include "core/program/program.h"
#include "platform/common/line_sink.h"
#include "platform/common/script.h"
#include "platform/headless/headless_platform.h"

namespace players {

using platform::InputEvent;

std::string ScriptText(const SessionKind& kind, const std::string& path,
                       const std::string& fileName, const std::string& command, const Summary& s,
                       const std::vector<InputEvent>& events, std::uint32_t firstSeed,
                       std::size_t reseeds) {
    std::string text;
    char line[256];
    text += "# " + fileName + " -- " + std::string(kind.about) + ".\n";
    text += "# made by " + command + "\n";
    text += "# replay: fompy-talden --headless --script " + path + "\n";
    std::snprintf(line, sizeof line,
                  "# %" PRIu64 " game frames, %" PRIu64 " pieces, %" PRIu64
                  " lines, level %d at most, score %d%s; the run ends at T %" PRIu64 "\n",
                  s.playFrames, s.pieces, s.lines, s.maxLevel, s.finalScore,
                  s.gameOver ? ", game over" : "", s.endTime);
    text += line;
    for (std::size_t i = 0; i < reseeds; ++i) {
        std::snprintf(line, sizeof line, "reseed %" PRIu32 "\n",
                      firstSeed + static_cast<std::uint32_t>(i));
        text += line;
    }
    for (const InputEvent& e : events) {
        std::snprintf(line, sizeof line, "%" PRIu64 " %s %s\n", e.time, platform::KeyName(e.key),
                      e.kind == InputEvent::Kind::KeyDown ? "down" : "up");
        text += line;
    }
    return text;
}

namespace {

// Splits a log into its lines.
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        lines.push_back(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return lines;
}

}  // namespace

std::string FirstDifference(const std::string& bot, const std::string& replay) {
    const auto a = Lines(bot);
    const auto b = Lines(replay);
    for (std::size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
        const std::string_view lineA = i < a.size() ? a[i] : "(none)";
        const std::string_view lineB = i < b.size() ? b[i] : "(none)";
        if (lineA != lineB)
            return "line " + std::to_string(i + 1) + ": bot '" + std::string(lineA) +
                   "', replay '" + std::string(lineB) + "'";
    }
    return {};
}

std::string CheckReplay(const std::string& script, const std::string& fileName,
                        const std::string& botLog) {
    const platform::Result<platform::Script> parse = platform::ParseScript(script, fileName);
    if (!parse.ok()) return "the script does not parse: " + parse.reason();
    platform::MemoryLines replayLog;
    platform::HeadlessOptions options;
    options.script = (*parse);
    options.log = &replayLog;
    platform::HeadlessPlatform replayHost(std::move(options));
    auto replayProgram = std::make_unique<ft::Program>(replayHost);
    RunToEnd(*replayProgram, replayHost);
    const std::string difference = FirstDifference(botLog, replayLog.Text());
    if (!difference.empty()) return "the replay differs from the bot's run at " + difference;
    return {};
}

}  // namespace players
