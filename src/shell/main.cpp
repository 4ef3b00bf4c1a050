// main.cpp -- the entry point: reads the command line, opens the platform the
// player or the test asked for, and runs the program on it.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/headless/headless_platform.h"
#include "platform/sdl/sdl_platform.h"
#include "shell/options.h"
#include "shell/program.h"

namespace {

constexpr int kExitBadUsage = 2;
constexpr int kExitFailure = 1;

void Complain(const std::string& message) {
    std::fprintf(stderr, "fompy-talden: %s\n", message.c_str());
}

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f != stdout) std::fclose(f);
    }
};

int RunHeadless(const ft::Options& options) {
    platform::HeadlessOptions headless;
    if (!options.scriptPath.empty()) {
        platform::ScriptParse parse = platform::LoadScript(options.scriptPath);
        if (!parse.ok) {
            std::fprintf(stderr, "%s\n", parse.error.c_str());
            return kExitBadUsage;
        }
        headless.script = std::move(parse.script);
    }
    headless.clock = options.clock;
    headless.frames = options.frames;

    // Unwritable targets are reported before anything runs.
    std::unique_ptr<std::FILE, FileCloser> log;
    if (options.logPath == "-") {
        log.reset(stdout);
    } else if (!options.logPath.empty()) {
        log.reset(std::fopen(options.logPath.c_str(), "w"));
        if (!log) {
            Complain("cannot write the log '" + options.logPath + "': " + std::strerror(errno));
            return kExitFailure;
        }
    }
    headless.log = log.get();
    if (!options.dumpDir.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(options.dumpDir, ec);
        if (ec || access(options.dumpDir.c_str(), W_OK) != 0) {
            Complain("cannot write pictures into '" + options.dumpDir +
                     "': " + (ec ? ec.message() : std::string(std::strerror(errno))));
            return kExitFailure;
        }
        headless.dumpDir = options.dumpDir;
    }

    platform::HeadlessPlatform host(std::move(headless));
    try {
        ft::RunProgram(host);
        host.Finish(platform::EndReason::Quit);
    } catch (const platform::RunEnded& ended) {
        host.Finish(ended.reason);
    }
    if (log && std::fflush(log.get()) != 0) {
        Complain("cannot write the log '" + options.logPath + "': " + std::strerror(errno));
        return kExitFailure;
    }
    return host.DumpError().empty() ? 0 : kExitFailure;
}

int RunWindowed(const ft::Options& options) {
    platform::SdlOptions sdl;
    sdl.fullscreen = !options.window;
    sdl.fps = options.fps;
    sdl.scale = options.scale;
    sdl.fit.aspect = !options.noAspect;
    sdl.fit.integerScale = options.integerScale;
    switch (options.renderer) {
        case ft::Renderer::Auto:
            sdl.renderer = platform::RendererChoice::Auto;
            break;
        case ft::Renderer::Gpu:
            sdl.renderer = platform::RendererChoice::Gpu;
            break;
        case ft::Renderer::Software:
            sdl.renderer = platform::RendererChoice::Software;
            break;
    }
    std::string error;
    std::unique_ptr<platform::Platform> host = platform::OpenSdlPlatform(sdl, error);
    if (!host) {
        Complain(error);
        return kExitFailure;
    }
    try {
        return ft::RunProgram(*host);
    } catch (const platform::RunEnded&) {
        return 0;
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const ft::OptionsParse parse = ft::ParseOptions(args);
    if (!parse.ok) {
        Complain(parse.error);
        return kExitBadUsage;
    }
    if (parse.options.help) {
        std::fputs(ft::HelpText().c_str(), stdout);
        return 0;
    }
    if (parse.options.version) {
        std::fputs(ft::VersionText().c_str(), stdout);
        return 0;
    }
    return parse.options.headless ? RunHeadless(parse.options) : RunWindowed(parse.options);
}
