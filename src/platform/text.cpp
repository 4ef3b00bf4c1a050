// text.cpp -- quoting user text in messages.
#include "platform/text.h"

#include <cstdio>

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

}  // namespace platform
