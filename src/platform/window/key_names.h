// SPDX-License-Identifier: MIT
// key_names.h -- the names of the keyboard's keys, as a player writes them in
// the settings file ("A", "7", "Left", "Keypad4", "Space", ...), one table for
// every platform; each platform maps its own key codes onto these names. Also
// the keys the platforms keep for themselves (pause, sound, screenshots).
#pragma once

#include <optional>
#include <span>
#include <string_view>

namespace platform {

// Every key name, in the spelling the settings file is written with.
std::span<const std::string_view> AllKeyNames();

// The key a player named, in any mix of capitals and small letters, or
// nothing for a name the table lacks.
std::optional<std::string_view> FindKeyName(std::string_view written);

// What a key the platform keeps for itself does ("pause", "the screenshot"),
// or nothing for a key the game may have. Takes the table's spelling.
std::optional<std::string_view> ComfortOf(std::string_view keyName);

}  // namespace platform
