// SPDX-License-Identifier: MIT
// pad_keys.h -- the seven keys when several things can hold each of them down:
// a keyboard key, a gamepad's buttons, its d-pad and its left stick. A key goes
// down for the game when the first of them goes down and up when the last one
// lets go, so a stick let go while the d-pad still holds the same direction
// releases nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "core/seam/platform.h"

namespace platform {

// One thing that can hold a key down. device: kKeyboardDevice for the
// keyboard, else a gamepad's instance number (0 or more); control: what on that
// device (a key code, a button number, a stick axis number).
struct KeySource {
    std::int32_t device = 0;
    std::int32_t control = 0;
    friend bool operator==(const KeySource&, const KeySource&) = default;
};
inline constexpr std::int32_t kKeyboardDevice = -1;

// A change of a key as the game is to see it: a key-down or a key-up.
struct KeyChange {
    Key key = Key::Enter;
    bool down = false;
    friend bool operator==(const KeyChange&, const KeyChange&) = default;
};

// How far a stick must move from the centre to hold a direction down, and how
// close it must come back to let go (out of 32767): the gap keeps a stick that
// rests near the threshold from chattering.
inline constexpr int kStickPress = 16000;
inline constexpr int kStickRelease = 12000;

// The buttons of a pad that carry one of the seven keys, by the positions of
// an Xbox pad, as bits of PadReading::buttons.
enum PadButton : std::uint16_t {
    kPadUp = 1 << 0,
    kPadDown = 1 << 1,
    kPadLeft = 1 << 2,
    kPadRight = 1 << 3,
    kPadA = 1 << 4,      // Enter
    kPadStart = 1 << 5,  // Enter
    kPadB = 1 << 6,      // Escape
    kPadBack = 1 << 7,   // Escape
    kPadX = 1 << 8,      // Space
};

// A pad's state at one moment: its buttons (PadButton bits) and its left
// stick, -32768 to 32767 each way, x growing rightwards and y downwards.
struct PadReading {
    std::uint16_t buttons = 0;
    int stickX = 0;
    int stickY = 0;
    friend bool operator==(const PadReading&, const PadReading&) = default;
};

// The key a pad button stands for: the d-pad the arrows, A and Start Enter,
// B and Back Escape, X Space.
Key KeyOfPadButton(PadButton button);

// XInput's report of a pad (XINPUT_GAMEPAD: its wButtons bits and its left
// stick, whose y grows upwards) as a PadReading; the other buttons are dropped.
PadReading ReadingOfXInput(std::uint16_t buttons, std::int16_t thumbX, std::int16_t thumbY);

// Control numbers of a pad's stick axes, apart from its buttons' (KeySource).
inline constexpr std::int32_t kPadStickXControl = 1000;
inline constexpr std::int32_t kPadStickYControl = 1001;

// Which sources hold which keys. Lives for the run (the players' platform).
class HeldKeys {
public:
    // A source went down. A key-down when the key was not held before, and also
    // when this very source was already holding it (the keyboard's auto-repeat,
    // which sets the pressed flag again); nothing when only another source held it.
    std::optional<KeyChange> Press(Key key, const KeySource& source);
    // The keyboard's auto-repeat of a source: a key-down (the pressed flag set
    // again) only while this very source holds the key as the game sees it. A
    // repeat never starts a press: a key whose down the platform kept for
    // itself (Alt+Enter), or that went down before the window had the keyboard,
    // repeats into nothing.
    std::optional<KeyChange> Repeat(Key key, const KeySource& source) const;
    // A source let go. A key-up when it was the last one holding the key;
    // nothing otherwise, nor when the source was not holding it.
    std::optional<KeyChange> Release(Key key, const KeySource& source);

    // A stick axis moved to value (-32768 to 32767): below -kStickPress it
    // holds negative, above kStickPress positive; held, it lets go only inside
    // kStickRelease. The source is the axis. Returns the changes in order
    // (a stick flung across releases one side before pressing the other).
    std::vector<KeyChange> MoveAxis(const KeySource& axis, int value, Key negative, Key positive);

    // A pad read as a whole (a system that reports its state rather than
    // events): the changes that take it from one reading to the next, the
    // buttons let go first, then the buttons pressed, then the stick. The
    // device is the pad's number; a pad just plugged in starts from PadReading{}.
    std::vector<KeyChange> MovePad(std::int32_t device, const PadReading& before,
                                   const PadReading& now);

    // A device went away: every key it held is let go. Returns the key-ups.
    std::vector<KeyChange> ReleaseDevice(std::int32_t device);
    // Everything is let go (the game is paused): returns the key-ups. Sources
    // still down go on holding nothing; their ups and repeats change nothing.
    std::vector<KeyChange> ReleaseAll();

    bool IsHeld(Key key) const;
    bool IsHeldBy(Key key, const KeySource& source) const;

private:
    struct Hold {
        Key key;
        KeySource source;
    };
    std::vector<Hold> holds_;  // each (key, source) at most once
};

}  // namespace platform
