// SPDX-License-Identifier: MIT
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

// A pad read whole, as XInput reports it: the buttons by XINPUT_GAMEPAD's
// bits, the stick with y growing upwards.
TEST(PadKeys, XInputReadingsBecomeTheDesktopsKeys) {
    using platform::PadReading;
    using platform::ReadingOfXInput;
    using Changes = std::vector<KeyChange>;
    HeldKeys held;
    const PadReading rest = ReadingOfXInput(0, 0, 0);
    EXPECT_EQ(rest, PadReading{});
    // Each mapped button alone, pressed and let go: d-pad up, down, left,
    // right, Start, Back, A, B, X.
    const std::pair<std::uint16_t, Key> buttons[] = {
        {0x0001, Key::Up},    {0x0002, Key::Down},   {0x0004, Key::Left},
        {0x0008, Key::Right}, {0x0010, Key::Enter},  {0x0020, Key::Escape},
        {0x1000, Key::Enter}, {0x2000, Key::Escape}, {0x4000, Key::Space}};
    for (const auto& [bit, key] : buttons) {
        const PadReading pressed = ReadingOfXInput(bit, 0, 0);
        EXPECT_EQ(held.MovePad(0, rest, pressed), Changes{Down(key)}) << "bit " << bit;
        EXPECT_EQ(held.MovePad(0, pressed, pressed), Changes{}) << "bit " << bit;
        EXPECT_EQ(held.MovePad(0, pressed, rest), Changes{Up(key)}) << "bit " << bit;
    }
    // Y, the shoulders and the thumbs' clicks carry nothing.
    const PadReading others = ReadingOfXInput(0x8000 | 0x0100 | 0x0200 | 0x0040 | 0x0080, 0, 0);
    EXPECT_EQ(held.MovePad(0, rest, others), Changes{});
    // The stick pushed up (XInput's positive y) is Up, pulled fully down Down.
    const PadReading up = ReadingOfXInput(0, 0, 30000);
    EXPECT_EQ(held.MovePad(0, rest, up), Changes{Down(Key::Up)});
    const PadReading down = ReadingOfXInput(0, 0, -32768);
    EXPECT_EQ(held.MovePad(0, up, down), (Changes{Up(Key::Up), Down(Key::Down)}));
    EXPECT_EQ(held.MovePad(0, down, ReadingOfXInput(0, -20000, 0)),
              (Changes{Down(Key::Left), Up(Key::Down)}));  // x first, then y
    // A rocked d-pad lets go of one side before pressing the other; A and
    // Start hold one Enter; two pads hold keys apart.
    const PadReading right = ReadingOfXInput(0, 30000, 0);
    EXPECT_EQ(held.MovePad(0, rest, right), (Changes{Up(Key::Left), Down(Key::Right)}));
    const PadReading leftA = ReadingOfXInput(0x0004 | 0x1000, 0, 0);
    const PadReading rightA = ReadingOfXInput(0x0008 | 0x1000, 0, 0);
    const PadReading rightAStart = ReadingOfXInput(0x0008 | 0x1000 | 0x0010, 0, 0);
    const PadReading rightStart = ReadingOfXInput(0x0008 | 0x0010, 0, 0);
    EXPECT_EQ(held.MovePad(1, rest, leftA), (Changes{Down(Key::Left), Down(Key::Enter)}));
    EXPECT_EQ(held.MovePad(1, leftA, rightA), Changes{Up(Key::Left)});  // pad 0 holds Right
    EXPECT_EQ(held.MovePad(1, rightA, rightAStart), Changes{});
    EXPECT_EQ(held.MovePad(1, rightAStart, rightStart), Changes{});
    EXPECT_EQ(held.ReleaseDevice(1), Changes{Up(Key::Enter)});
    EXPECT_EQ(held.ReleaseDevice(0), Changes{Up(Key::Right)});
}
