// SPDX-License-Identifier: MIT
// Key scripts: what a valid script yields, and that every kind of bad line is
// refused with the file and line that caused it.
#include "platform/script.h"

#include <gtest/gtest.h>

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
    };
    for (const Case& c : cases) {
        const auto parse = ParseScript(c.text, "f");
        EXPECT_FALSE(parse.ok()) << c.text;
        EXPECT_EQ(parse.reason().rfind(c.errorStart, 0), 0u)
            << "script: " << c.text << "\nerror: " << parse.reason();
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
