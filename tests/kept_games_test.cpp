// SPDX-License-Identifier: MIT
// The kept games as plain values: the recordings' names, the table's order,
// which runs the folder keeps, and the cache that is trusted only whole.
#include "platform/common/kept_games.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using ft::KeptGame;
using ft::KeptRun;
using ft::RunName;

std::tm At(int year, int month, int day, int hour, int minute, int second) {
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    return local;
}

KeptGame Game(std::uint32_t number, std::uint64_t score, std::string end = "game over") {
    KeptGame game;
    game.number = number;
    game.score = score;
    game.frames = 100 * number;
    game.end = std::move(end);
    return game;
}

KeptRun KeptRunOf(std::string name, std::vector<KeptGame> games) {
    return KeptRun{std::move(name), 1000, 0x0123456789abcdefULL, std::move(games)};
}

// The name of the i-th run of a day, a minute apart.
std::string NthRun(int i) {
    return ft::KeptRecordingName(At(2026, 1, 1 + i / 600, (i / 60) % 10, i % 60, 0), 1);
}

// A cache text with its sum line made right, whatever its body holds.
std::string Sealed(const std::string& body) {
    char sum[17];
    std::snprintf(sum, sizeof sum, "%016llx",
                  static_cast<unsigned long long>(ft::HashBytes(ft::kHashStart, body)));
    return body + "sum " + sum + "\n";
}

TEST(KeptGames, NamesSayWhenTheRunBeganAndNothingElseIsTakenForOne) {
    EXPECT_EQ(ft::KeptRecordingName(At(2026, 1, 7, 21, 30, 5), 1), "20260107-213005.txt");
    EXPECT_EQ(ft::KeptRecordingName(At(2026, 1, 7, 21, 30, 5), 2), "20260107-213005-2.txt");
    EXPECT_EQ(ft::KeptRecordingName(At(999, 12, 31, 0, 0, 0), 17), "09991231-000000-17.txt");
    for (const std::uint32_t order : {1U, 2U, 10U, 999U}) {
        const std::string name = ft::KeptRecordingName(At(2026, 12, 31, 23, 59, 59), order);
        const auto parsed = ft::ParseKeptRecordingName(name);
        ASSERT_TRUE(parsed) << name;
        EXPECT_EQ(*parsed, (RunName{"20261231-235959", order}));
        EXPECT_EQ(ft::KeptRecordingName(*parsed), name);
    }
    for (const char* other :
         {"20260107-213005-1.txt", "20260107-213005-02.txt", "20260107-213005-.txt",
          "20261307-213005.txt", "20260100-213005.txt", "20260107-243005.txt",
          "20260107-216005.txt", "20260107-213005.TXT", "20260107213005.txt", "2026017-213005.txt",
          "20260107-213005.txt~", "x20260107-213005.txt", "kept-games.cache", ".txt", ""}) {
        EXPECT_FALSE(ft::ParseKeptRecordingName(other)) << other;
    }
    EXPECT_EQ(ft::RunStartText({"20260107-213005", 3}), "2026-01-07 21:30:05");
}

TEST(KeptGames, RunsOfOneSecondFollowTheirNumbersAndComeBeforeTheNextSecond) {
    const RunName plain{"20260107-213005", 1};
    const RunName second{"20260107-213005", 2};
    const RunName ninth{"20260107-213005", 9};
    const RunName tenth{"20260107-213005", 10};
    const RunName later{"20260107-213006", 1};
    EXPECT_TRUE(ft::EarlierRun(plain, second));
    EXPECT_TRUE(ft::EarlierRun(ninth, tenth));  // by number, not as text
    EXPECT_TRUE(ft::EarlierRun(tenth, later));
    EXPECT_FALSE(ft::EarlierRun(second, plain));
    EXPECT_FALSE(ft::EarlierRun(plain, plain));
}

TEST(KeptGames, TheTableIsTheBestFirstAndOfEqualScoresTheEarlierGame) {
    const std::vector<KeptRun> runs = {
        // Given in no order of time: the table finds it from the names.
        KeptRunOf("20260107-213005-10.txt", {Game(1, 500)}),
        KeptRunOf("20260107-213005-9.txt", {Game(1, 500)}),
        KeptRunOf("20260107-213005.txt", {Game(1, 120), Game(2, 500), Game(3, 500)}),
        KeptRunOf("20260106-080000.txt", {Game(1, 90), Game(2, 7000, "escape")}),
        KeptRunOf("notes.txt", {Game(1, 99999)}),  // not a kept recording
        KeptRunOf("20260108-000000.txt", {}),
    };
    const std::vector<ft::TableGame> table = ft::BestGames(runs, 10);
    std::vector<std::string> order;
    for (const ft::TableGame& entry : table) {
        order.push_back(std::to_string(entry.game.score) + " " + entry.file + " " +
                        std::to_string(entry.game.number));
    }
    EXPECT_EQ(order,
              (std::vector<std::string>{"7000 20260106-080000.txt 2", "500 20260107-213005.txt 2",
                                        "500 20260107-213005.txt 3", "500 20260107-213005-9.txt 1",
                                        "500 20260107-213005-10.txt 1", "120 20260107-213005.txt 1",
                                        "90 20260106-080000.txt 1"}));
    EXPECT_EQ(ft::BestGames(runs, 3).size(), 3U);
    EXPECT_EQ(ft::TableLine(1, table[0]),
              "1. 7000, GAME A from level 1, 2026-01-06 08:00:00, 20260106-080000.txt game 2\n");
    ft::TableGame b = table[1];
    b.game.variant = 'B';
    b.game.startLevel = 7;
    EXPECT_EQ(ft::TableLine(10, b),
              "10. 500, GAME B from level 7, 2026-01-07 21:30:05, 20260107-213005.txt game 2\n");
}

TEST(KeptGames, TheFolderKeepsTheLastRunsAndTheTablesAndNoRunWithoutAGame) {
    // 60 runs of one game each, the oldest scoring best: runs 0 to 9 hold
    // the table, 10 to 59 are the last 50, and nothing is removed.
    std::vector<KeptRun> runs;
    for (int i = 0; i < 60; ++i) runs.push_back(KeptRunOf(NthRun(i), {Game(1, 1000 - i)}));
    EXPECT_TRUE(ft::RunsToRemove(runs).empty());

    // Five more: the five after the table's ten go, oldest first.
    for (int i = 60; i < 65; ++i) runs.push_back(KeptRunOf(NthRun(i), {Game(1, 1)}));
    std::vector<std::string> removed = ft::RunsToRemove(runs);
    std::sort(removed.begin(), removed.end());
    EXPECT_EQ(removed, (std::vector<std::string>{NthRun(10), NthRun(11), NthRun(12), NthRun(13),
                                                 NthRun(14)}));

    // A run with no game goes however new; a name of another kind stays
    // whatever it holds; a table game kept beyond the last runs stays.
    std::vector<KeptRun> few = {KeptRunOf(NthRun(0), {Game(1, 5)}), KeptRunOf(NthRun(1), {}),
                                KeptRunOf("mine.txt", {}),
                                KeptRunOf(NthRun(2), {Game(1, 0), Game(2, 3)})};
    EXPECT_EQ(ft::RunsToRemove(few, 1, 1), (std::vector<std::string>{NthRun(1)}));
    EXPECT_EQ(ft::RunsToRemove(few, 1, 0), (std::vector<std::string>{NthRun(1), NthRun(0)}));
    EXPECT_EQ(ft::RunsToRemove(few, 50, 10), (std::vector<std::string>{NthRun(1)}));
}

TEST(KeptGames, TheCacheReadsBackAsWritten) {
    std::vector<KeptRun> runs = {
        KeptRunOf("20260107-213005.txt", {Game(1, 0, "escape"), Game(3, 18446744073709551615ULL)}),
        KeptRunOf("20260107-213005-2.txt", {}),
        KeptRunOf("20260108-000000.txt", {Game(1, 1230, "close")}),
    };
    runs[0].games[1].variant = 'B';
    runs[0].games[1].startLevel = 7;
    runs[0].games[1].level = 15;
    runs[2].size = 0;
    runs[2].hash = 0;
    const auto back = ft::ParseCache(ft::FormatCache(runs));
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, runs);
    const auto none = ft::ParseCache(ft::FormatCache({}));
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->empty());
}

TEST(KeptGames, ACacheDamagedAnywhereIsNoCache) {
    const std::string text =
        ft::FormatCache({KeptRunOf("20260107-213005.txt", {Game(1, 40), Game(2, 1230, "escape")}),
                         KeptRunOf("20260108-000000.txt", {Game(1, 5)})});
    ASSERT_TRUE(ft::ParseCache(text));
    for (std::size_t length = 0; length < text.size(); ++length) {
        EXPECT_FALSE(ft::ParseCache(text.substr(0, length))) << "cut at " << length;
    }
    for (std::size_t at = 0; at < text.size(); ++at) {
        std::string changed = text;
        changed[at] = changed[at] == '1' ? '2' : '1';
        EXPECT_FALSE(ft::ParseCache(changed)) << "changed at " << at;
    }
    EXPECT_FALSE(ft::ParseCache(text + text));
}

TEST(KeptGames, ACacheWithItsSumRightIsStillReadOnlyWhenEveryLineIsWellFormed) {
    const std::string mark = "# fompy-talden kept games 1\n";
    const std::string run = "run 20260107-213005.txt 120 0123456789abcdef 1\n";
    const std::string game = "game 1 A 1 40 1 200 game over\n";
    ASSERT_TRUE(ft::ParseCache(Sealed(mark + run + game)));
    for (const std::string& body : {
             std::string("# fompy-talden kept games 2\n") + run + game,  // another format
             mark + game + run,                                          // a game before its run
             mark + run,                                                 // a game missing
             mark + run + game + game,        // a game too many, and numbered twice
             mark + run + game + run + game,  // a run twice
             mark + "run notes.txt 120 0123456789abcdef 1\n" + game,  // not a kept recording
             mark + "run 20260107-213005.txt 0120 0123456789abcdef 1\n" + game,
             mark + "run 20260107-213005.txt 120 0123456789ABCDEF 1\n" + game,
             mark + "run 20260107-213005.txt 120 0123456789abcde 1\n" + game,
             mark + run + "game 1 C 1 40 1 200 game over\n",
             mark + run + "game 1 A 1 40 1 200 over\n",
             mark + run + "game 0 A 1 40 1 200 escape\n",
             mark + run + "game 1 A 1 -40 1 200 escape\n",
             mark + run + "game 1 A 1 18446744073709551616 1 200 escape\n",
             mark + run + "game 1  A 1 40 1 200 escape\n",
             mark + run + game + "\n",
             std::string(),
         }) {
        EXPECT_FALSE(ft::ParseCache(Sealed(body))) << body;
    }
}

}  // namespace
