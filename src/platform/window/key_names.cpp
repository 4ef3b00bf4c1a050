// SPDX-License-Identifier: MIT
// key_names.cpp -- the table of key names.
#include "platform/window/key_names.h"

#include <algorithm>
#include <array>

namespace platform {

namespace {

constexpr std::string_view kNames[] = {
    "A",
    "B",
    "C",
    "D",
    "E",
    "F",
    "G",
    "H",
    "I",
    "J",
    "K",
    "L",
    "M",
    "N",
    "O",
    "P",
    "Q",
    "R",
    "S",
    "T",
    "U",
    "V",
    "W",
    "X",
    "Y",
    "Z",
    "0",
    "1",
    "2",
    "3",
    "4",
    "5",
    "6",
    "7",
    "8",
    "9",
    "Left",
    "Right",
    "Up",
    "Down",
    "Space",
    "Enter",
    "Escape",
    "Tab",
    "Backspace",
    "Insert",
    "Delete",
    "Home",
    "End",
    "PageUp",
    "PageDown",
    "Keypad0",
    "Keypad1",
    "Keypad2",
    "Keypad3",
    "Keypad4",
    "Keypad5",
    "Keypad6",
    "Keypad7",
    "Keypad8",
    "Keypad9",
    "KeypadEnter",
    "KeypadPlus",
    "KeypadMinus",
    "KeypadMultiply",
    "KeypadDivide",
    "KeypadPeriod",
    "LeftShift",
    "RightShift",
    "LeftCtrl",
    "RightCtrl",
    "LeftAlt",
    "RightAlt",
    "F1",
    "F2",
    "F3",
    "F4",
    "F5",
    "F6",
    "F7",
    "F8",
    "F9",
    "F10",
    "F11",
    "F12",
    "Pause",
    "PrintScreen",
    "Comma",
    "Period",
    "Slash",
    "Semicolon",
    "Apostrophe",
    "LeftBracket",
    "RightBracket",
    "Backslash",
    "Minus",
    "Equals",
    "Backquote",
};

struct Comfort {
    std::string_view key;
    std::string_view what;
};
constexpr Comfort kComforts[] = {
    {"P", "pause"},
    {"Pause", "pause"},
    {"M", "mute"},
    {"KeypadPlus", "volume up"},
    {"RightBracket", "volume up"},
    {"KeypadMinus", "volume down"},
    {"LeftBracket", "volume down"},
    {"F12", "screenshot"},
    {"PrintScreen", "screenshot"},
    {"F10", "frame-time readout"},
};

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return Lower(x) == Lower(y); });
}

}  // namespace

std::span<const std::string_view> AllKeyNames() {
    return kNames;
}

std::optional<std::string_view> FindKeyName(std::string_view written) {
    for (std::string_view name : kNames) {
        if (SameIgnoringCase(name, written)) return name;
    }
    return std::nullopt;
}

std::optional<std::string_view> ComfortOf(std::string_view keyName) {
    for (const Comfort& comfort : kComforts) {
        if (comfort.key == keyName) return comfort.what;
    }
    return std::nullopt;
}

}  // namespace platform
