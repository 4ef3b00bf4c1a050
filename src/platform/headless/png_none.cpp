// SPDX-License-Identifier: MIT
// png_none.cpp -- the picture files of a build that writes none: the web
// build's headless replays on Node, which check logs and never dump.
#include "platform/headless/png_dump.h"

namespace platform {

Result<void> WriteIndexedPng(const std::string& path, const Picture& /*picture*/,
                             const Palette& /*palette*/) {
    return Failure{path + ": cannot write: this build of the program writes no pictures"};
}

}  // namespace platform
