// text.h -- text from users (paths, option values, script lines) as it may
// stand inside the program's one-line messages.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Control bytes and bytes outside ASCII shown as \xNN, so that a message
// quoting the text stays one line of plain text.
std::string PrintableText(std::string_view text);

}  // namespace platform
