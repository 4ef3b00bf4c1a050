// SPDX-License-Identifier: MIT
// page_kept.cpp -- the page's kept games, played again by the game itself:
// built apart from the page's program (fompy-talden-kept.js, run in a worker
// by kept_worker.js), the headless core plays each recording the page keeps
// to the games it holds, as --verify does, and hands back the table of the
// best games, the runs the page no longer keeps and the cache of what each
// recording played to. The table's order, the pruning and the cache are the
// desktop's own (platform/common/kept_games.h).
//
// Every call takes its text as borrowed bytes and returns a text that lasts
// until the next call.
#include <emscripten.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/common/kept_games.h"
#include "platform/common/text.h"
#include "platform/headless/verify.h"

namespace {

// The runs of one look at the page's storage, the cache they were read with
// and what the look said.
struct KeptLook {
    std::vector<ft::KeptRun> cached;
    std::vector<ft::KeptRun> runs;
    std::string told;    // the lines handed back
    std::string answer;  // the last text returned
};

KeptLook& Look() {
    static KeptLook look;
    return look;
}

std::string_view Bytes(const char* text, int length) {
    return {text, static_cast<std::size_t>(std::max(length, 0))};
}

}  // namespace

extern "C" {

// A new look at the page's storage, with the cache the page kept of the
// last one (a damaged cache, or none, is no cache).
EMSCRIPTEN_KEEPALIVE void KeptBegin(const char* cache, int length) {
    KeptLook& look = Look();
    look = KeptLook{};
    if (std::optional<std::vector<ft::KeptRun>> runs = ft::ParseCache(Bytes(cache, length))) {
        look.cached = std::move(*runs);
    }
}

// One kept recording: taken from the cache when its size and hash are
// those cached, else played by the game. A recording that is not one is
// told ("passed\tWHY") and left out of the table, and stays as it is.
EMSCRIPTEN_KEEPALIVE void KeptAdd(const char* name, const char* text, int length) {
    KeptLook& look = Look();
    const std::string_view bytes = Bytes(text, length);
    const auto cached = std::find_if(look.cached.begin(), look.cached.end(), [&](const auto& run) {
        return run.name == name && run.size == bytes.size() &&
               run.hash == ft::HashBytes(ft::kHashStart, bytes);
    });
    if (cached != look.cached.end()) {
        look.runs.push_back(*cached);
        return;
    }
    platform::Result<ft::KeptRun> run =
        platform::VerifyKeptText(name, bytes, platform::PrintableText(name));
    if (!run) {
        look.told += "passed\t" + run.reason() + "\n";
        return;
    }
    look.runs.push_back(std::move(*run));
}

// What the look found, a line each: the table's games best first
// ("best\tRANK\tSCORE\tVARIANT\tLEVEL\tFILE\tGAME\tSTARTED", STARTED as
// "2026-01-07 21:30:05"), the runs no longer kept ("remove\tNAME"), the
// recordings passed over, and last the cache to keep ("cache\t" and the
// cache's text to the end).
EMSCRIPTEN_KEEPALIVE const char* KeptFinish() {
    KeptLook& look = Look();
    std::string& out = look.answer;
    out.clear();
    std::size_t rank = 0;
    for (const ft::TableGame& entry : ft::BestGames(look.runs)) {
        out += "best\t" + std::to_string(++rank) + "\t" + std::to_string(entry.game.score) + "\t" +
               entry.game.variant + "\t" + std::to_string(entry.game.startLevel) + "\t" +
               entry.file + "\t" + std::to_string(entry.game.number) + "\t" +
               ft::RunStartText(entry.run) + "\n";
    }
    const std::vector<std::string> removed = ft::RunsToRemove(look.runs);
    for (const std::string& name : removed) out += "remove\t" + name + "\n";
    std::erase_if(look.runs, [&](const ft::KeptRun& run) {
        return std::find(removed.begin(), removed.end(), run.name) != removed.end();
    });
    out += look.told;
    out += "cache\t" + ft::FormatCache(look.runs);
    return out.c_str();
}

// Where each game of a recording begins and ends in its run's time, for a
// watch: "game\tNUMBER\tFROM\tUNTIL\tTO_GAME_OVER" (1 when it ended on its
// game-over screen), or one line "refused\tWHY" for a recording the script
// reader refuses.
EMSCRIPTEN_KEEPALIVE const char* KeptGames(const char* where, const char* text, int length) {
    std::string& out = Look().answer;
    out.clear();
    std::vector<platform::GameRecord> records;
    const platform::Result<ft::KeptRun> run = platform::VerifyKeptText(
        where, Bytes(text, length), platform::PrintableText(where), &records);
    if (!run) {
        out = "refused\t" + run.reason() + "\n";
        return out.c_str();
    }
    for (std::size_t i = 0; i < records.size(); ++i) {
        out += "game\t" + std::to_string(i + 1) + "\t" + std::to_string(records[i].startTime) +
               "\t" + std::to_string(records[i].lastFrameTime) + "\t" +
               (records[i].end == platform::GameEnd::GameOver ? "1" : "0") + "\n";
    }
    return out.c_str();
}
}
