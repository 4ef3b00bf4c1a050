// SPDX-License-Identifier: MIT
// Key scripts: what a valid script yields, that every kind of bad line is
// refused with the file and line that caused it, and that a file read a block
// at a time, however long, reads as its text parses.
#include "platform/common/script.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

using platform::InputEvent;
using platform::Key;
using platform::ParseScript;

TEST(Script, ParsesEventsReseedsCommentsAndBlankLines) {
    const auto parse = ParseScript(
        "# intro\n"
        "\n"
        "0 enter down\n"
        "  3\tenter   up  \n"
        "reseed 4294967295\n"
        "3 close\r\n"
        "   # indented comment\n"
        "10 left down",
        "s.txt");
    ASSERT_TRUE(parse.ok()) << parse.reason();
    const auto& e = (*parse).events;
    ASSERT_EQ(e.size(), 4u);
    EXPECT_EQ(e[0], (InputEvent{0, InputEvent::Kind::KeyDown, Key::Enter}));
    EXPECT_EQ(e[1], (InputEvent{3, InputEvent::Kind::KeyUp, Key::Enter}));
    EXPECT_EQ(e[2].kind, InputEvent::Kind::Close);
    EXPECT_EQ(e[2].time, 3u);
    EXPECT_EQ(e[3], (InputEvent{10, InputEvent::Kind::KeyDown, Key::Left}));
    ASSERT_EQ((*parse).reseeds.size(), 1u);
    EXPECT_EQ((*parse).reseeds[0], 4294967295u);
}

TEST(Script, EmptyScriptIsValid) {
    const auto parse = ParseScript("", "empty");
    ASSERT_TRUE(parse.ok());
    EXPECT_TRUE((*parse).events.empty());
}

TEST(Script, EveryKeyNameRoundTrips) {
    for (int k = 0; k < platform::kKeyCount; ++k) {
        const auto key = static_cast<Key>(k);
        const auto parse = ParseScript("5 " + std::string(platform::KeyName(key)) + " down\n", "s");
        ASSERT_TRUE(parse.ok()) << parse.reason();
        EXPECT_EQ((*parse).events.at(0).key, key);
    }
}

TEST(Script, BadLinesNameFileAndLine) {
    struct Case {
        const char* text;
        const char* errorStart;
    };
    const Case cases[] = {
        {"0 enter down\n1 shift down\n", "f:2: unknown key 'shift'"},
        {"jump 3\n", "f:1: unknown word 'jump'"},
        {"0 enter\n", "f:1: missing 'down' or 'up'"},
        {"0\n", "f:1: missing event"},
        {"0 enter down now\n", "f:1: unexpected 'now'"},
        {"0 close now\n", "f:1: unexpected 'now'"},
        {"0 enter sideways\n", "f:1: expected 'down' or 'up'"},
        {"-1 enter down\n", "f:1: unknown word '-1'"},
        {"1.5 enter down\n", "f:1: '1.5' is not a whole number"},
        {"12x enter down\n", "f:1: '12x' is not a whole number"},
        {"99999999999999999999999 enter down\n", "f:1: '99999999999999999999999' is too large"},
        {"5 enter down\n4 enter up\n", "f:2: time 4 is before the previous event's time 5"},
        {"reseed\n", "f:1: 'reseed' needs a value"},
        {"reseed 4294967296\n", "f:1: '4294967296' is too large"},
        {"reseed -3\n", "f:1: '-3' is not a whole number"},
        {"reseed 3 4\n", "f:1: unexpected '4'"},
        {"0 enter down\n\x01\x02garbage\n", "f:2: unexpected byte 0x01"},
        {"0 ent\xc3\xa9r down\n", "f:1: unexpected byte 0xc3"},
        // A recording of a format this program does not play, or that names
        // no version.
        {"# fompy-talden recording 2\n0 enter down\n",
         "f:1: a recording of version 2, which this fompy-talden cannot play: it plays version 1"},
        {"# fompy-talden recording\n", "f:1: the recording's first line names no version"},
        {"# fompy-talden recording 1 2\n", "f:1: the recording's first line names no version"},
        {"# fompy-talden recording one\n", "f:1: the recording's version: 'one' is not a whole"},
    };
    for (const Case& c : cases) {
        const auto parse = ParseScript(c.text, "f");
        EXPECT_FALSE(parse.ok()) << c.text;
        EXPECT_EQ(parse.reason().rfind(c.errorStart, 0), 0u)
            << "script: " << c.text << "\nerror: " << parse.reason();
    }
}

// A recording names its format's version on its first line; a script
// without it is version 1, and the same words on a later line are a comment.
TEST(Script, RecordingsNameTheirVersionAndPlayVersionOne) {
    platform::MemoryLines lines;
    {
        platform::ScriptRecorder recorder(&lines);
        recorder.Event(InputEvent{3, InputEvent::Kind::KeyDown, Key::Left});
        recorder.Reseed(77);
    }
    EXPECT_EQ(lines.Text().rfind("# fompy-talden recording 1\n", 0), 0u) << lines.Text();
    const auto recorded = ParseScript(lines.Text(), "f");
    ASSERT_TRUE(recorded.ok()) << recorded.reason();
    EXPECT_EQ(recorded->events.size(), 1u);
    EXPECT_EQ(recorded->reseeds, std::vector<std::uint32_t>{77});

    for (const char* text : {"0 enter down\n", "# fompy-talden recording 1\r\n0 enter down\n",
                             "# an old recording\n# fompy-talden recording 9\n0 enter down\n",
                             "# fompy-talden recordings of mine\n0 enter down\n"}) {
        const auto parse = ParseScript(text, "f");
        ASSERT_TRUE(parse.ok()) << text << parse.reason();
        EXPECT_EQ(parse->events.size(), 1u) << text;
    }
}

TEST(Script, OverlongLineIsRefused) {
    const std::string text = "# " + std::string(10000, 'x') + "\n";
    const auto parse = ParseScript(text, "long");
    EXPECT_FALSE(parse.ok());
    EXPECT_EQ(parse.reason().rfind("long:1: line too long", 0), 0u) << parse.reason();
}

TEST(Script, UnreadableFilesAreReported) {
    const auto missing = platform::LoadScript("/nonexistent/dir/script.txt");
    EXPECT_FALSE(missing.ok());
    EXPECT_NE(missing.reason().find("/nonexistent/dir/script.txt"), std::string::npos);
    const auto directory = platform::LoadScript("/tmp");
    EXPECT_FALSE(directory.ok());
    EXPECT_NE(directory.reason().find("directory"), std::string::npos);
}

TEST(Script, EventsAndReseedsAreBoundedAtTheLineBeyondTheBound) {
    // Three kept, the fourth refused, comments and blank lines counted as lines only.
    const char* text = "0 enter down\n# a comment\n\n1 enter up\nreseed 5\n2 close\n";
    const auto three = ParseScript(text, "f", 4);
    ASSERT_TRUE(three.ok()) << three.reason();
    EXPECT_EQ((*three).events.size(), 3u);
    const auto refused = ParseScript(text, "f", 3);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.reason(), "f:6: more than 3 events and reseeds (no recording holds so many)");
    const auto reseeds = ParseScript("reseed 1\nreseed 2\nreseed 3\n", "f", 2);
    ASSERT_FALSE(reseeds.ok());
    EXPECT_EQ(reseeds.reason().rfind("f:3: more than 2 events and reseeds", 0), 0u)
        << reseeds.reason();

    // At one time, the bound is far lower; a later time starts counting anew.
    std::string crowded = "reseed 1\n";
    for (std::size_t i = 0; i < platform::kMaxEventsAtOneTime; ++i) crowded += "7 left down\n";
    ASSERT_TRUE(ParseScript(crowded + "8 left up\n", "f").ok());
    const auto atOnce = ParseScript(crowded + "7 left up\n", "f");
    ASSERT_FALSE(atOnce.ok());
    EXPECT_EQ(atOnce.reason(),
              "f:" + std::to_string(platform::kMaxEventsAtOneTime + 2) +
                  ": more than 10000 events at time 7 (no recording holds so many)");
}

// A file written for one test, removed after it.
class ScriptFile : public ::testing::Test {
protected:
    void TearDown() override { std::filesystem::remove(path_); }
    const std::string& Write(const std::string& text) {
        std::ofstream(path_, std::ios::binary) << text;
        return path_;
    }
    std::string path_ = (std::filesystem::temp_directory_path() /
                         ("ft-script-" + std::to_string(::getpid()) + ".txt"))
                            .string();
};

// The file is read 64 KiB at a time: lines that straddle a block's end, CRLF
// endings, the longest line allowed and a last line without its end read as
// the whole text parses.
TEST_F(ScriptFile, ReadingAFileABlockAtATimeGivesTheScriptOfItsText) {
    constexpr std::size_t kBlock = 65536;
    std::string text;
    bool longLine = false;
    bool splitCrLf = false;
    for (int n = 0; text.size() < 3 * kBlock; ++n) {
        // Each turn adds at most 2030 bytes, so these land where they should.
        if (!longLine && text.size() > kBlock - 3000) {
            text += std::string(4096, '#') + "\r\n";  // across the first block's end
            longLine = true;
        }
        if (!splitCrLf && text.size() > 2 * kBlock - 4000) {
            // The \r the last byte of the second block, its \n the first of the third.
            text += std::string(2 * kBlock - 1 - text.size(), '#') + "\r\n";
            splitCrLf = true;
        }
        text += std::to_string(n) + (n % 3 == 0 ? " left down\r\n" : " left up\n");
        if (n % 97 == 0) text += "# " + std::string(static_cast<std::size_t>(n % 2000), '=') + "\n";
        if (n % 1000 == 0) text += "reseed " + std::to_string(n) + "\n";
    }
    ASSERT_EQ(text.substr(2 * kBlock - 1, 2), "\r\n");
    text += "999999 close";
    const auto whole = ParseScript(text, "t");
    ASSERT_TRUE(whole.ok()) << whole.reason();
    const auto read = platform::LoadScript(Write(text));
    ASSERT_TRUE(read.ok()) << read.reason();
    EXPECT_EQ((*read).events, (*whole).events);
    EXPECT_EQ((*read).reseeds, (*whole).reseeds);
    EXPECT_EQ((*read).events.back().kind, InputEvent::Kind::Close);
}

TEST_F(ScriptFile, AFileFailsOnTheLineItsTextFailsOn) {
    // 5041 lines of 13 bytes: the 5042nd starts 3 bytes before the first
    // block's end and runs on into the next.
    std::string lines;
    for (int n = 0; n < 5041; ++n) lines += "0 enter down\n";
    for (const std::string& bad :
         {std::string(5000, '#'), std::string(4097, '#') + "\r", std::string("0 enter sideways")}) {
        const std::string text = lines + bad + "\n0 enter up\n";
        const auto whole = ParseScript(text, path_);
        const auto read = platform::LoadScript(Write(text));
        ASSERT_FALSE(read.ok());
        EXPECT_EQ(read.reason(), whole.reason());
        EXPECT_EQ(read.reason().rfind(path_ + ":5042: ", 0), 0u) << read.reason();
    }
    const auto bounded = platform::LoadScript(Write(lines), 5000);
    ASSERT_FALSE(bounded.ok());
    EXPECT_EQ(bounded.reason().rfind(path_ + ":5001: more than 5000 events", 0), 0u)
        << bounded.reason();
}
