// Keys held by several sources at once: the keyboard, gamepad buttons, the
// d-pad and the left stick. The game sees one down when the first source goes
// down, one up when the last lets go, and the keyboard's auto-repeat.
#include "platform/window/pad_keys.h"

#include <gtest/gtest.h>

#include <vector>

using platform::HeldKeys;
using platform::Key;
using platform::KeyChange;
using platform::KeySource;
using platform::kKeyboardDevice;

namespace {

constexpr KeyChange Down(Key key) {
    return KeyChange{key, true};
}
constexpr KeyChange Up(Key key) {
    return KeyChange{key, false};
}

constexpr KeySource kKeyboardReturn{kKeyboardDevice, 13};
constexpr KeySource kKeypadEnter{kKeyboardDevice, 1073741912};
constexpr KeySource kPadA{0, 0};
constexpr KeySource kPadStart{0, 6};
constexpr KeySource kPadDpadLeft{0, 13};
constexpr KeySource kPadStickX{0, 1000};
constexpr KeySource kOtherPadA{1, 0};

}  // namespace

TEST(PadKeys, OneSourcePressesAndReleases) {
    HeldKeys held;
    EXPECT_EQ(held.Press(Key::Space, kPadA), Down(Key::Space));
    EXPECT_TRUE(held.IsHeld(Key::Space));
    EXPECT_EQ(held.Release(Key::Space, kPadA), Up(Key::Space));
    EXPECT_FALSE(held.IsHeld(Key::Space));
    // Letting go of what was never held (the Enter of Alt+Enter) is nothing.
    EXPECT_EQ(held.Release(Key::Enter, kKeyboardReturn), std::nullopt);
}

TEST(PadKeys, AutoRepeatOfTheSameSourceIsAnotherDown) {
    HeldKeys held;
    EXPECT_EQ(held.Press(Key::Left, {kKeyboardDevice, 80}), Down(Key::Left));
    EXPECT_EQ(held.Press(Key::Left, {kKeyboardDevice, 80}), Down(Key::Left));
    EXPECT_EQ(held.Press(Key::Left, {kKeyboardDevice, 80}), Down(Key::Left));
    EXPECT_EQ(held.Repeat(Key::Left, {kKeyboardDevice, 80}), Down(Key::Left));
    // One release ends it, however many repeats came.
    EXPECT_EQ(held.Release(Key::Left, {kKeyboardDevice, 80}), Up(Key::Left));
    EXPECT_FALSE(held.IsHeld(Key::Left));
    // A repeat of a key nothing holds, or that another source holds, starts
    // no press: the Enter of an Alt+Enter repeating once Alt is let go.
    EXPECT_EQ(held.Repeat(Key::Enter, kKeyboardReturn), std::nullopt);
    EXPECT_EQ(held.Press(Key::Enter, kPadA), Down(Key::Enter));
    EXPECT_EQ(held.Repeat(Key::Enter, kKeyboardReturn), std::nullopt);
    EXPECT_FALSE(held.IsHeldBy(Key::Enter, kKeyboardReturn));
}

TEST(PadKeys, SecondSourceNeitherPressesAgainNorReleasesEarly) {
    HeldKeys held;
    // Return and keypad Enter, A and Start: four ways to hold Enter.
    EXPECT_EQ(held.Press(Key::Enter, kKeyboardReturn), Down(Key::Enter));
    EXPECT_EQ(held.Press(Key::Enter, kKeypadEnter), std::nullopt);
    EXPECT_EQ(held.Press(Key::Enter, kPadA), std::nullopt);
    EXPECT_EQ(held.Press(Key::Enter, kPadStart), std::nullopt);
    EXPECT_EQ(held.Release(Key::Enter, kKeyboardReturn), std::nullopt);
    EXPECT_EQ(held.Release(Key::Enter, kPadStart), std::nullopt);
    EXPECT_EQ(held.Release(Key::Enter, kKeypadEnter), std::nullopt);
    EXPECT_TRUE(held.IsHeld(Key::Enter));
    EXPECT_EQ(held.Release(Key::Enter, kPadA), Up(Key::Enter));
}

TEST(PadKeys, SameButtonOnTwoPadsIsTwoSources) {
    HeldKeys held;
    EXPECT_EQ(held.Press(Key::Enter, kPadA), Down(Key::Enter));
    EXPECT_EQ(held.Press(Key::Enter, kOtherPadA), std::nullopt);  // not a repeat
    EXPECT_EQ(held.Release(Key::Enter, kPadA), std::nullopt);
    EXPECT_EQ(held.Release(Key::Enter, kOtherPadA), Up(Key::Enter));
}

TEST(PadKeys, StickPressesBeyondOneThresholdAndReleasesInsideTheOther) {
    HeldKeys held;
    using Changes = std::vector<KeyChange>;
    EXPECT_EQ(held.MoveAxis(kPadStickX, -15000, Key::Left, Key::Right),
              Changes{});  // not far enough
    EXPECT_EQ(held.MoveAxis(kPadStickX, -20000, Key::Left, Key::Right), Changes{Down(Key::Left)});
    // Moving further, or back a little past the press threshold, holds on.
    EXPECT_EQ(held.MoveAxis(kPadStickX, -32768, Key::Left, Key::Right), Changes{});
    EXPECT_EQ(held.MoveAxis(kPadStickX, -14000, Key::Left, Key::Right), Changes{});
    EXPECT_TRUE(held.IsHeld(Key::Left));
    EXPECT_EQ(held.MoveAxis(kPadStickX, -11000, Key::Left, Key::Right), Changes{Up(Key::Left)});
    // A stick resting between the thresholds does not chatter.
    EXPECT_EQ(held.MoveAxis(kPadStickX, -14000, Key::Left, Key::Right), Changes{});
    EXPECT_EQ(held.MoveAxis(kPadStickX, 32767, Key::Left, Key::Right), Changes{Down(Key::Right)});
    EXPECT_EQ(held.MoveAxis(kPadStickX, 0, Key::Left, Key::Right), Changes{Up(Key::Right)});
}

TEST(PadKeys, StickFlungAcrossReleasesOneSideBeforePressingTheOther) {
    HeldKeys held;
    held.MoveAxis(kPadStickX, -30000, Key::Left, Key::Right);
    EXPECT_EQ(held.MoveAxis(kPadStickX, 30000, Key::Left, Key::Right),
              (std::vector<KeyChange>{Up(Key::Left), Down(Key::Right)}));
    EXPECT_FALSE(held.IsHeld(Key::Left));
    EXPECT_TRUE(held.IsHeld(Key::Right));
}

TEST(PadKeys, DpadAndStickOnOneDirectionMakeOnePressAndOneRelease) {
    HeldKeys held;
    EXPECT_EQ(held.Press(Key::Left, kPadDpadLeft), Down(Key::Left));
    EXPECT_TRUE(held.MoveAxis(kPadStickX, -30000, Key::Left, Key::Right).empty());
    // The d-pad lets go while the stick still holds left: no spurious up.
    EXPECT_EQ(held.Release(Key::Left, kPadDpadLeft), std::nullopt);
    EXPECT_TRUE(held.IsHeld(Key::Left));
    EXPECT_EQ(held.MoveAxis(kPadStickX, 0, Key::Left, Key::Right),
              (std::vector<KeyChange>{Up(Key::Left)}));
}

TEST(PadKeys, PadPulledOutLetsGoOfItsKeysOnly) {
    HeldKeys held;
    held.Press(Key::Left, kPadDpadLeft);
    held.Press(Key::Enter, kPadA);
    held.Press(Key::Enter, kPadStart);
    held.MoveAxis(kPadStickX, 30000, Key::Left, Key::Right);
    held.Press(Key::Escape, kOtherPadA);
    held.Press(Key::Left, {kKeyboardDevice, 80});  // the keyboard holds left too
    const std::vector<KeyChange> ups = held.ReleaseDevice(0);
    // Enter once although two buttons held it; Right from the stick; not Left,
    // which the keyboard still holds.
    EXPECT_EQ(ups, (std::vector<KeyChange>{Up(Key::Enter), Up(Key::Right)}));
    EXPECT_TRUE(held.IsHeld(Key::Left));
    EXPECT_TRUE(held.IsHeld(Key::Escape));
    EXPECT_FALSE(held.IsHeld(Key::Enter));
    // Plugged in again, the pad starts from nothing held.
    EXPECT_EQ(held.Press(Key::Enter, kPadA), Down(Key::Enter));
    EXPECT_TRUE(held.ReleaseDevice(7).empty());
}
