// SPDX-License-Identifier: MIT
// session_script.h -- what a session comes to: the bot's keys written as a
// headless key script, and that script replayed on the headless platform,
// whose log must be the bot run's, line for line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/seam/platform.h"
#include "platform/common/script.h"
#include "session_bot.h"

namespace players {

// The script: its comment lines (what the session is, the command that made
// it, how to replay it, the bot's figures), the reseed values firstSeed,
// firstSeed + 1, ... (reseeds of them), then the events.
std::string ScriptText(const SessionKind& kind, const std::string& path,
                       const std::string& fileName, const std::string& command, const Summary& s,
                       const std::vector<platform::InputEvent>& events, std::uint32_t firstSeed,
                       std::size_t reseeds);

// The first line where two logs differ, or empty when they are equal.
std::string FirstDifference(const std::string& bot, const std::string& replay);

// Replays script (named fileName in messages) as fompy-talden --headless
// --script runs it and compares its log with botLog. Empty when they are the
// same; else why not.
std::string CheckReplay(const std::string& script, const std::string& fileName,
                        const std::string& botLog);

}  // namespace players
