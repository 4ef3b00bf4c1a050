// SPDX-License-Identifier: MIT
// game_watch.h -- the games of a run followed as the player saw them, from
// the program's cues and pictures: each game's variant and starting level,
// the score and level it last showed, its frames and how it ended.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "core/game/game.h"
#include "core/seam/platform.h"
#include "core/state/settings.h"

namespace platform {

// How a game came to its end.
enum class GameEnd : std::uint8_t {
    GameOver,  // a landing ended it; the game-over screen followed
    Escape,    // the player left it for the menu
    Run,       // the run ended in it (close, script, frames)
};

// One game of a run, as the player saw it.
struct GameRecord {
    ft::GameVariant variant = ft::GameVariant::A;
    std::int32_t startLevel = 1;
    std::string score;         // the number of the score text last shown ("1230")
    std::int32_t level = 1;    // the level of the game's last frame
    std::uint64_t frames = 0;  // passes of the game loop, the one that ended the game included
    GameEnd end = GameEnd::Run;
    EndReason runEnd = EndReason::Script;  // why the run ended, for GameEnd::Run
    // The run's time at the game's start cue and at its last frame: where a
    // playback of the game alone begins and ends.
    std::uint64_t startTime = 0;
    std::uint64_t lastFrameTime = 0;
};

// Follows the games of a run from the program's state at its pictures and
// cues. Each call that ends a game hands the game's record back.
struct GameWatch {
    std::optional<GameRecord> current;  // the game being played, if any
    std::size_t games = 0;              // games begun in the run

    // The start cue: the game's variant and starting level are set.
    void Started(const ft::GameSettings& settings);
    // A frame of the game presented: its score box and level box as drawn.
    void Presented(const ft::GameState& game, const ft::GameSettings& settings);
    // The game-over cue, in the frame that ended the game: its score text is
    // the one the game-over screen shows.
    std::optional<GameRecord> GameOver(const ft::GameState& game, const ft::GameSettings& settings);
    // The program is back at the menu (its wait or its tune) with the game
    // still running: it was left with Escape.
    std::optional<GameRecord> Left();
    // The run has ended; a game still running ended with it.
    std::optional<GameRecord> RunEnded(EndReason reason);
};

// The number of a score text as the game formats it ("SCORE: 1230" gives
// "1230"); a text of any other form whole.
std::string ShownScore(const ft::GameState& game);

}  // namespace platform
