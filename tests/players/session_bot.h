// SPDX-License-Identifier: MIT
// session_bot.h -- the session bot: the kinds of session it plays, and what
// it presses at each delivery point, phase by phase (the intro, the menu at a
// human pace, the game with a planned placement for each piece, the game-over
// screen), from the whole program's state.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "core/seam/platform.h"
#include "core/state/settings.h"
#include "placement.h"

namespace ft {
struct Program;
}

namespace players {

// The kinds of session: what each plays and what its script says of itself.

struct SessionKind {
    std::string_view name;
    ft::GameVariant variant;
    std::int32_t startLevel;   // chosen on the level page when above 1
    std::uint64_t playFrames;  // game frames before Escape
    std::uint32_t seed;        // the first reseed's value; each later one is one more
    std::string_view about;    // the script's first comment line
    bool mustReachTopLevel;
    bool blind = false;  // never steers: every piece falls where it spawns
};

inline constexpr SessionKind kKinds[] = {
    {"short", ft::GameVariant::A, 1, 1500, 20261207,
     "a short game: the intro, GAME A for 1500 frames, Escape, QUIT", false},
    {"long", ft::GameVariant::A, 1, 27000, 20261208,
     "a long game: the intro, GAME A for 27000 frames (level 15 from frame 25200), Escape, QUIT",
     true},
    {"gameb7", ft::GameVariant::B, 7, 5000, 20261209,
     "GAME B from level 7: the intro, OPTIONS > LEVEL > LEVEL 7 > BACK, GAME B for 5000 frames "
     "or to game over, QUIT",
     false},
};

// The game's figures as the bot saw them.
struct Summary {
    std::uint64_t playFrames = 0;  // game frames presented
    std::uint64_t pieces = 0;      // landings
    std::uint64_t lines = 0;
    std::uint64_t fours = 0;  // landings that cleared four rows at once
    std::int32_t maxLevel = 0;
    int maxStack = 0;  // the highest the settled cells ever stood, in rows
    ft::Score finalScore = 0;
    bool gameOver = false;
    std::uint64_t replans = 0;      // the piece was not where the plan said
    std::uint64_t modelMisses = 0;  // a landing left another well than foreseen
    std::uint64_t endTime = 0;
    std::size_t reseeds = 0;
    std::size_t events = 0;
};

// The kind of that name, or null.
const SessionKind* FindSessionKind(std::string_view name);

enum class Phase { Start, Intro, Menu, MenuEnded, Game, GameOver };

// Keys to hold from now on (every other held key is let go) and keys to tap
// (down now, up at the next delivery point unless tapped or held again).
struct Decision {
    std::array<bool, platform::kKeyCount> hold{};
    std::vector<platform::Key> taps;
};

class Bot {
public:
    explicit Bot(const SessionKind& kind) : kind_(kind) {}

    Decision AtFrame(const ft::Program& program);
    // A wait loop found nothing: let go of what is held, else press what the
    // screen waits for. Empty when the bot has nothing to offer.
    std::optional<Decision> AtWait(bool holdingAny) const;

    void OnPlay(platform::Cue cue, const ft::Program& program);
    void OnMenuTune() {
        phase_ = Phase::Menu;
        menuFrames_ = 0;
    }
    void OnStop() { phase_ = Phase::MenuEnded; }
    void OnPresent() {
        if (phase_ == Phase::Game) ++summary_.playFrames;
    }

    Summary& summary() { return summary_; }

private:
    Decision MenuFrame(const ft::Program& program);
    Decision GameFrame(const ft::Program& program);
    void Tally(const ft::Program& program);

    const SessionKind& kind_;
    Phase phase_ = Phase::Start;
    int gamesStarted_ = 0;
    std::uint64_t menuFrames_ = 0;
    std::uint64_t landings_ = 0;   // landing cues heard
    std::uint64_t plannedAt_ = 0;  // landings_ when plan_ was made
    std::optional<Plan> plan_;
    std::size_t planStep_ = 0;  // frames of plan_ played
    ft::Score lastScore_ = 0;
    std::uint64_t lastLandings_ = 0;
    Summary summary_;
};

}  // namespace players
