// SPDX-License-Identifier: MIT
// best_scores.h -- the scores of the table of the best kept games, as a
// window run knows them, and the rank a game that just ended takes in it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// How many games the table holds.
inline constexpr std::size_t kRankedGames = 10;

// The table's scores, best first. Of equal scores the earlier game ranks
// first, so a game that has just ended goes after every score equal to its
// own.
class BestScores {
public:
    // The table's scores at the run's start, in any order.
    explicit BestScores(std::vector<std::uint64_t> scores);

    // A game of the run has ended: it takes its place, and its rank (1 for
    // the best) is handed back when it is in the table.
    std::optional<std::size_t> Enter(std::uint64_t score);
    // The same for the score as the game showed it ("1230", empty before
    // the first frame, which counts as 0); a text of any other form is no
    // game of the table.
    std::optional<std::size_t> Enter(std::string_view shown);

    const std::vector<std::uint64_t>& Scores() const { return scores_; }

private:
    std::vector<std::uint64_t> scores_;
};

// "NEW BEST" for the first place, "2ND BEST", "3RD BEST", "4TH BEST" ...
std::string RankNote(std::size_t rank);

}  // namespace platform
