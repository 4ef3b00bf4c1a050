// SPDX-License-Identifier: MIT
// sessions_test.cpp -- the recorded sessions of bench/sessions, the timedemo's
// inputs, made by the session bot (tests/players) through bench's
// play-sessions: every one parses and says how it was made; the short one and
// the GAME B one, replayed in-process, play the game they were made for and
// end with QUIT.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "core/program/program.h"
#include "platform/common/script.h"
#include "platform/headless/headless_platform.h"

namespace {

const std::string kSessionsDir = FT_SOURCE_DIR "/bench/sessions/";

std::string ReadSession(const std::string& name) {
    std::ifstream in(kSessionsDir + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The virtual time of a log line ("1533 sound loop 117" gives 1533).
std::uint64_t TimeOf(const std::string& line) {
    return std::stoull(line.substr(0, line.find(' ')));
}

// A figure of the header line the bot wrote ("# 1500 game frames, 41 pieces,
// ..." gives 41 for "pieces").
std::optional<long> HeaderFigure(const std::string& text, const std::string& word) {
    const auto at = text.find(" " + word + ",");
    if (at == std::string::npos) return std::nullopt;
    const auto start = text.rfind(' ', at - 1);
    return std::stol(text.substr(start + 1, at - start - 1));
}

// What the program holds when a game has just been set up.
struct GameStart {
    ft::GameSettings settings;
    ft::Playfield playfield;
};

// The headless platform, also looking at the program when the start cue
// plays: the well is filled and the chosen level set by then.
class WatchingHost : public platform::HeadlessPlatform {
public:
    using HeadlessPlatform::HeadlessPlatform;
    const ft::Program* program = nullptr;
    std::vector<GameStart> starts;

protected:
    void Sound(platform::Cue cue, bool loop) override {
        HeadlessPlatform::Sound(cue, loop);
        if (!loop && cue == platform::Cue::GameStart)
            starts.push_back({program->settings, program->playfield});
    }
};

struct Replay {
    platform::EndReason reason = platform::EndReason::Quit;
    std::vector<std::string> events;  // the log without its picture lines
    std::vector<GameStart> starts;
};

// Replays a session as fompy-talden --headless --script does, with a frame
// limit so that a session out of step with the game cannot run for ever.
Replay ReplaySession(const platform::Script& script) {
    platform::MemoryLines log;
    platform::HeadlessOptions options;
    options.script = script;
    options.frames = 40000;
    options.log = &log;

    Replay replay;
    {
        WatchingHost host(std::move(options));
        auto program = std::make_unique<ft::Program>(host);
        host.program = program.get();
        try {
            ft::StartUp(*program);
            ft::RunOuterLoop(*program);
        } catch (const platform::RunEnded& ended) {
            replay.reason = ended.reason;
        }
        host.Journal().Finish(replay.reason);
        replay.starts = host.starts;
    }
    std::istringstream in(log.Text());
    for (std::string line; std::getline(in, line);) {
        if (line.find(" present ") == std::string::npos &&
            line.find(" primary ") == std::string::npos)
            replay.events.push_back(line);
    }
    return replay;
}

std::size_t CountEnding(const std::vector<std::string>& lines, const std::string& tail) {
    return static_cast<std::size_t>(std::count_if(
        lines.begin(), lines.end(), [&](const std::string& l) { return EndsWith(l, tail); }));
}

// What every replayed session must show: it ends on "QUIT", every reseed read
// the script's values in order (no clock needed), exactly one game was
// played, and it landed as many pieces as the bot counted when it made it.
void ExpectFaithfulReplay(const std::string& text, const platform::Script& script,
                          const Replay& replay) {
    EXPECT_STREQ(platform::EndReasonName(replay.reason), "quit");
    ASSERT_FALSE(replay.events.empty());
    EXPECT_TRUE(EndsWith(replay.events.back(), " end quit")) << replay.events.back();

    std::vector<std::uint32_t> reseeds;
    for (const std::string& line : replay.events) {
        const auto at = line.find(" reseed ");
        if (at != std::string::npos)
            reseeds.push_back(static_cast<std::uint32_t>(std::stoul(line.substr(at + 8))));
    }
    EXPECT_EQ(reseeds, script.reseeds);
    EXPECT_EQ(CountEnding(replay.events, " sound play 107"), 1u);

    const auto pieces = HeaderFigure(text, "pieces");
    ASSERT_TRUE(pieces.has_value()) << "no piece count in the header";
    EXPECT_EQ(static_cast<long>(CountEnding(replay.events, " sound play 116")), *pieces);
}

struct Kept {
    const char* name;
    const char* kind;
    std::size_t minReseeds;  // one per game start, one more for the rubble of GAME B
    std::size_t maxReseeds;  // a game over would reseed once more
};

constexpr Kept kKept[] = {
    {"short.txt", "short", 1, 1},
    {"long.txt", "long", 1, 1},  // the bot must not lose this one
    {"gameb7.txt", "gameb7", 2, 3},
};

TEST(Sessions, EveryKeptSessionParsesAndEndsOnQuit) {
    for (const Kept& kept : kKept) {
        SCOPED_TRACE(kept.name);
        const std::string text = ReadSession(kept.name);
        ASSERT_FALSE(text.empty()) << "missing or empty: " << kSessionsDir << kept.name;
        EXPECT_NE(text.find(std::string("# made by play-sessions --kind ") + kept.kind),
                  std::string::npos);

        const platform::Result<platform::Script> parse = platform::ParseScript(text, kept.name);
        ASSERT_TRUE(parse.ok()) << parse.reason();
        const platform::Script& script = (*parse);
        EXPECT_GE(script.reseeds.size(), kept.minReseeds);
        EXPECT_LE(script.reseeds.size(), kept.maxReseeds);

        // The intro's Enter comes first and the Enter on "QUIT" last; every
        // other key that went down came up again.
        ASSERT_GE(script.events.size(), 4u);
        const platform::InputEvent& first = script.events.front();
        const platform::InputEvent& last = script.events.back();
        EXPECT_EQ(first.key, platform::Key::Enter);
        EXPECT_EQ(first.kind, platform::InputEvent::Kind::KeyDown);
        EXPECT_EQ(last.key, platform::Key::Enter);
        EXPECT_EQ(last.kind, platform::InputEvent::Kind::KeyDown);
        std::array<bool, platform::kKeyCount> held{};
        for (std::size_t i = 0; i + 1 < script.events.size(); ++i) {
            const platform::InputEvent& e = script.events[i];
            ASSERT_NE(e.kind, platform::InputEvent::Kind::Close);
            held[static_cast<std::size_t>(e.key)] = e.kind == platform::InputEvent::Kind::KeyDown;
        }
        EXPECT_EQ(std::count(held.begin(), held.end(), true), 0);
    }
}

TEST(Sessions, LongSessionLastsPastTheRiseToLevelFifteen) {
    const std::string text = ReadSession("long.txt");
    const platform::Result<platform::Script> parse = platform::ParseScript(text, "long.txt");
    ASSERT_TRUE(parse.ok()) << parse.reason();
    ASSERT_FALSE((*parse).events.empty());
    // Level 1 rises to 15 after 14 rises of 1800 frames each; the intro and
    // the menu come on top.
    EXPECT_GT((*parse).events.back().time, 14u * 1800u);
    const auto frames = HeaderFigure(text, "game frames");
    ASSERT_TRUE(frames.has_value());
    EXPECT_GT(*frames, 14 * 1800);
}

TEST(Sessions, ShortSessionPlaysAGameAAndQuits) {
    const std::string text = ReadSession("short.txt");
    const platform::Result<platform::Script> parse = platform::ParseScript(text, "short.txt");
    ASSERT_TRUE(parse.ok()) << parse.reason();

    const Replay replay = ReplaySession((*parse));
    ExpectFaithfulReplay(text, (*parse), replay);
    EXPECT_EQ(CountEnding(replay.events, " sound play 111"), 0u);  // left with Escape
    ASSERT_EQ(replay.starts.size(), 1u);
    EXPECT_EQ(replay.starts[0].settings.variant, ft::GameVariant::A);
    EXPECT_EQ(replay.starts[0].settings.level, 1);

    // Down is held for most of each fall: a piece takes well under 100
    // frames, so 1500 frames see far more than ten landings.
    EXPECT_GE(CountEnding(replay.events, " sound play 116"), 10u);
    // The game runs from its start cue until the menu tune comes back.
    std::uint64_t start = 0, menuAgain = 0;
    for (const std::string& line : replay.events) {
        if (EndsWith(line, " sound play 107")) start = TimeOf(line);
        if (start != 0 && menuAgain == 0 && EndsWith(line, " sound loop 117"))
            menuAgain = TimeOf(line);
    }
    ASSERT_GT(start, 0u);
    ASSERT_GT(menuAgain, start);
    EXPECT_GE(menuAgain - start, 1500u);
}

TEST(Sessions, GameB7SessionStartsOnTheRubbleOfLevelSeven) {
    const std::string text = ReadSession("gameb7.txt");
    const platform::Result<platform::Script> parse = platform::ParseScript(text, "gameb7.txt");
    ASSERT_TRUE(parse.ok()) << parse.reason();

    const Replay replay = ReplaySession((*parse));
    ExpectFaithfulReplay(text, (*parse), replay);
    ASSERT_EQ(replay.starts.size(), 1u);
    const GameStart& start = replay.starts[0];
    EXPECT_EQ(start.settings.variant, ft::GameVariant::B);
    EXPECT_EQ(start.settings.level, 7);
    // Level 7 fills rows 8 to 29 with rubble; clearing a full one only moves
    // rows down, so rows 0 to 7 stay empty and the bottom row holds rubble.
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < ft::kWellColumns; ++c)
            EXPECT_EQ(start.playfield.At(c, r), 0) << "column " << c << ", row " << r;
    int bottomFilled = 0;
    for (int c = 0; c < ft::kWellColumns; ++c) bottomFilled += start.playfield.At(c, 29) != 0;
    EXPECT_GT(bottomFilled, 0);
}

}  // namespace
