// SPDX-License-Identifier: MIT
// game_watch.cpp -- a run's games, followed through its cues and pictures.
#include "platform/journal/game_watch.h"

#include <algorithm>
#include <string_view>
#include <utility>

namespace platform {

namespace {

constexpr std::string_view kScorePrefix = "SCORE: ";

}  // namespace

std::string ShownScore(const ft::GameState& game) {
    const auto length = static_cast<std::size_t>(
        std::clamp(game.hudLength, 0, static_cast<std::int32_t>(game.hudText.size())));
    std::string_view text(game.hudText.data(), length);
    if (text.starts_with(kScorePrefix)) text.remove_prefix(kScorePrefix.size());
    return std::string(text);
}

void GameWatch::Started(const ft::GameSettings& settings) {
    ++games;
    current = GameRecord{};
    current->variant = settings.variant;
    current->startLevel = settings.level;
    current->level = settings.level;
}

void GameWatch::Presented(const ft::GameState& game, const ft::GameSettings& settings) {
    if (!current) return;
    ++current->frames;
    current->score = ShownScore(game);
    current->level = settings.level;
}

std::optional<GameRecord> GameWatch::GameOver(const ft::GameState& game,
                                              const ft::GameSettings& settings) {
    if (!current) return std::nullopt;
    // The frame that ended the game presents only after the game-over
    // screen's wait, and belongs to the game all the same.
    ++current->frames;
    current->score = ShownScore(game);
    current->level = settings.level;
    current->end = GameEnd::GameOver;
    return std::exchange(current, std::nullopt);
}

std::optional<GameRecord> GameWatch::Left() {
    if (!current) return std::nullopt;
    current->end = GameEnd::Escape;
    return std::exchange(current, std::nullopt);
}

std::optional<GameRecord> GameWatch::RunEnded(EndReason reason) {
    if (!current) return std::nullopt;
    current->end = GameEnd::Run;
    current->runEnd = reason;
    return std::exchange(current, std::nullopt);
}

}  // namespace platform
