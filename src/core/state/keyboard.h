// SPDX-License-Identifier: MIT
// keyboard.h -- how the intro, the menu and the game read the seven keys:
// one poll per question, each poll clearing the key's pressed flag.
#pragma once

#include <initializer_list>

#include "core/seam/platform.h"

namespace ft {

using platform::Key;

// The key flags and the platform that delivers into them. Lives for the run.
struct Keyboard {
    explicit Keyboard(platform::Platform& p) : platform(p) {}
    platform::Platform& platform;
    platform::KeyState state{};
    // A request to close the window ends the run where it is delivered (the
    // keys delivered with it land, and no more game code runs), until
    // shutdown, whose closing wait takes it as one of its ends instead.
    bool closeEndsRun = true;
};

struct KeyPoll {
    bool down = false;     // held at the moment of the poll
    bool pressed = false;  // went down at least once since the previous poll of this key
};

// Reports the key's two flags, then clears its pressed flag.
KeyPoll PollKey(Keyboard& keyboard, Key key);
// One poll: held or pressed. The test for keys that act while held, and of every wait.
bool IsKeyActive(Keyboard& keyboard, Key key);
// One poll: pressed. The test for keys that act once per press.
bool WasKeyPressed(Keyboard& keyboard, Key key);
// Polls until the key is neither held nor pressed; swallows an earlier press.
void WaitKeyReleased(Keyboard& keyboard, Key key);
// Passes over the keys in order until one is active; returns it. Keys after it
// in that pass are not polled, so their pressed flags stay set.
Key WaitAnyKeyActive(Keyboard& keyboard, std::initializer_list<Key> keys);

}  // namespace ft
