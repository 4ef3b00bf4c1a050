// SPDX-License-Identifier: MIT
// web_main.cpp -- the entry point of the web build: opens the browser's
// platform and runs the program on it, from the intro to "QUIT", for the
// player or from the recording the page has it play.
#include <string>

#include "core/program/program.h"
#include "platform/common/script.h"
#include "platform/common/warning.h"
#include "platform/web/web_page.h"
#include "platform/web/web_platform.h"

namespace {

// The recording the page has this run play, if any, and the one game of it
// to watch. The page has read it with the same reader before; a recording
// refused all the same is said, and the run ends before it starts.
bool TakePlayback(platform::WebOptions& options) {
    const int size = WebPagePlaybackSize();
    if (size <= 0) return true;
    std::string text(static_cast<std::size_t>(size), '\0');
    WebPagePlaybackText(text.data(), size);
    platform::Result<platform::Script> script = platform::ParseScript(text, "the recording");
    if (!script) {
        platform::Warn(script.reason());
        return false;
    }
    options.playback = std::move(*script);
    double span[3] = {0, 0, 0};
    if (WebPageWatchSpan(span) != 0) {
        options.watch = platform::WindowOptions::WatchSpan{
            static_cast<std::uint64_t>(span[0]), static_cast<std::uint64_t>(span[1]), span[2] != 0};
    }
    return true;
}

}  // namespace

int main() {
    platform::WebOptions options;
    options.log = WebPageWantsRecord() != 0;
    if (!TakePlayback(options)) {
        WebPageEnded();
        return 0;
    }
    platform::WebPlatform host(options);
    host.Finish(ft::RunProgram(host));
    return 0;
}
