// SPDX-License-Identifier: MIT
// text.h -- text from users (paths, option values, script lines) as it may
// stand inside the program's one-line messages.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// Control bytes and bytes outside ASCII shown as \xNN, so that a message
// quoting the text stays one line of plain text.
std::string PrintableText(std::string_view text);

// A whole decimal number as users write them: digits only, no sign, no blanks.
struct Decimal {
    enum class Status : std::uint8_t { Ok, NotANumber, TooLarge };
    Status status = Status::NotANumber;
    std::uint64_t value = 0;  // when Ok
};
// The whole of text as a number no greater than max (std::from_chars).
Decimal ParseDecimal(std::string_view text, std::uint64_t max);

}  // namespace platform
