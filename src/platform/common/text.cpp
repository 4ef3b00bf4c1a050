// SPDX-License-Identifier: MIT
// text.cpp -- quoting user text in messages.
#include "platform/common/text.h"

#include <charconv>
#include <cstdio>
#include <system_error>

namespace platform {

std::string PrintableText(std::string_view text) {
    std::string out;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            out += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", byte);
            out += hex;
        }
    }
    return out;
}

Decimal ParseDecimal(std::string_view text, std::uint64_t max) {
    Decimal number;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, number.value);
    if (error == std::errc::result_out_of_range) {
        number.status = Decimal::Status::TooLarge;
    } else if (error != std::errc() || stop != end) {
        number.status = Decimal::Status::NotANumber;
    } else {
        number.status = number.value > max ? Decimal::Status::TooLarge : Decimal::Status::Ok;
    }
    return number;
}

}  // namespace platform
