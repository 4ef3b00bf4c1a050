// SPDX-License-Identifier: MIT
// warning.cpp -- one line on standard error.
#include "platform/common/warning.h"

#include <cstdio>
#include <string>

namespace platform {

void Warn(std::string_view what) {
    std::string line = "fompy-talden: ";
    line += what;
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

}  // namespace platform
