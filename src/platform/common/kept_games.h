// SPDX-License-Identifier: MIT
// kept_games.h -- the games every window run keeps, as plain values: the
// names of the kept recordings, what each recording plays to, the table of
// the best games, which runs the folder keeps, and the cache of what the
// recordings were verified to play to. Nothing here touches a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ft {

// The folder keeps the last kKeptRuns runs, and beyond them every run that
// holds one of the kTableGames games of the table.
inline constexpr std::size_t kKeptRuns = 50;
inline constexpr std::size_t kTableGames = 10;

// A kept recording's name: when its run started, local time, and which of
// the runs begun in that second it is (YYYYMMDD-HHMMSS.txt, -2.txt, -3.txt...).
struct RunName {
    std::string stamp;        // "YYYYMMDD-HHMMSS"
    std::uint32_t order = 1;  // 1 for the name without a number
    friend bool operator==(const RunName&, const RunName&) = default;
};

// "20260107-213005.txt" for order 1, "20260107-213005-2.txt" for 2.
std::string KeptRecordingName(const std::tm& local, std::uint32_t order);
std::string KeptRecordingName(const RunName& run);
// The run a name is the kept recording of; nothing for any other name
// (the cache, a file of the player's, "-1", "-02", a date that is none).
std::optional<RunName> ParseKeptRecordingName(std::string_view name);
// Whether a began before b.
bool EarlierRun(const RunName& a, const RunName& b);
// "2026-01-07 21:30:05"
std::string RunStartText(const RunName& run);

// One game of a kept recording, as the game itself plays it.
struct KeptGame {
    std::uint32_t number = 1;  // its number in the recording, from 1
    char variant = 'A';        // 'A' or 'B'
    std::uint32_t startLevel = 1;
    std::uint64_t score = 0;  // the score the game last showed
    std::uint32_t level = 1;
    std::uint64_t frames = 0;
    std::string end;  // "game over", "escape", "close", "script", "frames"
    friend bool operator==(const KeptGame&, const KeptGame&) = default;
};

// A kept recording and the games it plays to. Its size and the hash of its
// bytes tell whether a cached verification is still its own.
struct KeptRun {
    std::string name;  // the file's name in the folder
    std::uint64_t size = 0;
    std::uint64_t hash = 0;
    std::vector<KeptGame> games;
    friend bool operator==(const KeptRun&, const KeptRun&) = default;
};

// The 64-bit FNV-1a hash of a recording's bytes, folded in as they are read.
inline constexpr std::uint64_t kHashStart = 0xcbf29ce484222325ULL;
std::uint64_t HashBytes(std::uint64_t hash, std::string_view bytes);

// A game of the table and where it is kept.
struct TableGame {
    std::string file;
    RunName run;
    KeptGame game;
};

// The best games of the runs, at most count: the higher score first, and of
// equal scores the earlier game (the earlier run, then the earlier game in
// it). Runs whose names are not kept recordings' are passed over.
std::vector<TableGame> BestGames(const std::vector<KeptRun>& runs, std::size_t count = kTableGames);

// "1. 12340, GAME A from level 1, 2026-01-07 21:30:05, 20260107-213005.txt game 2\n"
std::string TableLine(std::size_t rank, const TableGame& entry);

// The names of the runs the folder no longer keeps: every run with no game,
// and, beyond the last keep runs with a game, those that hold no game of the
// table of tableGames.
std::vector<std::string> RunsToRemove(const std::vector<KeptRun>& runs,
                                      std::size_t keep = kKeptRuns,
                                      std::size_t tableGames = kTableGames);

// The cache of verified runs, a text of our own: a first line naming the
// format, a line per run and per game, and a last line holding the hash of
// all before it. A cache that is not whole and well formed in every line is
// no cache (nothing), so that a damaged one is rebuilt, never trusted.
std::string FormatCache(const std::vector<KeptRun>& runs);
std::optional<std::vector<KeptRun>> ParseCache(std::string_view text);
// The largest cache read; a larger file is no cache.
inline constexpr std::size_t kMaxCacheBytes = 4 * 1024 * 1024;

}  // namespace ft
