// SPDX-License-Identifier: MIT
// node_replay.cpp -- the web build's own code replaying recordings headless
// on Node, for the test that they give the desktop program's logs byte for
// byte: the same game and journal, compiled as the page's are.
//
// Usage: node fompy-talden-replay.js [--clock SECONDS] [--frames N] --script FILE
// (the headless run's options and their meaning)
// Writes the run log on standard output; a bad option or script is one line
// on standard error and status 2.
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "core/program/program.h"
#include "platform/common/line_sink.h"
#include "platform/common/script.h"
#include "platform/common/text.h"
#include "platform/headless/headless_platform.h"

namespace {

int Refuse(const std::string& why) {
    std::fprintf(stderr, "fompy-talden-replay: %s\n", why.c_str());
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    constexpr std::string_view kUsage =
        "usage: fompy-talden-replay [--clock SECONDS] [--frames N] --script FILE";
    platform::HeadlessOptions options;
    std::string scriptPath;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if ((arg == "--clock" || arg == "--frames") && i + 1 < argc) {
            const platform::Decimal value =
                platform::ParseDecimal(argv[++i], arg == "--clock" ? UINT32_MAX : UINT64_MAX);
            if (value.status != platform::Decimal::Status::Ok) {
                return Refuse(std::string(arg) + " takes a whole number");
            }
            if (arg == "--clock") {
                options.clock = static_cast<std::uint32_t>(value.value);
            } else {
                options.frames = value.value;
            }
        } else if (arg == "--script" && i + 1 < argc && scriptPath.empty()) {
            scriptPath = argv[++i];
        } else {
            return Refuse(std::string(kUsage));
        }
    }
    if (scriptPath.empty()) return Refuse(std::string(kUsage));
    platform::Result<platform::Script> script = platform::LoadScript(scriptPath);
    if (!script) return Refuse(script.reason());
    options.script = std::move(*script);
    platform::MemoryLines log;
    options.log = &log;
    platform::HeadlessPlatform host(std::move(options));
    host.Journal().Finish(ft::RunProgram(host));
    std::fwrite(log.Text().data(), 1, log.Text().size(), stdout);
    return 0;
}
