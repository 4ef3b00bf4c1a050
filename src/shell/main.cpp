// main.cpp -- the entry point: reads the command line, opens the platform the
// player or the test asked for, and runs the program on it.
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/headless/headless_platform.h"
#ifdef _WIN32
#include "platform/win32/win32_console.h"
#include "platform/win32/win32_platform.h"
#else
#include "platform/sdl/sdl_platform.h"
#endif
#include "platform/text.h"
#include "shell/options.h"
#include "program/program.h"

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
using File = std::unique_ptr<std::FILE, FileCloser>;

// An output file named on the command line, opened before anything runs so
// that an unwritable target is reported at once. "-" is standard output
// where allowStdout. False after complaining.
bool OpenOutput(const std::string& path, const char* what, bool allowStdout, File& file) {
    if (path.empty()) return true;
    if (allowStdout && path == "-") {
        file.reset(stdout);
        return true;
    }
    file.reset(std::fopen(path.c_str(), "w"));
    if (!file) {
        Complain(std::string("cannot write the ") + what + " '" + platform::PrintableText(path) +
                 "': " + std::strerror(errno));
    }
    return file != nullptr;
}

// Flushes an output at the end of the run; false after complaining.
bool CloseOutput(File& file, const std::string& path, const char* what) {
    if (!file) return true;
    const bool ok = std::fflush(file.get()) == 0 && !std::ferror(file.get());
    if (!ok) {
        Complain(std::string("cannot write the ") + what + " '" + platform::PrintableText(path) +
                 "': " + std::strerror(errno));
    }
    file.reset();
    return ok;
}

// A script named on the command line; nothing when it is bad (after saying why).
std::optional<platform::Script> ReadScript(const std::string& path) {
    platform::ScriptParse parse = platform::LoadScript(path);
    if (!parse.ok) {
        std::fprintf(stderr, "%s\n", parse.error.c_str());
        return std::nullopt;
    }
    return std::move(parse.script);
}

// Runs the program on a headless host to its end; returns the number of presents.
std::uint64_t RunToEnd(platform::HeadlessPlatform& host) {
    host.Journal().Finish(ft::RunProgram(host));
    return host.Presents();
}

int RunHeadless(const ft::Options& options) {
    platform::HeadlessOptions headless;
    if (!options.scriptPath.empty()) {
        std::optional<platform::Script> script = ReadScript(options.scriptPath);
        if (!script) return kExitBadUsage;
        headless.script = std::move(*script);
    }
    headless.clock = options.clock;
    headless.frames = options.frames;

    File log;
    if (!OpenOutput(options.logPath, "log", true, log)) return kExitFailure;
    headless.log = log.get();
    if (!options.dumpDir.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(options.dumpDir, ec);
        if (ec || access(options.dumpDir.c_str(), W_OK) != 0) {
            Complain("cannot write pictures into '" + platform::PrintableText(options.dumpDir) +
                     "': " + (ec ? ec.message() : std::string(std::strerror(errno))));
            return kExitFailure;
        }
        headless.dumpDir = options.dumpDir;
    }

    platform::HeadlessPlatform host(std::move(headless));
    RunToEnd(host);
    if (!CloseOutput(log, options.logPath, "log")) return kExitFailure;
    return host.DumpError().empty() ? 0 : kExitFailure;
}

// The benchmark of record: a script replayed as fast as the machine allows.
int RunTimedemo(const ft::Options& options) {
    std::optional<platform::Script> script = ReadScript(options.timedemoPath);
    if (!script) return kExitBadUsage;
    platform::HeadlessOptions headless;
    headless.script = std::move(*script);
    headless.clock = options.clock;
    headless.frames = options.frames;
    platform::HeadlessPlatform host(std::move(headless));

    const auto start = std::chrono::steady_clock::now();
    const std::uint64_t frames = RunToEnd(host);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    const double seconds = elapsed.count();
    std::printf("%llu frames in %.3f s: %.0f frames/s\n", static_cast<unsigned long long>(frames),
                seconds, seconds > 0 ? static_cast<double>(frames) / seconds : 0.0);
    return 0;
}

#ifdef _WIN32
// The players' platform of Windows draws through GDI: no renderer to choose.
using PlayersOptions = platform::Win32Options;
void ChooseRenderer(PlayersOptions&, ft::Renderer) {}
std::unique_ptr<platform::Win32Host> OpenPlayersPlatform(const PlayersOptions& options,
                                                         std::string& error) {
    return platform::OpenWin32Platform(options, error);
}
#else
platform::RendererChoice RendererOf(ft::Renderer renderer) {
    switch (renderer) {
        case ft::Renderer::Gpu: return platform::RendererChoice::Gpu;
        case ft::Renderer::Software: return platform::RendererChoice::Software;
        case ft::Renderer::Auto: break;
    }
    return platform::RendererChoice::Auto;
}

using PlayersOptions = platform::SdlOptions;
void ChooseRenderer(PlayersOptions& sdl, ft::Renderer renderer) {
    sdl.renderer = RendererOf(renderer);
}
std::unique_ptr<platform::WindowPlatform> OpenPlayersPlatform(const PlayersOptions& options,
                                                              std::string& error) {
    return platform::OpenSdlPlatform(options, error);
}
#endif

int RunWindowed(const ft::Options& options) {
    PlayersOptions sdl;
    sdl.fullscreen = !options.window;
    sdl.fps = options.fps;
    sdl.scale = options.scale;
    sdl.fit.aspect = !options.noAspect;
    sdl.fit.integerScale = options.integerScale;
    ChooseRenderer(sdl, options.renderer);
    if (!options.playbackPath.empty()) {
        sdl.playback = ReadScript(options.playbackPath);
        if (!sdl.playback) return kExitBadUsage;
    }
    File log;
    File record;
    if (!OpenOutput(options.logPath, "log", true, log)) return kExitFailure;
    if (!OpenOutput(options.recordPath, "recording", false, record)) return kExitFailure;
    sdl.log = log.get();
    sdl.record = record.get();

    std::string error;
    auto host = OpenPlayersPlatform(sdl, error);
    if (!host) {
        Complain(error);
        return kExitFailure;
    }
    // A playback ends by Escape or by its script's end as well as by "QUIT".
    host->Journal().Finish(ft::RunProgram(*host));
    host.reset();  // the window goes before the files are closed
    const bool logOk = CloseOutput(log, options.logPath, "log");
    const bool recordOk = CloseOutput(record, options.recordPath, "recording");
    return logOk && recordOk ? 0 : kExitFailure;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    platform::UseParentConsole();
#endif
    const std::vector<std::string> args(argv + 1, argv + argc);
    const ft::OptionsParse parse = ft::ParseOptions(args);
    if (!parse.ok) {
        Complain(parse.error);
        return kExitBadUsage;
    }
    const ft::Options& options = parse.options;
    if (options.help) {
        std::fputs(ft::HelpText().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::fputs(ft::VersionText().c_str(), stdout);
        return 0;
    }
    if (!options.timedemoPath.empty()) return RunTimedemo(options);
    return options.headless ? RunHeadless(options) : RunWindowed(options);
}
