// SPDX-License-Identifier: MIT
// pad_keys.cpp -- keys held by several sources at once.
#include "platform/window/pad_keys.h"

#include <algorithm>

namespace platform {

namespace {

constexpr PadButton kPadButtons[] = {kPadUp,    kPadDown, kPadLeft, kPadRight, kPadA,
                                     kPadStart, kPadB,    kPadBack, kPadX};

// XINPUT_GAMEPAD's button bits, as Windows' xinput.h defines them.
struct XInputButton {
    std::uint16_t bit;
    PadButton button;
};
constexpr XInputButton kXInputButtons[] = {
    {0x0001, kPadUp},    {0x0002, kPadDown},  {0x0004, kPadLeft},
    {0x0008, kPadRight}, {0x0010, kPadStart}, {0x0020, kPadBack},
    {0x1000, kPadA},     {0x2000, kPadB},     {0x4000, kPadX},
};

}  // namespace

Key KeyOfPadButton(PadButton button) {
    switch (button) {
        case kPadUp:
            return Key::Up;
        case kPadDown:
            return Key::Down;
        case kPadLeft:
            return Key::Left;
        case kPadRight:
            return Key::Right;
        case kPadB:
        case kPadBack:
            return Key::Escape;
        case kPadX:
            return Key::Space;
        case kPadA:
        case kPadStart:
        default:
            return Key::Enter;
    }
}

PadReading ReadingOfXInput(std::uint16_t buttons, std::int16_t thumbX, std::int16_t thumbY) {
    PadReading reading;
    for (const XInputButton& b : kXInputButtons) {
        if ((buttons & b.bit) != 0) reading.buttons |= b.button;
    }
    reading.stickX = thumbX;
    reading.stickY = std::min(32767, -static_cast<int>(thumbY));  // up is negative here
    return reading;
}

std::optional<KeyChange> HeldKeys::Press(Key key, const KeySource& source) {
    if (IsHeldBy(key, source)) return KeyChange{key, true};  // auto-repeat
    const bool wasHeld = IsHeld(key);
    holds_.push_back(Hold{key, source});
    if (wasHeld) return std::nullopt;
    return KeyChange{key, true};
}

std::optional<KeyChange> HeldKeys::Repeat(Key key, const KeySource& source) const {
    if (!IsHeldBy(key, source)) return std::nullopt;
    return KeyChange{key, true};
}

std::optional<KeyChange> HeldKeys::Release(Key key, const KeySource& source) {
    const auto hold = std::find_if(holds_.begin(), holds_.end(), [&](const Hold& h) {
        return h.key == key && h.source == source;
    });
    if (hold == holds_.end()) return std::nullopt;
    holds_.erase(hold);
    if (IsHeld(key)) return std::nullopt;
    return KeyChange{key, false};
}

std::vector<KeyChange> HeldKeys::MoveAxis(const KeySource& axis, int value, Key negative,
                                          Key positive) {
    std::vector<KeyChange> changes;
    const auto add = [&](const std::optional<KeyChange>& change) {
        if (change) changes.push_back(*change);
    };
    if (IsHeldBy(negative, axis) && value > -kStickRelease) add(Release(negative, axis));
    if (IsHeldBy(positive, axis) && value < kStickRelease) add(Release(positive, axis));
    if (value < -kStickPress && !IsHeldBy(negative, axis)) add(Press(negative, axis));
    if (value > kStickPress && !IsHeldBy(positive, axis)) add(Press(positive, axis));
    return changes;
}

std::vector<KeyChange> HeldKeys::MovePad(std::int32_t device, const PadReading& before,
                                         const PadReading& now) {
    std::vector<KeyChange> changes;
    const auto add = [&](const std::optional<KeyChange>& change) {
        if (change) changes.push_back(*change);
    };
    for (const PadButton button : kPadButtons) {
        if ((before.buttons & button) != 0 && (now.buttons & button) == 0) {
            add(Release(KeyOfPadButton(button), KeySource{device, button}));
        }
    }
    for (const PadButton button : kPadButtons) {
        if ((before.buttons & button) == 0 && (now.buttons & button) != 0) {
            add(Press(KeyOfPadButton(button), KeySource{device, button}));
        }
    }
    for (const KeyChange& change :
         MoveAxis({device, kPadStickXControl}, now.stickX, Key::Left, Key::Right)) {
        changes.push_back(change);
    }
    for (const KeyChange& change :
         MoveAxis({device, kPadStickYControl}, now.stickY, Key::Up, Key::Down)) {
        changes.push_back(change);
    }
    return changes;
}

std::vector<KeyChange> HeldKeys::ReleaseDevice(std::int32_t device) {
    std::vector<KeyChange> changes;
    std::vector<Hold> gone;
    for (const Hold& hold : holds_) {
        if (hold.source.device == device) gone.push_back(hold);
    }
    for (const Hold& hold : gone) {
        if (auto change = Release(hold.key, hold.source)) changes.push_back(*change);
    }
    return changes;
}

std::vector<KeyChange> HeldKeys::ReleaseAll() {
    std::vector<KeyChange> changes;
    for (const Hold& hold : holds_) {
        const KeyChange up{hold.key, false};
        if (std::find(changes.begin(), changes.end(), up) == changes.end()) changes.push_back(up);
    }
    holds_.clear();
    return changes;
}

bool HeldKeys::IsHeld(Key key) const {
    return std::any_of(holds_.begin(), holds_.end(), [&](const Hold& h) { return h.key == key; });
}

bool HeldKeys::IsHeldBy(Key key, const KeySource& source) const {
    return std::any_of(holds_.begin(), holds_.end(),
                       [&](const Hold& h) { return h.key == key && h.source == source; });
}

}  // namespace platform
