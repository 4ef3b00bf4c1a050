// SPDX-License-Identifier: MIT
// The settings file as players edit it: what the game writes back keeps
// their own lines, reads back the same, and the key lists obey the rules of
// the bindings; the key names are the same however a player writes them.
#include "platform/window/settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <thread>

#include "platform/window/comforts.h"
#include "platform/window/key_names.h"
#include "platform/window/pad_keys.h"
#include "platform/window/user_dirs.h"

using platform::Key;

namespace {

TEST(Settings, WritingKeepsThePlayersLinesAndReadsBackTheSame) {
    const std::string text =
        "; my settings\r\n[window]\nvolume = 30\ncolour = green\n  mute=yes  \nvolume = 40\n"
        "LEFT = a, keypad4,A\n";
    platform::SettingsFile file = platform::ParseSettings(text, "s.ini");
    EXPECT_TRUE(file.warnings.empty()) << file.warnings.front();
    EXPECT_EQ(file.settings.volume, 40);  // the last line of a setting holds
    EXPECT_TRUE(file.settings.mute);
    // "LEFT" is not the setting "left": a name the program does not know, kept.
    EXPECT_EQ(file.settings.keys[static_cast<int>(Key::Left)],
              (std::vector<std::string>{"Left", "Keypad4"}));

    // The volume changed during the run: its line is rewritten where it
    // first stood, the later one goes; the mute line stays as written.
    platform::SettingsChanges changes;
    changes.volume = 70;
    platform::ApplyChanges(file.settings, changes);
    const std::string written = platform::FormatSettings(file.settings, file.lines, changes);
    EXPECT_EQ(written.rfind("; my settings\r\n[window]\nvolume = 70\ncolour = green\n  mute=yes  \n"
                            "LEFT = a, keypad4,A\nfullscreen = yes\n",
                            0),
              0u)
        << written;
    EXPECT_EQ(written.find("volume = 40"), std::string::npos) << written;
    const platform::SettingsFile again = platform::ParseSettings(written, "s.ini");
    EXPECT_TRUE(again.warnings.empty());
    EXPECT_EQ(again.settings, file.settings);
}

// A player's mistakes are the player's to mend: a run that changes other
// settings writes them back as they stood, to be told again at the next start.
TEST(Settings, FaultyLinesStayAsWrittenWhenOtherSettingsChange) {
    const std::string text =
        "volume = loud\nthis is not a setting\nleft = Nope\nright = A\nleft = A\n"
        "up = W, Up\ndown = S, P\nfullscreen = yes\n";
    platform::SettingsFile file = platform::ParseSettings(text, "s.ini");
    ASSERT_EQ(file.warnings.size(), 5u);
    EXPECT_EQ(file.warnings[1],
              "s.ini:2: not a \"name = value\" line: 'this is not a setting'; "
              "passed over");
    EXPECT_EQ(file.settings.keys, platform::DefaultKeyBindings());  // A twice: all defaults

    platform::SettingsChanges changes;
    changes.fullscreen = false;
    changes.mute = true;
    platform::ApplyChanges(file.settings, changes);
    const std::string written = platform::FormatSettings(file.settings, file.lines, changes);
    const std::vector<std::string> expected = {
        "volume = loud", "this is not a setting", "left = Nope",    "right = A", "left = A",
        "up = W, Up",    "down = S, P",           "fullscreen = no"};
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < written.size();) {
        const std::size_t end = written.find('\n', at);
        lines.push_back(written.substr(at, end - at));
        at = end + 1;
    }
    ASSERT_GE(lines.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 8), expected);
    // The settings the file lacked follow, the keys among them at their defaults.
    EXPECT_NE(std::find(lines.begin(), lines.end(), "mute = yes"), lines.end()) << written;
    EXPECT_NE(std::find(lines.begin(), lines.end(), "escape = Escape"), lines.end()) << written;
    const platform::SettingsFile again = platform::ParseSettings(written, "s.ini");
    EXPECT_EQ(again.warnings.size(), 5u);
    EXPECT_EQ(again.settings, file.settings);
}

TEST(Settings, KeyListsReplaceTheDefaultsAndRefuseWhatCannotBe) {
    const auto keysOf = [](const std::string& text, Key key) {
        const platform::SettingsFile file = platform::ParseSettings(text, "s.ini");
        std::string said;
        for (const std::string& warning : file.warnings) said += warning + "|";
        std::string keys;
        for (const std::string& name : file.settings.keys[static_cast<int>(key)]) {
            keys += name + " ";
        }
        return keys + "/ " + said;
    };
    EXPECT_EQ(keysOf("left = a , Left\n", Key::Left), "A Left / ");
    EXPECT_EQ(keysOf("left = A\n", Key::Left), "A / ");  // the arrow no longer moves
    EXPECT_EQ(keysOf("left = ,\n", Key::Left),
              "Left Keypad4 / s.ini:1: 'left' needs at least one key; Left, Keypad4 instead|");
    EXPECT_EQ(keysOf("down = S, P\n", Key::Down),
              "Down Keypad2 / s.ini:1: 'down' cannot take P, the pause key; Down, Keypad2 "
              "instead|");
    EXPECT_EQ(keysOf("space = f10\n", Key::Space),
              "Space / s.ini:1: 'space' cannot take F10, the frame-time readout key; Space "
              "instead|");
    // The arrow bound to rotate is still Right's by default.
    EXPECT_EQ(keysOf("\nup = Right\n", Key::Up),
              "Up Keypad8 / s.ini:2: Right cannot be both 'up' and 'right'; the default keys "
              "instead|");
}

TEST(Settings, BadValuesAreTheDefaults) {
    const platform::SettingsFile file = platform::ParseSettings(
        "window = 640x\nwindow = 100x100\nvolume = 101\nrenderer = GPU\nfullscreen = maybe\n",
        "s.ini");
    EXPECT_EQ(file.settings, platform::Settings{});
    EXPECT_EQ(file.warnings.size(), 5u);
    EXPECT_EQ(file.warnings[0],
              "s.ini:1: 'window' expects WIDTHxHEIGHT from 320x200 to 16384x16384, not '640x'; "
              "the default instead");
}

TEST(Settings, FileIsReplacedWholeAndAMissingOneIsTheDefaults) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("ft-settings-" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    const std::string path = (dir / "sub" / "settings.ini").string();
    const platform::SettingsFile missing = platform::ReadSettingsFile(path);
    EXPECT_TRUE(missing.warnings.empty());
    EXPECT_EQ(missing.settings, platform::Settings{});
    EXPECT_TRUE(missing.missing);
    EXPECT_FALSE(missing.unreadable);

    ASSERT_TRUE(platform::WriteSettingsFile(path, "volume = 20\n").ok());
    EXPECT_FALSE(platform::ReadSettingsFile(path).missing);
    // An empty file is a file: the first start is over.
    ASSERT_TRUE(platform::WriteSettingsFile(path, "").ok());
    EXPECT_FALSE(platform::ReadSettingsFile(path).missing);
    ASSERT_TRUE(platform::WriteSettingsFile(path, "volume = 30\n").ok());
    EXPECT_EQ(platform::ReadSettingsFile(path).settings.volume, 30);
    // Nothing else is left in the folder.
    const auto entries = std::distance(std::filesystem::directory_iterator(dir / "sub"),
                                       std::filesystem::directory_iterator());
    EXPECT_EQ(entries, 1);

    // Two writers at once (two games ending together): every file read is
    // one of the two whole, and no write fails for the other's.
    std::atomic<bool> failed{false};
    std::atomic<int> ready{0};
    const auto writer = [&](const char* text) {
        ++ready;
        while (ready < 3) std::this_thread::yield();  // all three start together
        for (int i = 0; i < 500; ++i) {
            failed = failed || !platform::WriteSettingsFile(path, text).ok();
        }
    };
    std::thread first(writer, "volume = 40\n");
    std::thread second(writer, "volume = 60\n");
    ++ready;
    while (ready < 3) std::this_thread::yield();
    for (int i = 0; i < 500; ++i) {
        const int volume = platform::ReadSettingsFile(path).settings.volume;
        EXPECT_TRUE(volume == 30 || volume == 40 || volume == 60) << volume;
    }
    first.join();
    second.join();
    EXPECT_FALSE(failed);

    // A file at the reader's limit stays within it when written again, and
    // a text past it is never written: the next start would refuse it whole.
    std::string full = "fullscreen = no\n";
    while (full.size() + 10 <= 64 * 1024) full += "# comment\n";
    const platform::SettingsFile near = platform::ParseSettings(full, "s.ini");
    EXPECT_TRUE(near.warnings.empty());
    const std::string again = platform::FormatSettings(near.settings, near.lines, {});
    EXPECT_LE(again.size(), 64u * 1024u);
    EXPECT_EQ(platform::ParseSettings(again, "s.ini").settings, near.settings);
    ASSERT_TRUE(platform::WriteSettingsFile(path, "volume = 50\n").ok());
    const platform::Result<void> tooLarge =
        platform::WriteSettingsFile(path, std::string(64 * 1024 + 1, '#'));
    EXPECT_FALSE(tooLarge.ok());
    EXPECT_EQ(platform::ReadSettingsFile(path).settings.volume, 50);

    std::filesystem::remove_all(dir);
}

// What a player's machine may hold where the settings file should be: none
// of it is waited on, each is told once with its name and the reason, and
// the run takes the defaults and leaves it alone.
TEST(Settings, WhatCannotBeReadIsToldOnceAndLeftAlone) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("ft-unreadable-" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const auto refused = [](const std::string& path, const std::string& reason) {
        const platform::SettingsFile file = platform::ReadSettingsFile(path);
        EXPECT_TRUE(file.unreadable) << path;
        EXPECT_FALSE(file.missing) << path;  // a file there, though not one to read
        EXPECT_EQ(file.settings, platform::Settings{}) << path;
        EXPECT_EQ(
            file.warnings,
            (std::vector<std::string>{"cannot read the settings '" + path + "': " + reason +
                                      "; the defaults instead, and the file is left as it is"}));
    };
    const std::string folder = (dir / "folder.ini").string();
    std::filesystem::create_directory(folder);
    refused(folder, "a folder, not a file");
    // A FIFO nobody writes to: opened for reading it would wait for ever.
    const std::string fifo = (dir / "fifo.ini").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    refused(fifo, "a FIFO, not a file");
    const std::string device = (dir / "device.ini").string();
    std::filesystem::create_symlink("/dev/zero", device);
    refused(device, "a device, not a file");
    const std::string large = (dir / "large.ini").string();
    {
        std::FILE* out = std::fopen(large.c_str(), "wb");
        ASSERT_NE(out, nullptr);
        const std::string line = "volume = 50\n";
        for (int i = 0; i < 64 * 1024 / 12 + 1; ++i) std::fputs(line.c_str(), out);
        std::fclose(out);
    }
    refused(large, "larger than 64 KiB");
    {
        // A file of someone else's. Root reads what it likes, so as root the
        // reading is done by a child that has become nobody.
        const std::string locked = (dir / "locked.ini").string();
        ASSERT_TRUE(platform::WriteSettingsFile(locked, "volume = 5\n").ok());
        std::filesystem::permissions(locked, std::filesystem::perms::none);
        if (::geteuid() != 0) {
            refused(locked, "Permission denied");
        } else {
            std::filesystem::permissions(dir, std::filesystem::perms::all);
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                const bool nobody = ::setgid(65534) == 0 && ::setuid(65534) == 0;
                const platform::SettingsFile file = platform::ReadSettingsFile(locked);
                const bool told = file.unreadable && file.warnings.size() == 1 &&
                                  file.warnings[0].find("': Permission denied; the defaults") !=
                                      std::string::npos;
                ::_exit(nobody && told ? 0 : 1);
            }
            int status = 0;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
                << "a file nobody may read was not told as such";
        }
    }
    // A link to nowhere is a file still to be made: no fault.
    const std::string dangling = (dir / "dangling.ini").string();
    std::filesystem::create_symlink(dir / "made-later.ini", dangling);
    const platform::SettingsFile none = platform::ReadSettingsFile(dangling);
    EXPECT_FALSE(none.unreadable);
    EXPECT_TRUE(none.warnings.empty());
    std::filesystem::remove_all(dir);
}

// Writing keeps what the player set up around the file: a link stays a link
// and its target is replaced, and a private file stays private.
TEST(Settings, WritingGoesThroughLinksAndKeepsTheMode) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("ft-links-" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir / "dotfiles");
    std::filesystem::create_directories(dir / "config");
    const std::filesystem::path target = dir / "dotfiles" / "fompy.ini";
    const std::filesystem::path link = dir / "config" / "settings.ini";
    std::filesystem::create_symlink("../dotfiles/fompy.ini", link);  // dangling at first
    ASSERT_TRUE(platform::WriteSettingsFile(link.string(), "volume = 10\n").ok());
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(platform::ReadSettingsFile(target.string()).settings.volume, 10);

    std::filesystem::permissions(
        target, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    ASSERT_TRUE(platform::WriteSettingsFile(link.string(), "volume = 20\n").ok());
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(platform::ReadSettingsFile(link.string()).settings.volume, 20);
    EXPECT_EQ(std::filesystem::status(target).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    // The temporary file was made beside the target and is gone.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "dotfiles"),
                            std::filesystem::directory_iterator()),
              1);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "config"),
                            std::filesystem::directory_iterator()),
              1);

    std::filesystem::remove_all(dir);
}

// The forms xdg-user-dirs writes and reads: "$HOME/..." or an absolute path,
// in double quotes, backslash escapes; the last such line counts.
TEST(UserDirs, ThePicturesLineInTheFormsTheDesktopUses) {
    using platform::PicturesDirOfUserDirs;
    const std::string home = "/home/p";
    EXPECT_EQ(PicturesDirOfUserDirs("# comment\nXDG_MUSIC_DIR=\"$HOME/Musik\"\n"
                                    "  XDG_PICTURES_DIR=\"$HOME/Bilder\"\n",
                                    home),
              "/home/p/Bilder");
    EXPECT_EQ(PicturesDirOfUserDirs("XDG_PICTURES_DIR=\"/srv/a \\\"b\\\" \\\\c\"", home),
              "/srv/a \"b\" \\c");
    EXPECT_EQ(PicturesDirOfUserDirs("XDG_PICTURES_DIR=\"$HOME\"", home), "/home/p");
    EXPECT_EQ(PicturesDirOfUserDirs("XDG_PICTURES_DIR=\"/a\"\nXDG_PICTURES_DIR=\"/b\"", home),
              "/b");
    // Not the format: passed over, and an earlier line that is stays.
    for (const char* line : {"XDG_PICTURES_DIR=\"Pictures\"", "XDG_PICTURES_DIR=/a",
                             "XDG_PICTURES_DIR=\"/unclosed", "XDG_PICTURES_DIR=\"$HOMEWORK/x\"",
                             "#XDG_PICTURES_DIR=\"/c\"", "XDG_PICTURES_DIRS=\"/c\""}) {
        EXPECT_EQ(PicturesDirOfUserDirs(line, home), std::nullopt) << line;
        EXPECT_EQ(PicturesDirOfUserDirs(std::string("XDG_PICTURES_DIR=\"/a\"\n") + line, home),
                  "/a")
            << line;
    }
    EXPECT_EQ(PicturesDirOfUserDirs("XDG_PICTURES_DIR=\"$HOME/Bilder\"", ""), std::nullopt);
}

TEST(KeyNames, AnySpellingFindsTheTablesNameAndComfortKeysAreKnown) {
    EXPECT_EQ(platform::FindKeyName("keypad4"), "Keypad4");
    EXPECT_EQ(platform::FindKeyName("SPACE"), "Space");
    EXPECT_EQ(platform::FindKeyName("q"), "Q");
    EXPECT_FALSE(platform::FindKeyName("Keypad").has_value());
    for (std::string_view name : platform::AllKeyNames()) {
        EXPECT_EQ(platform::FindKeyName(name), name) << "two names alike: " << name;
    }
    for (const char* comfort : {"P", "Pause", "M", "F12", "PrintScreen", "KeypadPlus",
                                "KeypadMinus", "LeftBracket", "RightBracket"}) {
        EXPECT_TRUE(platform::ComfortOf(comfort).has_value()) << comfort;
        EXPECT_TRUE(platform::ComfortOfKey(comfort).has_value()) << comfort;
    }
    EXPECT_EQ(platform::ComfortOfKey("PrintScreen"), platform::Comfort::Screenshot);
    EXPECT_EQ(platform::ComfortOfKey("LeftBracket"), platform::Comfort::Quieter);
    EXPECT_FALSE(platform::ComfortOfKey("Space").has_value());
}

TEST(SoundLevel, VolumeKeysStepAndUnmuteAndOnlyWhatChangedIsRemembered) {
    platform::SoundLevel level(95, true);
    EXPECT_EQ(level.Level(), 0);
    platform::SettingsChanges unchanged;
    level.AddChanges(unchanged);
    EXPECT_FALSE(unchanged.volume || unchanged.mute);
    level.Use(platform::Comfort::Louder);
    EXPECT_EQ(level.Level(), 100);
    level.Use(platform::Comfort::Mute);
    EXPECT_EQ(level.Level(), 0);
    for (int i = 0; i < 12; ++i) level.Use(platform::Comfort::Quieter);
    EXPECT_EQ(level.Level(), 0);
    platform::SettingsChanges changes;
    level.AddChanges(changes);
    EXPECT_EQ(changes.volume, 0);
    EXPECT_EQ(changes.mute, false);
}

// What the wave-out voice plays: 16-bit signed samples low byte first, 8-bit
// unsigned ones around 128, at half and no amplitude.
TEST(SoundLevel, SamplesAreLevelledAroundTheirSilence) {
    const std::vector<std::uint8_t> wide = {0x00, 0x40, 0x00,
                                            0xC0, 0xFF, 0xFF};  // 16384, -16384, -1
    std::vector<std::uint8_t> out(wide.size());
    platform::LevelSamples(wide, 16, 50, out);
    EXPECT_EQ(out, (std::vector<std::uint8_t>{0x00, 0x20, 0x00, 0xE0, 0x00, 0x00}));
    platform::LevelSamples(wide, 16, 100, out);
    EXPECT_EQ(out, wide);
    const std::vector<std::uint8_t> narrow = {0, 128, 255};
    out.resize(narrow.size());
    platform::LevelSamples(narrow, 8, 50, out);
    EXPECT_EQ(out, (std::vector<std::uint8_t>{64, 128, 191}));
    platform::LevelSamples(narrow, 8, 0, out);
    EXPECT_EQ(out, (std::vector<std::uint8_t>{128, 128, 128}));
}

TEST(HeldKeys, ReleaseAllLetsGoOnceAndLaterUpsChangeNothing) {
    platform::HeldKeys held;
    const platform::KeySource keyboardLeft{platform::kKeyboardDevice, 1};
    const platform::KeySource padLeft{0, 13};
    (void)held.Press(Key::Left, keyboardLeft);
    (void)held.Press(Key::Left, padLeft);
    (void)held.Press(Key::Down, padLeft);
    EXPECT_EQ(held.ReleaseAll(),
              (std::vector<platform::KeyChange>{{Key::Left, false}, {Key::Down, false}}));
    EXPECT_FALSE(held.Release(Key::Left, keyboardLeft).has_value());
    EXPECT_FALSE(held.Repeat(Key::Left, keyboardLeft).has_value());
}

}  // namespace
