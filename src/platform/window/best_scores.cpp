// SPDX-License-Identifier: MIT
// best_scores.cpp -- a game's place among the best.
#include "platform/window/best_scores.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <utility>

#include "platform/common/text.h"

namespace platform {

BestScores::BestScores(std::vector<std::uint64_t> scores) : scores_(std::move(scores)) {
    std::sort(scores_.begin(), scores_.end(), std::greater<>());
    if (scores_.size() > kRankedGames) scores_.resize(kRankedGames);
}

std::optional<std::size_t> BestScores::Enter(std::uint64_t score) {
    // After every score at least as high: the earlier game ranks first.
    const auto place = std::upper_bound(scores_.begin(), scores_.end(), score, std::greater<>());
    const auto rank = static_cast<std::size_t>(std::distance(scores_.begin(), place)) + 1;
    if (rank > kRankedGames) return std::nullopt;
    scores_.insert(place, score);
    if (scores_.size() > kRankedGames) scores_.pop_back();
    return rank;
}

std::optional<std::size_t> BestScores::Enter(std::string_view shown) {
    if (shown.empty()) return Enter(std::uint64_t{0});
    const Decimal score = ParseDecimal(shown, UINT64_MAX);
    if (score.status != Decimal::Status::Ok) return std::nullopt;
    return Enter(score.value);
}

std::string RankNote(std::size_t rank) {
    if (rank <= 1) return "NEW BEST";
    const char* suffix = "TH";
    if (rank % 100 < 11 || rank % 100 > 13) {
        if (rank % 10 == 2) suffix = "ND";
        if (rank % 10 == 3) suffix = "RD";
        if (rank % 10 == 1) suffix = "ST";
    }
    return std::to_string(rank) + suffix + " BEST";
}

}  // namespace platform
