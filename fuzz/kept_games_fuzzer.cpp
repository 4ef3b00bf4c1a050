// SPDX-License-Identifier: MIT
// kept_games_fuzzer.cpp -- libFuzzer target of the reader of the kept games'
// cache, which the program reads back from the player's state folder: any
// bytes are read as they are and, sealed with their right sum, once more, so
// that the lines are reached past the sum. A cache read is one the writer
// makes, byte for byte; the names it holds are kept recordings' names.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/common/kept_games.h"

namespace {

// A broken promise: says which and stops, so libFuzzer keeps the input.
void Require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "kept-games-fuzzer: %s\n", what);
    std::abort();
}

void Check(std::string_view text) {
    const std::optional<std::vector<ft::KeptRun>> runs = ft::ParseCache(text);
    if (!runs) return;
    Require(ft::FormatCache(*runs) == text, "a cache read is not the one the writer makes of it");
    for (const ft::KeptRun& run : *runs) {
        const std::optional<ft::RunName> name = ft::ParseKeptRecordingName(run.name);
        Require(name.has_value(), "a run whose name is no kept recording's");
        Require(ft::KeptRecordingName(*name) == run.name, "a name that reads back otherwise");
        std::uint32_t last = 0;
        for (const ft::KeptGame& game : run.games) {
            Require(game.number > last, "game numbers that do not rise");
            Require(game.variant == 'A' || game.variant == 'B', "a variant neither A nor B");
            last = game.number;
        }
    }
    // Whatever the table makes of them is at most its ten, best first.
    const std::vector<ft::TableGame> table = ft::BestGames(*runs);
    Require(table.size() <= ft::kTableGames, "a table longer than ten");
    for (std::size_t i = 1; i < table.size(); ++i) {
        Require(table[i - 1].game.score >= table[i].game.score, "a table not best first");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Check(text);
    // The same bytes as the lines before a sum that is right for them.
    if (size > ft::kMaxCacheBytes) return 0;
    std::string sealed(text);
    if (!sealed.empty() && sealed.back() != '\n') sealed += '\n';
    char sum[24];
    std::snprintf(sum, sizeof sum, "sum %016llx\n",
                  static_cast<unsigned long long>(ft::HashBytes(ft::kHashStart, sealed)));
    Check(sealed + sum);
    // Each line as a recording's name.
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line = text.substr(start, end - start);
        if (const std::optional<ft::RunName> name = ft::ParseKeptRecordingName(line)) {
            Require(ft::KeptRecordingName(*name) == line, "a name that reads back otherwise");
        }
        start = end + 1;
    }
    return 0;
}
