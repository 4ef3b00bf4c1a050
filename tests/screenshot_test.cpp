// SPDX-License-Identifier: MIT
// Screenshots: the folder they go to, a new file for every save (never one
// that was there, nor what a link in its place points to), and the lines that
// say where they went or why they could not.
#include "platform/window/screenshot.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "scoped_variable.h"

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A scratch folder for each test, and a picture whose every row differs.
// The clock reads UTC, so that time 0 is fompy-talden-19700101-000000.
class Screenshot : public ::testing::Test {
protected:
    void SetUp() override {
        fs::remove_all(root_);
        fs::create_directories(root_);
        tzset();
        for (std::size_t i = 0; i < pixels_.size(); ++i) {
            pixels_[i] = static_cast<std::uint8_t>(i / platform::kScreenWidth);
        }
        for (std::size_t i = 0; i < palette_.size(); ++i) {
            palette_[i] = {static_cast<std::uint8_t>(i), 0, static_cast<std::uint8_t>(255 - i)};
        }
    }
    void TearDown() override {
        fs::remove_all(root_);
        utc_.reset();
        tzset();
    }

    platform::Result<std::string> Save(const fs::path& folder, std::time_t when = 0) {
        return platform::SaveScreenshot(folder.string(), {pixels_.data(), platform::kScreenWidth},
                                        palette_, true, when);
    }
    std::string Name(int n) const {
        return n == 1 ? "fompy-talden-19700101-000000.png"
                      : "fompy-talden-19700101-000000-" + std::to_string(n) + ".png";
    }
    // The files a folder holds, links among them, by name.
    static std::vector<std::string> Names(const fs::path& folder) {
        std::vector<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    static bool IsPng(const fs::path& path) {
        return ReadFile(path).rfind("\x89PNG\r\n\x1a\n", 0) == 0 && !fs::is_symlink(path);
    }

    const fs::path root_ = fs::temp_directory_path() / ("ft-shots-" + std::to_string(::getpid()));
    std::optional<ScopedVariable> utc_{std::in_place, "TZ", "UTC0"};
    std::array<std::uint8_t, platform::kScreenWidth * platform::kScreenHeight> pixels_{};
    platform::Palette palette_{};
};

TEST_F(Screenshot, EachSaveIsANewFileAndTheNamesThereAreLeftAsTheyAre) {
    const fs::path folder = root_ / "Pictures" / "fompy-talden";  // made, parents and all
    const auto first = Save(folder);
    ASSERT_TRUE(first.ok()) << first.reason();
    EXPECT_EQ(*first, (folder / Name(1)).string());
    EXPECT_TRUE(IsPng(*first));
    const std::string picture = ReadFile(*first);

    // A name taken by a file of the player's, or by a folder.
    WriteFile(folder / Name(2), "the player's own");
    fs::create_directory(folder / Name(3));
    const auto fourth = Save(folder);
    ASSERT_TRUE(fourth.ok()) << fourth.reason();
    EXPECT_EQ(*fourth, (folder / Name(4)).string());
    EXPECT_EQ(ReadFile(*fourth), picture);
    EXPECT_EQ(ReadFile(folder / Name(1)), picture);
    EXPECT_EQ(ReadFile(folder / Name(2)), "the player's own");
    EXPECT_TRUE(fs::is_empty(folder / Name(3)));

    // Another second starts again from the bare name.
    const auto later = Save(folder, 1);
    ASSERT_TRUE(later.ok()) << later.reason();
    EXPECT_EQ(fs::path(*later).filename(), "fompy-talden-19700101-000001.png");
}

TEST_F(Screenshot, ALinkAtTheNameIsNeverFollowedEvenToNowhere) {
    const fs::path folder = root_ / "shots";
    const fs::path elsewhere = root_ / "elsewhere";
    fs::create_directories(folder);
    fs::create_directories(elsewhere);
    WriteFile(elsewhere / "precious.txt", "keep me");
    // The bare name leads to nothing yet, in a folder that must stay empty of
    // screenshots; -2 to a file of the player's; -3 to a folder.
    fs::create_symlink(elsewhere / "made-by-a-link.png", folder / Name(1));
    fs::create_symlink(elsewhere / "precious.txt", folder / Name(2));
    fs::create_directory_symlink(elsewhere, folder / Name(3));

    const auto saved = Save(folder);
    ASSERT_TRUE(saved.ok()) << saved.reason();
    EXPECT_EQ(*saved, (folder / Name(4)).string());
    EXPECT_TRUE(IsPng(*saved));
    EXPECT_EQ(Names(elsewhere), std::vector<std::string>{"precious.txt"});
    EXPECT_EQ(ReadFile(elsewhere / "precious.txt"), "keep me");
    for (int n = 1; n <= 3; ++n) EXPECT_TRUE(fs::is_symlink(folder / Name(n))) << Name(n);
}

TEST_F(Screenshot, ASecondWithEveryNameTakenIsToldAndWritesNothing) {
    const fs::path folder = root_ / "full";
    fs::create_directories(folder);
    for (int n = 1; n <= 1000; ++n) WriteFile(folder / Name(n), "");
    const auto saved = Save(folder);
    ASSERT_FALSE(saved.ok());
    EXPECT_NE(saved.reason().find(Name(1) + " and -2 to -1000 are all taken"), std::string::npos)
        << saved.reason();
    EXPECT_EQ(Names(folder).size(), 1000u);
    for (const std::string& name : Names(folder)) EXPECT_TRUE(fs::is_empty(folder / name)) << name;
}

TEST_F(Screenshot, AFileThatCannotBeFinishedIsRemoved) {
    const fs::path folder = root_ / "small-disk";
    fs::create_directories(folder);
    // Files may grow to 100 bytes only, as on a disk that is full.
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlimit small{100, limit.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const auto saved = Save(folder);
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ASSERT_FALSE(saved.ok());
    EXPECT_EQ(saved.reason(), (folder / Name(1)).string() + ": File too large");
    EXPECT_TRUE(fs::is_empty(folder));
}

TEST_F(Screenshot, TheFolderIsTheDesktopsAndOnlyFromTheRoot) {
    const fs::path home = root_ / "home";
    const ScopedVariable homeVariable("HOME", home.string());
    {
        const ScopedVariable config("XDG_CONFIG_HOME", std::nullopt);
        const ScopedVariable pictures("XDG_PICTURES_DIR", (root_ / "Bilder").string());
        EXPECT_EQ(platform::ScreenshotFolder(), (root_ / "Bilder" / "fompy-talden").string());
    }
    // Without user-dirs.dirs: ~/Pictures. A relative XDG_PICTURES_DIR is no
    // folder, nor is an empty one.
    for (const char* relative : {"Pictures", "./shots", ""}) {
        const ScopedVariable config("XDG_CONFIG_HOME", std::nullopt);
        const ScopedVariable pictures("XDG_PICTURES_DIR", relative);
        EXPECT_EQ(platform::ScreenshotFolder(), (home / "Pictures" / "fompy-talden").string())
            << "XDG_PICTURES_DIR=" << relative;
    }
    // The folder ~/.config/user-dirs.dirs names comes before ~/Pictures;
    // a relative XDG_CONFIG_HOME is passed over as well.
    fs::create_directories(home / ".config");
    WriteFile(home / ".config" / "user-dirs.dirs", "XDG_PICTURES_DIR=\"$HOME/Images\"\n");
    fs::create_directories(root_ / "config");
    WriteFile(root_ / "config" / "user-dirs.dirs", "XDG_PICTURES_DIR=\"/srv/shared\"\n");
    {
        // Where "config" would be found if it counted.
        const fs::path started = fs::current_path();
        fs::current_path(root_);
        const ScopedVariable config("XDG_CONFIG_HOME", "config");
        const ScopedVariable pictures("XDG_PICTURES_DIR", "Pictures");
        EXPECT_EQ(platform::ScreenshotFolder(), (home / "Images" / "fompy-talden").string());
        fs::current_path(started);
    }
    {
        const ScopedVariable config("XDG_CONFIG_HOME", (root_ / "config").string());
        const ScopedVariable pictures("XDG_PICTURES_DIR", std::nullopt);
        EXPECT_EQ(platform::ScreenshotFolder(), "/srv/shared/fompy-talden");
    }
    {
        const ScopedVariable noHome("HOME", std::nullopt);
        const ScopedVariable config("XDG_CONFIG_HOME", std::nullopt);
        const ScopedVariable pictures("XDG_PICTURES_DIR", "Pictures");
        EXPECT_EQ(platform::ScreenshotFolder(), "");
        const auto saved = platform::SaveScreenshot("", {pixels_.data(), platform::kScreenWidth},
                                                    palette_, true, 0);
        ASSERT_FALSE(saved.ok());
        EXPECT_EQ(saved.reason().rfind("no folder for pictures", 0), 0u) << saved.reason();
    }
}

TEST_F(Screenshot, TheLinesSayingWhereOrWhyShowControlBytesEscaped) {
    const fs::path folder = root_ / "shots\x1b[2J\nnext";
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    platform::SaveScreenshotAndSay(folder.string(), {pixels_.data(), platform::kScreenWidth},
                                   palette_, false);
    const std::string said = testing::internal::GetCapturedStdout();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    const std::string shown = (root_ / "shots\\x1b[2J\\x0anext").string();
    ASSERT_EQ(said.rfind("fompy-talden: screenshot saved as " + shown + "/fompy-talden-", 0), 0u)
        << said;
    EXPECT_EQ(said.find('\n'), said.size() - 1) << said;
    ASSERT_EQ(Names(folder).size(), 1u);
    EXPECT_TRUE(IsPng(folder / Names(folder)[0]));

    // A folder that cannot be made: under a file, with a tab in its name.
    WriteFile(root_ / "a\tfile", "");
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    platform::SaveScreenshotAndSay((root_ / "a\tfile" / "shots").string(),
                                   {pixels_.data(), platform::kScreenWidth}, palette_, false);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    const std::string told = testing::internal::GetCapturedStderr();
    EXPECT_EQ(told.rfind("fompy-talden: cannot save the screenshot: " +
                             (root_ / "a\\x09file" / "shots").string() + ": ",
                         0),
              0u)
        << told;
    EXPECT_EQ(told.find('\n'), told.size() - 1) << told;
}

}  // namespace
