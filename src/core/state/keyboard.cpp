// SPDX-License-Identifier: MIT
// keyboard.cpp -- key polling and the two wait loops.
#include "core/state/keyboard.h"

#include <cassert>

namespace ft {

namespace {

void EndRunIfClosed(const Keyboard& keyboard) {
    if (keyboard.state.closePending && keyboard.closeEndsRun) {
        throw platform::RunEnded{platform::EndReason::Close};
    }
}

void WaitForInput(Keyboard& keyboard) {
    keyboard.platform.WaitForInput(keyboard.state);
    EndRunIfClosed(keyboard);
}

}  // namespace

KeyPoll PollKey(Keyboard& keyboard, Key key) {
    keyboard.platform.DeliverDueInput(keyboard.state);
    EndRunIfClosed(keyboard);
    const auto k = static_cast<std::size_t>(key);
    KeyPoll poll{keyboard.state.held[k], keyboard.state.pressed[k]};
    keyboard.state.pressed[k] = false;
    return poll;
}

bool IsKeyActive(Keyboard& keyboard, Key key) {
    const KeyPoll poll = PollKey(keyboard, key);
    return poll.down || poll.pressed;
}

bool WasKeyPressed(Keyboard& keyboard, Key key) {
    return PollKey(keyboard, key).pressed;
}

void WaitKeyReleased(Keyboard& keyboard, Key key) {
    for (;;) {
        const KeyPoll poll = PollKey(keyboard, key);
        if (!poll.down && !poll.pressed) return;
        // A press alone was cleared by this poll, so the next poll answers at
        // once. Only a key still held has to wait for new input; we block on
        // the platform there instead of spinning.
        if (poll.down) WaitForInput(keyboard);
    }
}

Key WaitAnyKeyActive(Keyboard& keyboard, std::initializer_list<Key> keys) {
    assert(keys.size() > 0);
    for (;;) {
        for (Key key : keys) {
            if (IsKeyActive(keyboard, key)) return key;
        }
        WaitForInput(keyboard);
    }
}

}  // namespace ft
