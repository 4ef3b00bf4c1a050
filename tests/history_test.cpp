// SPDX-License-Identifier: MIT
// The kept recordings on disk: where they go, how each is made without
// touching what is there, what they play to by the game itself, the cache
// and the pruning of the folder.
#include "shell/history.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/common/line_sink.h"
#include "platform/common/script.h"
#include "platform/headless/verify.h"
#include "scoped_variable.h"

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string Session(const char* name) {
    return ReadFile(fs::path(FT_SOURCE_DIR) / "bench" / "sessions" / name);
}

// A game of GAME A left with Escape after a few landings; then the menu.
std::string ShortGame(int reseed) {
    return "reseed " + std::to_string(reseed) +
           "\n1 enter down\n2 enter up\n32 enter down\n33 enter up\n40 down down\n150 down up\n"
           "200 escape down\n201 escape up\n";
}
constexpr const char* kNoGame = "1 enter down\n2 enter up\n";

// The scores --verify tells for a script, game by game.
std::vector<std::uint64_t> VerifiedScores(const std::string& text) {
    platform::Result<platform::Script> script = platform::ParseScript(text, "script");
    EXPECT_TRUE(script.ok());
    platform::MemoryLines lines;
    platform::VerifyOptions options;
    options.script = std::move(*script);
    options.out = &lines;
    platform::VerifyPlatform host(std::move(options));
    platform::RunVerify(host);
    std::vector<std::uint64_t> scores;
    std::istringstream in(lines.Text());
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t at = line.find(", score ");
        if (line.rfind("game ", 0) == 0 && at != std::string::npos) {
            scores.push_back(std::stoull(line.substr(at + 8)));
        }
    }
    return scores;
}

std::vector<std::uint64_t> ScoresOf(const ft::KeptRun& run) {
    std::vector<std::uint64_t> scores;
    for (const ft::KeptGame& game : run.games) scores.push_back(game.score);
    return scores;
}

class History : public ::testing::Test {
protected:
    void TearDown() override { fs::remove_all(root_); }
    std::string Folder() const {
        return (root_ / "state" / "fompy-talden" / "recordings").string();
    }
    std::string Cache() const { return ft::CachePathFor(Folder()); }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(Folder())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    const fs::path root_ = fs::temp_directory_path() / ("ft-history-" + std::to_string(::getpid()));
    ScopedVariable utc_{"TZ", "UTC0"};
};

TEST_F(History, TheFolderIsTheStateFoldersOrTheHomesOrNone) {
    {
        ScopedVariable state("XDG_STATE_HOME", "/var/state");
        ScopedVariable home("HOME", "/home/player");
        EXPECT_EQ(ft::RecordingsFolder(), "/var/state/fompy-talden/recordings");
        EXPECT_EQ(ft::CachePathFor(ft::RecordingsFolder()),
                  "/var/state/fompy-talden/kept-games.cache");
    }
    for (const char* state : {"relative/state", "", static_cast<const char*>(nullptr)}) {
        ScopedVariable variable("XDG_STATE_HOME", state);
        ScopedVariable home("HOME", "/home/player");
        EXPECT_EQ(ft::RecordingsFolder(), "/home/player/.local/state/fompy-talden/recordings");
    }
    ScopedVariable state("XDG_STATE_HOME", nullptr);
    ScopedVariable home("HOME", nullptr);
    EXPECT_EQ(ft::RecordingsFolder(), "");
}

TEST_F(History, EachRunIsANewFileAndWhatIsThereIsLeftAsItIs) {
    const std::time_t when = 1767821405;  // 2026-01-07 21:30:05 UTC
    ft::KeptRecording first(Folder());
    first.Write("# before the start\n");  // waits for the file
    ASSERT_TRUE(first.Start(when));
    first.Write("1 enter down\n");
    EXPECT_EQ(first.Finish(), Folder() + "/20260107-213005.txt");
    EXPECT_EQ(ReadFile(Folder() + "/20260107-213005.txt"), "# before the start\n1 enter down\n");

    // The next names of that second are taken by a file and a link leading
    // nowhere: both stay, and the run takes the one after.
    WriteFile(Folder() + "/20260107-213005-2.txt", "the player's\n");
    fs::create_symlink(root_ / "nowhere", Folder() + "/20260107-213005-3.txt");
    ft::KeptRecording second(Folder());
    ASSERT_TRUE(second.Start(when));
    second.Write("2 enter up\n");
    EXPECT_EQ(second.Finish(), Folder() + "/20260107-213005-4.txt");
    EXPECT_EQ(ReadFile(Folder() + "/20260107-213005-4.txt"), "2 enter up\n");
    EXPECT_EQ(ReadFile(Folder() + "/20260107-213005-2.txt"), "the player's\n");
    EXPECT_FALSE(fs::exists(root_ / "nowhere"));
    EXPECT_EQ(ReadFile(Folder() + "/20260107-213005.txt"), "# before the start\n1 enter down\n");
}

TEST_F(History, AFolderThatCannotBeMadeKeepsNothingAndTheRunGoesOn) {
    fs::create_directories(root_);
    WriteFile(root_ / "state", "a file where the folder would be\n");
    ft::KeptRecording kept(Folder());
    kept.Write("1 enter down\n");
    EXPECT_FALSE(kept.Start(0));
    kept.Write("2 enter up\n");
    EXPECT_EQ(kept.Finish(), "");
    EXPECT_EQ(ReadFile(root_ / "state"), "a file where the folder would be\n");
    ft::KeptRecording nowhere("");
    EXPECT_FALSE(nowhere.Start(0));
}

TEST_F(History, BothLinesWritesEachLineToBoth) {
    platform::MemoryLines a;
    platform::MemoryLines b;
    ft::BothLines both(a, b);
    both.Write("1 enter down\n");
    both.Write("reseed 5\n");
    EXPECT_EQ(a.Text(), "1 enter down\nreseed 5\n");
    EXPECT_EQ(b.Text(), a.Text());
}

TEST_F(History, TheGamesAreWhatTheGamePlaysAndTheCacheHoldsWhileTheFilesDo) {
    fs::create_directories(Folder());
    const std::string gameB = Session("gameb7.txt");
    const std::string shortGame = Session("short.txt");
    WriteFile(Folder() + "/20260101-120000.txt", shortGame);
    WriteFile(Folder() + "/20260101-120000-2.txt", gameB);
    WriteFile(Folder() + "/notes.txt", "the player's own\n");

    const ft::KeptFolder first = ft::ReadKeptFolder(Folder(), Cache());
    ASSERT_EQ(first.runs.size(), 2U);
    EXPECT_EQ(first.verified, 2U);
    EXPECT_TRUE(first.passedOver.empty());
    EXPECT_EQ(first.runs[0].name, "20260101-120000.txt");
    EXPECT_EQ(ScoresOf(first.runs[0]), VerifiedScores(shortGame));
    EXPECT_EQ(ScoresOf(first.runs[1]), VerifiedScores(gameB));
    EXPECT_EQ(first.runs[1].games.at(0).variant, 'B');
    EXPECT_EQ(first.runs[1].games.at(0).startLevel, 7U);
    EXPECT_EQ(first.runs[1].games.at(0).end, "escape");

    // The second time from the cache, the same.
    const ft::KeptFolder second = ft::ReadKeptFolder(Folder(), Cache());
    EXPECT_EQ(second.verified, 0U);
    EXPECT_EQ(second.runs, first.runs);

    // A recording replaced by another is played again, and only it.
    WriteFile(Folder() + "/20260101-120000.txt", gameB);
    const ft::KeptFolder replaced = ft::ReadKeptFolder(Folder(), Cache());
    EXPECT_EQ(replaced.verified, 1U);
    EXPECT_EQ(ScoresOf(replaced.runs.at(0)), VerifiedScores(gameB));

    // A damaged cache is played past, and made anew.
    std::string cache = ReadFile(Cache());
    cache[cache.find("game 1 B 7 ") + 11] ^= 1;
    WriteFile(Cache(), cache);
    const ft::KeptFolder damaged = ft::ReadKeptFolder(Folder(), Cache());
    EXPECT_EQ(damaged.verified, 2U);
    EXPECT_EQ(damaged.runs, replaced.runs);
    EXPECT_EQ(ft::ReadKeptFolder(Folder(), Cache()).verified, 0U);
    EXPECT_EQ(ReadFile(Folder() + "/notes.txt"), "the player's own\n");
}

TEST_F(History, BadRecordingsArePassedOverWithALineEachAndLeftAsTheyAre) {
    fs::create_directories(Folder());
    const std::vector<std::pair<std::string, std::string>> bad = {
        {"20250101-000000.txt", "reseed 5\n1 enter down\n2 ent"},
        {"20250101-000001.txt", "# fompy-talden recording 2\n1 enter down\n"},
        {"20250101-000002.txt", "1 enter down\n\x01\x02\n"},
        {"20250101-000003.txt", std::string(ft::kMaxKeptBytes + 1, '#')},
    };
    for (const auto& [name, text] : bad) WriteFile(Folder() + "/" + name, text);
    WriteFile(Folder() + "/20260101-000000.txt", ShortGame(5));
    fs::create_directories(Folder() + "/20260101-000001.txt");  // a folder by a kept name

    const ft::KeptFolder kept = ft::ReadKeptFolder(Folder(), Cache());
    ASSERT_EQ(kept.runs.size(), 1U);
    EXPECT_EQ(ScoresOf(kept.runs[0]), VerifiedScores(ShortGame(5)));
    ASSERT_EQ(kept.passedOver.size(), 5U);
    for (std::size_t i = 0; i < bad.size(); ++i) {
        EXPECT_EQ(kept.passedOver[i].rfind(Folder() + "/" + bad[i].first + ":", 0), 0U)
            << kept.passedOver[i];
        EXPECT_EQ(kept.passedOver[i].find('\n'), std::string::npos);
    }
    EXPECT_NE(kept.passedOver[0].find("cut short"), std::string::npos);
    EXPECT_NE(kept.passedOver[1].find("version 2"), std::string::npos);
    EXPECT_NE(kept.passedOver[3].find("larger than 32 MiB"), std::string::npos);
    EXPECT_NE(kept.passedOver[4].find("a folder"), std::string::npos);

    EXPECT_TRUE(ft::PruneKeptFolder(Folder(), Cache()).empty());
    for (const auto& [name, text] : bad) EXPECT_EQ(ReadFile(Folder() + "/" + name), text) << name;
    EXPECT_EQ(ft::ScoresText(kept).rfind("1. ", 0), 0U);
}

TEST_F(History, PruningKeepsTheLastFiftyTheTablesAndWhatAnotherRunStillWrites) {
    fs::create_directories(Folder());
    // 62 runs of a game each, every score the same: the table holds the ten
    // earliest, the last 50 are kept, and the two between them go.
    std::vector<std::string> played;
    for (int i = 0; i < 62; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "20260101-%02d%02d00.txt", i / 60, i % 60);
        played.push_back(name);
        WriteFile(Folder() + "/" + name, ShortGame(7));
    }
    WriteFile(Folder() + "/20260102-000000.txt", kNoGame);
    WriteFile(Folder() + "/20250101-000000.txt", "1 enter down\n2 ent");
    // A run still being written, with no game yet.
    ft::KeptRecording running(Folder());
    ASSERT_TRUE(running.Start(1767830400));  // 2026-01-08 00:00:00 UTC
    running.Write(kNoGame);

    std::vector<std::string> removed = ft::PruneKeptFolder(Folder(), Cache());
    std::sort(removed.begin(), removed.end());
    EXPECT_EQ(removed, (std::vector<std::string>{played[10], played[11], "20260102-000000.txt"}));
    std::vector<std::string> left = played;
    left.erase(left.begin() + 10, left.begin() + 12);
    left.insert(left.begin(), "20250101-000000.txt");
    left.push_back("20260108-000000.txt");
    std::vector<std::string> expected = left;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Names(), expected);
    // The cache holds the runs left; the running one is played again as it
    // grows; another pruning changes nothing.
    EXPECT_EQ(ft::ReadKeptFolder(Folder(), Cache()).verified, 0U);
    running.Write("3 enter down\n");
    EXPECT_EQ(ft::ReadKeptFolder(Folder(), Cache()).verified, 1U);
    EXPECT_TRUE(ft::PruneKeptFolder(Folder(), Cache()).empty());
    // Once that run ends with no game, it goes too.
    EXPECT_FALSE(running.Finish().empty());
    EXPECT_EQ(ft::PruneKeptFolder(Folder(), Cache()),
              (std::vector<std::string>{"20260108-000000.txt"}));
}

TEST_F(History, TheScoresSayWhenNothingIsKept) {
    const ft::KeptFolder none = ft::ReadKeptFolder(Folder(), Cache());
    EXPECT_TRUE(none.runs.empty());
    EXPECT_EQ(ft::ScoresText(none), "no kept games yet: every game played in the window is kept\n");
    EXPECT_FALSE(fs::exists(root_ / "state"));  // looking made nothing
}

}  // namespace
