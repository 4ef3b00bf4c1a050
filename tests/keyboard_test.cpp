// SPDX-License-Identifier: MIT
// Key polling as the game sees it, driven through the headless platform's
// delivery points: what each poll reports, what it clears, and what the two
// wait loops leave behind.
#include "core/state/keyboard.h"

#include <gtest/gtest.h>

#include "core/display/display.h"
#include "platform/headless/headless_platform.h"

using namespace ft;
using platform::HeadlessOptions;
using platform::HeadlessPlatform;
using platform::ParseScript;

namespace {

HeadlessPlatform MakeHost(const char* script) {
    HeadlessOptions options;
    auto parse = ParseScript(script, "test");
    EXPECT_TRUE(parse.ok()) << parse.reason();
    options.script = (*parse);
    return HeadlessPlatform(std::move(options));
}

// A present: the next poll is a delivery point again.
void NextFrame(HeadlessPlatform& host) {
    static const Display display = [] {
        Display d;
        OpenDisplay(d);
        return d;
    }();
    host.ShowPicture(display.primary.Picture(), display.palette, platform::PictureKind::Present);
}

}  // namespace

TEST(Keyboard, PressAndReleaseBetweenPollsIsReportedOnceByWhicheverTest) {
    HeadlessPlatform host = MakeHost("1 left down\n1 left up\n2 left down\n2 left up\n");
    Keyboard keyboard(host);
    EXPECT_FALSE(IsKeyActive(keyboard, Key::Left));  // T 0: nothing yet
    NextFrame(host);
    const KeyPoll poll = PollKey(keyboard, Key::Left);
    EXPECT_FALSE(poll.down);
    EXPECT_TRUE(poll.pressed);
    EXPECT_FALSE(WasKeyPressed(keyboard, Key::Left));  // the poll cleared it
    NextFrame(host);
    EXPECT_TRUE(IsKeyActive(keyboard, Key::Left));  // IsKeyActive sees a tap too
    EXPECT_FALSE(IsKeyActive(keyboard, Key::Left));
}

TEST(Keyboard, EventsArriveOnlyAtTheFirstPollAfterAPresent) {
    HeadlessPlatform host = MakeHost("1 up down\n");
    Keyboard keyboard(host);
    EXPECT_FALSE(WasKeyPressed(keyboard, Key::Up));
    NextFrame(host);
    EXPECT_FALSE(WasKeyPressed(keyboard, Key::Right));  // this poll delivers the up press
    EXPECT_TRUE(WasKeyPressed(keyboard, Key::Up));
    EXPECT_TRUE(IsKeyActive(keyboard, Key::Up));  // still held
}

TEST(Keyboard, HeldKeyRepeatSetsPressedAgain) {
    HeadlessPlatform host = MakeHost("0 right down\n1 right down\n");
    Keyboard keyboard(host);
    EXPECT_TRUE(WasKeyPressed(keyboard, Key::Right));
    EXPECT_FALSE(WasKeyPressed(keyboard, Key::Right));
    NextFrame(host);
    EXPECT_TRUE(WasKeyPressed(keyboard, Key::Right));
}

TEST(Keyboard, WaitKeyReleasedSwallowsAnEarlierPress) {
    HeadlessPlatform host = MakeHost("0 enter down\n0 enter up\n");
    Keyboard keyboard(host);
    WaitKeyReleased(keyboard, Key::Enter);  // one poll sees the press, the next nothing
    EXPECT_FALSE(WasKeyPressed(keyboard, Key::Enter));
    EXPECT_EQ(host.Now(), 0u);
}

TEST(Keyboard, WaitKeyReleasedMovesTimeToTheRelease) {
    HeadlessPlatform host = MakeHost("0 enter down\n40 enter up\n");
    Keyboard keyboard(host);
    WaitKeyReleased(keyboard, Key::Enter);
    EXPECT_EQ(host.Now(), 40u);
    EXPECT_FALSE(keyboard.state.held[0]);
}

TEST(Keyboard, WaitKeyReleasedEndsTheRunWhenTheScriptRunsOut) {
    HeadlessPlatform host = MakeHost("0 enter down\n");
    Keyboard keyboard(host);
    try {
        WaitKeyReleased(keyboard, Key::Enter);
        FAIL() << "the wait returned with Enter held";
    } catch (const platform::RunEnded& ended) {
        EXPECT_EQ(ended.reason, platform::EndReason::Script);
    }
}

TEST(Keyboard, WaitAnyKeyActiveLeavesLaterKeysUnpolled) {
    // Escape was tapped and Space is held: the pass stops at Escape, and
    // Space's press is still there for a later poll.
    HeadlessPlatform host = MakeHost("0 escape down\n0 escape up\n0 space down\n5 enter down\n");
    Keyboard keyboard(host);
    EXPECT_EQ(WaitAnyKeyActive(keyboard, {Key::Enter, Key::Escape, Key::Space}), Key::Escape);
    EXPECT_EQ(host.Now(), 0u);
    EXPECT_TRUE(WasKeyPressed(keyboard, Key::Space));

    HeadlessPlatform host2 = MakeHost("0 enter down\n0 escape down\n0 escape up\n");
    Keyboard keyboard2(host2);
    EXPECT_EQ(WaitAnyKeyActive(keyboard2, {Key::Enter, Key::Escape, Key::Space}), Key::Enter);
    EXPECT_TRUE(WasKeyPressed(keyboard2, Key::Escape));
}

TEST(Keyboard, WaitAnyKeyActiveWaitsForLaterInput) {
    HeadlessPlatform host = MakeHost("7 escape down\n");
    Keyboard keyboard(host);
    EXPECT_EQ(WaitAnyKeyActive(keyboard, {Key::Enter, Key::Escape, Key::Space}), Key::Escape);
    EXPECT_EQ(host.Now(), 7u);
}
