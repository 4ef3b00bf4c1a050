// SPDX-License-Identifier: MIT
// kept_games.cpp -- the kept recordings' names, the table of the best games,
// which runs the folder keeps, and the cache of verified runs.
#include "platform/common/kept_games.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <set>

#include "platform/common/text.h"

namespace ft {

namespace {

constexpr std::string_view kExtension = ".txt";
constexpr std::uint32_t kMostOrder = 9999;  // runs begun in one second, far beyond any player
constexpr std::string_view kCacheMark = "# fompy-talden kept games 1";
constexpr std::string_view kSumWord = "sum ";
// How a game may end, as --verify names it.
constexpr std::array<std::string_view, 5> kEnds = {"game over", "escape", "close", "script",
                                                   "frames"};

bool AllDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int Number(std::string_view digits) {
    int value = 0;
    for (const char c : digits) value = value * 10 + (c - '0');
    return value;
}

// A stamp that a clock could show: YYYYMMDD-HHMMSS, each field in its range.
bool IsStamp(std::string_view stamp) {
    if (stamp.size() != 15 || stamp[8] != '-') return false;
    if (!AllDigits(stamp.substr(0, 8)) || !AllDigits(stamp.substr(9))) return false;
    const int month = Number(stamp.substr(4, 2));
    const int day = Number(stamp.substr(6, 2));
    return month >= 1 && month <= 12 && day >= 1 && day <= 31 && Number(stamp.substr(9, 2)) < 24 &&
           Number(stamp.substr(11, 2)) < 60 && Number(stamp.substr(13, 2)) <= 60;
}

// The fields of a line split at single spaces; the last field, from
// lastFrom on, takes the rest of the line whole.
std::vector<std::string_view> Fields(std::string_view line, std::size_t lastFrom) {
    std::vector<std::string_view> fields;
    while (fields.size() + 1 < lastFrom) {
        const std::size_t space = line.find(' ');
        if (space == std::string_view::npos) break;
        fields.push_back(line.substr(0, space));
        line.remove_prefix(space + 1);
    }
    fields.push_back(line);
    return fields;
}

std::optional<std::uint64_t> Decimal(std::string_view text, std::uint64_t max) {
    const platform::Decimal number = platform::ParseDecimal(text, max);
    if (number.status != platform::Decimal::Status::Ok) return std::nullopt;
    // One way to write each number: "007" is no number of ours.
    if (text.size() > 1 && text.front() == '0') return std::nullopt;
    return number.value;
}

std::string Hex(std::uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

std::optional<std::uint64_t> ParseHex(std::string_view text) {
    if (text.size() != 16) return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : text) {
        int digit = 0;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else {
            return std::nullopt;
        }
        value = value << 4 | static_cast<std::uint64_t>(digit);
    }
    return value;
}

constexpr std::uint64_t kMost32 = 0xffffffffULL;
constexpr std::uint64_t kMost64 = 0xffffffffffffffffULL;

std::optional<KeptGame> ParseGameLine(std::string_view line) {
    const std::vector<std::string_view> f = Fields(line, 8);
    if (f.size() != 8 || f[0] != "game" || (f[2] != "A" && f[2] != "B")) return std::nullopt;
    if (std::find(kEnds.begin(), kEnds.end(), f[7]) == kEnds.end()) return std::nullopt;
    const auto number = Decimal(f[1], kMost32);
    const auto startLevel = Decimal(f[3], kMost32);
    const auto score = Decimal(f[4], kMost64);
    const auto level = Decimal(f[5], kMost32);
    const auto frames = Decimal(f[6], kMost64);
    if (!number || !startLevel || !score || !level || !frames) return std::nullopt;
    KeptGame game;
    game.number = static_cast<std::uint32_t>(*number);
    game.variant = f[2][0];
    game.startLevel = static_cast<std::uint32_t>(*startLevel);
    game.score = *score;
    game.level = static_cast<std::uint32_t>(*level);
    game.frames = *frames;
    game.end = std::string(f[7]);
    return game;
}

}  // namespace

std::string KeptRecordingName(const std::tm& local, std::uint32_t order) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d-%02d%02d%02d",
                  std::clamp(local.tm_year + 1900, 0, 9999), local.tm_mon + 1, local.tm_mday,
                  local.tm_hour, local.tm_min, local.tm_sec);
    return KeptRecordingName(RunName{stamp, order});
}

std::string KeptRecordingName(const RunName& run) {
    return run.stamp + (run.order <= 1 ? "" : "-" + std::to_string(run.order)) +
           std::string(kExtension);
}

std::optional<RunName> ParseKeptRecordingName(std::string_view name) {
    if (!name.ends_with(kExtension)) return std::nullopt;
    name.remove_suffix(kExtension.size());
    if (!IsStamp(name.substr(0, 15))) return std::nullopt;
    RunName run{std::string(name.substr(0, 15)), 1};
    name.remove_prefix(std::min<std::size_t>(15, name.size()));
    if (name.empty()) return run;
    if (name.front() != '-') return std::nullopt;
    const std::optional<std::uint64_t> order = Decimal(name.substr(1), kMostOrder);
    if (!order || *order < 2) return std::nullopt;
    run.order = static_cast<std::uint32_t>(*order);
    return run;
}

bool EarlierRun(const RunName& a, const RunName& b) {
    if (a.stamp != b.stamp) return a.stamp < b.stamp;
    return a.order < b.order;
}

std::string RunStartText(const RunName& run) {
    const std::string& s = run.stamp;
    return s.substr(0, 4) + "-" + s.substr(4, 2) + "-" + s.substr(6, 2) + " " + s.substr(9, 2) +
           ":" + s.substr(11, 2) + ":" + s.substr(13, 2);
}

std::uint64_t HashBytes(std::uint64_t hash, std::string_view bytes) {
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

std::vector<TableGame> BestGames(const std::vector<KeptRun>& runs, std::size_t count) {
    std::vector<TableGame> games;
    for (const KeptRun& run : runs) {
        const std::optional<RunName> name = ParseKeptRecordingName(run.name);
        if (!name) continue;
        for (const KeptGame& game : run.games) games.push_back({run.name, *name, game});
    }
    const auto better = [](const TableGame& a, const TableGame& b) {
        if (a.game.score != b.game.score) return a.game.score > b.game.score;
        if (!(a.run == b.run)) return EarlierRun(a.run, b.run);
        return a.game.number < b.game.number;
    };
    std::stable_sort(games.begin(), games.end(), better);
    if (games.size() > count) games.resize(count);
    return games;
}

std::string TableLine(std::size_t rank, const TableGame& entry) {
    return std::to_string(rank) + ". " + std::to_string(entry.game.score) + ", GAME " +
           entry.game.variant + " from level " + std::to_string(entry.game.startLevel) + ", " +
           RunStartText(entry.run) + ", " + entry.file + " game " +
           std::to_string(entry.game.number) + "\n";
}

std::vector<std::string> RunsToRemove(const std::vector<KeptRun>& runs, std::size_t keep,
                                      std::size_t tableGames) {
    struct Named {
        const KeptRun* run;
        RunName name;
    };
    std::vector<Named> played;
    std::vector<std::string> remove;
    for (const KeptRun& run : runs) {
        const std::optional<RunName> name = ParseKeptRecordingName(run.name);
        if (!name) continue;  // not a kept recording: not ours to remove
        if (run.games.empty()) {
            remove.push_back(run.name);
        } else {
            played.push_back({&run, *name});
        }
    }
    // The latest first: the first keep of them stay whatever they hold.
    std::sort(played.begin(), played.end(),
              [](const Named& a, const Named& b) { return EarlierRun(b.name, a.name); });
    std::set<std::string> inTable;
    for (const TableGame& game : BestGames(runs, tableGames)) inTable.insert(game.file);
    for (std::size_t i = keep; i < played.size(); ++i) {
        if (inTable.count(played[i].run->name) == 0) remove.push_back(played[i].run->name);
    }
    return remove;
}

std::string FormatCache(const std::vector<KeptRun>& runs) {
    std::string text = std::string(kCacheMark) + "\n";
    for (const KeptRun& run : runs) {
        text += "run " + run.name + " " + std::to_string(run.size) + " " + Hex(run.hash) + " " +
                std::to_string(run.games.size()) + "\n";
        for (const KeptGame& game : run.games) {
            text += "game " + std::to_string(game.number) + " " + game.variant + " " +
                    std::to_string(game.startLevel) + " " + std::to_string(game.score) + " " +
                    std::to_string(game.level) + " " + std::to_string(game.frames) + " " +
                    game.end + "\n";
        }
    }
    text += std::string(kSumWord) + Hex(HashBytes(kHashStart, text)) + "\n";
    return text;
}

std::optional<std::vector<KeptRun>> ParseCache(std::string_view text) {
    if (text.size() > kMaxCacheBytes || !text.ends_with('\n')) return std::nullopt;
    // The sum line is the last, and sums every byte before it.
    const std::size_t sumAt = text.rfind('\n', text.size() - 2) + 1;  // 0 for a single line
    const std::string_view sumLine = text.substr(sumAt, text.size() - 1 - sumAt);
    if (!sumLine.starts_with(kSumWord)) return std::nullopt;
    const std::optional<std::uint64_t> sum = ParseHex(sumLine.substr(kSumWord.size()));
    if (!sum || *sum != HashBytes(kHashStart, text.substr(0, sumAt))) return std::nullopt;

    std::string_view body = text.substr(0, sumAt);
    std::vector<KeptRun> runs;
    std::set<std::string, std::less<>> names;
    std::uint64_t gamesDue = 0;  // the games the last run line announced, still to come
    bool first = true;
    while (!body.empty()) {
        const std::size_t end = body.find('\n');
        const std::string_view line = body.substr(0, end);
        body.remove_prefix(end + 1);
        if (first) {
            if (line != kCacheMark) return std::nullopt;
            first = false;
            continue;
        }
        if (line.starts_with("game ")) {
            if (gamesDue == 0) return std::nullopt;
            std::optional<KeptGame> game = ParseGameLine(line);
            // Numbered as the recording plays them: rising, from 1.
            const std::vector<KeptGame>& games = runs.back().games;
            if (!game || game->number == 0 ||
                (!games.empty() && game->number <= games.back().number)) {
                return std::nullopt;
            }
            runs.back().games.push_back(std::move(*game));
            --gamesDue;
            continue;
        }
        if (gamesDue != 0) return std::nullopt;
        const std::vector<std::string_view> f = Fields(line, 5);
        if (f.size() != 5 || f[0] != "run" || !ParseKeptRecordingName(f[1])) return std::nullopt;
        if (!names.insert(std::string(f[1])).second) return std::nullopt;
        const auto size = Decimal(f[2], kMost64);
        const auto hash = ParseHex(f[3]);
        const auto games = Decimal(f[4], kMost32);
        if (!size || !hash || !games) return std::nullopt;
        runs.push_back(KeptRun{std::string(f[1]), *size, *hash, {}});
        gamesDue = *games;
    }
    if (first || gamesDue != 0) return std::nullopt;
    return runs;
}

}  // namespace ft
