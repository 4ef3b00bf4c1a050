// SPDX-License-Identifier: MIT
// present_bench.cpp -- what the players' platform costs to show the game's
// pictures in a window (conversion through the palette, scaling, the window
// update), and how evenly it paces them. The pictures are the game's own: the
// core replays a recorded session and everything it shows goes through
// OpenSdlPlatform, as in play.
//
//   bench-present cost   [--renderer software|gpu|auto] [--scale N] [--scaling nearest|sharp]
//                        [--session FILE] [--frames N]
//   bench-present pacing [--renderer software|gpu|auto] [--scale N] [--scaling nearest|sharp]
//                        [--session FILE] [--frames N] [--fps N]
//
// cost: the platform paces nothing (at a frame rate beyond the resolution of
// its clock its frame period is zero, so it never sleeps), and each
// ShowPicture is timed, wall clock and the CPU time of the whole process: the
// session's presents, those of them that change the picture, then presents
// that change all of it (the last picture and its every colour index plus one,
// in turn), which is what a new palette costs too.
// pacing: the game's frame rate (70 by default); the times between the starts
// of successive presents, their median and 99th percentile, and their
// distance from the frame period.
//
// Needs a display (Xvfb will do); SDL_AUDIODRIVER plays no part, since the
// cues are not forwarded to the sound device.
#include <time.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/program/program.h"
#include "core/render/framebuffer.h"
#include "platform/common/script.h"
#include "platform/headless/headless_platform.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/window/screen_fit.h"

namespace {

using Clock = std::chrono::steady_clock;

enum class Mode : std::uint8_t { Cost, Pacing };

// The command line. Lives for the run.
struct BenchOptions {
    Mode mode = Mode::Cost;
    platform::RendererChoice renderer = platform::RendererChoice::Software;
    int scale = 2;
    bool sharp = false;  // --scaling sharp
    int fps = 70;        // pacing only
    std::string session = FT_SESSIONS_DIR "/short.txt";
    // Presents of the session; by default all of them (cost), 1501 (pacing).
    std::optional<std::uint64_t> frames;
    int wholePictures = 1000;  // cost only
};

// One ShowPicture as the window platform saw it.
struct Sample {
    platform::PictureKind kind = platform::PictureKind::Present;
    Clock::time_point start;
    double wallMs = 0;          // ShowPicture's own time, pacing included when there is any
    double cpuMs = 0;           // CPU time of every thread of the process meanwhile
    bool changed = false;       // the picture differs from the one shown before
    bool waitedBefore = false;  // a wait for input came between it and the picture before
};

double ProcessCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The p-quantile (0 < p <= 1) by nearest rank; values is sorted here.
double Quantile(std::vector<double>& values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(std::ceil(p * static_cast<double>(values.size())));
    return values[std::clamp<std::size_t>(rank, 1, values.size()) - 1];
}

// The session's keys from its script, the pictures to the window: the core
// runs as in a replay, and the window shows what a player would see.
class RelayPlatform final : public platform::Platform {
public:
    RelayPlatform(platform::HeadlessPlatform& script, platform::PlayerPlatform& window)
        : script_(script), window_(window) {}

    void ShowPicture(const platform::Picture& picture, const platform::Palette& palette,
                     platform::PictureKind kind) override {
        Sample sample;
        sample.kind = kind;
        sample.waitedBefore = waited_;
        sample.changed = !hasLast_ || palette != lastPalette_;
        for (int y = 0; y < ft::kScreenHeight && !sample.changed; ++y) {
            sample.changed =
                std::memcmp(picture.pixels + static_cast<std::ptrdiff_t>(y) * picture.pitch,
                            last_.data() + y * ft::kScreenWidth, ft::kScreenWidth) != 0;
        }
        waited_ = false;

        const double cpuStart = ProcessCpuMs();
        sample.start = Clock::now();
        window_.ShowPicture(picture, palette, kind);
        sample.wallMs = Milliseconds(Clock::now() - sample.start);
        sample.cpuMs = ProcessCpuMs() - cpuStart;
        samples_.push_back(sample);

        for (int y = 0; y < ft::kScreenHeight; ++y) {
            std::memcpy(last_.data() + y * ft::kScreenWidth,
                        picture.pixels + static_cast<std::ptrdiff_t>(y) * picture.pitch,
                        ft::kScreenWidth);
        }
        lastPalette_ = palette;
        hasLast_ = true;
        script_.ShowPicture(picture, palette, kind);  // the session's time; may end the run
    }

    void DeliverDueInput(platform::KeyState& keys) override {
        // The window's events are handled (redraws, closing), its keys are not played.
        platform::KeyState windowKeys;
        window_.DeliverDueInput(windowKeys);
        script_.DeliverDueInput(keys);
    }

    void WaitForInput(platform::KeyState& keys) override {
        waited_ = true;
        script_.WaitForInput(keys);
    }

    void PlayCue(platform::Cue) override {}
    void LoopCue(platform::Cue) override {}
    void StopSound() override {}
    std::uint32_t CalendarSeconds() override { return script_.CalendarSeconds(); }

    const std::vector<Sample>& Samples() const { return samples_; }
    // The last picture shown (pitch 320) and its palette.
    const std::array<std::uint8_t, 320 * 200>& LastPicture() const { return last_; }
    const platform::Palette& LastPalette() const { return lastPalette_; }

private:
    platform::HeadlessPlatform& script_;
    platform::PlayerPlatform& window_;
    std::vector<Sample> samples_;
    std::array<std::uint8_t, 320 * 200> last_{};
    ft::Palette lastPalette_{};
    bool hasLast_ = false;
    bool waited_ = false;
};

void PrintCost(const char* what, const std::vector<const Sample*>& samples) {
    std::vector<double> wall;
    std::vector<double> cpu;
    for (const Sample* sample : samples) {
        wall.push_back(sample->wallMs);
        cpu.push_back(sample->cpuMs);
    }
    const double wallMedian = Quantile(wall, 0.5);
    const double wallP99 = Quantile(wall, 0.99);
    const double cpuMedian = Quantile(cpu, 0.5);
    const double cpuP99 = Quantile(cpu, 0.99);
    std::printf(
        "  %-34s %5zu presents: wall median %.3f ms, p99 %.3f ms; "
        "CPU median %.3f ms, p99 %.3f ms\n",
        what, samples.size(), wallMedian, wallP99, cpuMedian, cpuP99);
}

const char* RendererName(platform::RendererChoice renderer) {
    switch (renderer) {
        case platform::RendererChoice::Gpu:
            return "gpu";
        case platform::RendererChoice::Software:
            return "software";
        case platform::RendererChoice::Auto:
            break;
    }
    return "auto";
}

void ReportCost(const BenchOptions& options, const RelayPlatform& relay,
                platform::PlayerPlatform& window, const platform::ScreenRect& size) {
    std::vector<const Sample*> presents;
    std::vector<const Sample*> changing;
    for (const Sample& sample : relay.Samples()) {
        if (sample.kind != platform::PictureKind::Present) continue;
        presents.push_back(&sample);
        if (sample.changed) changing.push_back(&sample);
    }

    // The whole picture anew each time: the last one and its every colour
    // index plus one, in turn.
    std::array<std::uint8_t, 320 * 200> other = relay.LastPicture();
    for (std::uint8_t& index : other) ++index;
    std::vector<Sample> whole;
    for (int i = 0; i < options.wholePictures; ++i) {
        const platform::Picture picture{i % 2 == 0 ? other.data() : relay.LastPicture().data(),
                                        ft::kScreenWidth};
        Sample sample;
        const double cpuStart = ProcessCpuMs();
        sample.start = Clock::now();
        window.ShowPicture(picture, relay.LastPalette(), platform::PictureKind::Present);
        sample.wallMs = Milliseconds(Clock::now() - sample.start);
        sample.cpuMs = ProcessCpuMs() - cpuStart;
        whole.push_back(sample);
    }
    std::vector<const Sample*> wholeSamples;
    for (const Sample& sample : whole) wholeSamples.push_back(&sample);

    std::printf("present cost: %s renderer, %s scaling, window %dx%d (scale %d), session %s\n",
                RendererName(options.renderer), options.sharp ? "sharp" : "nearest", size.width,
                size.height, options.scale, options.session.c_str());
    PrintCost("the session's presents", presents);
    PrintCost("  those changing the picture", changing);
    PrintCost("presents of a whole new picture", wholeSamples);
}

void ReportPacing(const BenchOptions& options, const RelayPlatform& relay,
                  const platform::ScreenRect& size, double cpuMs, double wallMs) {
    const double period = 1000.0 / options.fps;
    std::vector<double> intervals;
    int skipped = 0;
    const Sample* previous = nullptr;
    for (const Sample& sample : relay.Samples()) {
        if (sample.kind != platform::PictureKind::Present) continue;
        if (previous != nullptr) {
            // Across a wait for input the game stood still: no frame period there.
            if (sample.waitedBefore) {
                ++skipped;
            } else {
                intervals.push_back(Milliseconds(sample.start - previous->start));
            }
        }
        previous = &sample;
    }
    const double median = Quantile(intervals, 0.5);
    const double p99 = Quantile(intervals, 0.99);
    std::printf(
        "pacing: %d frames/s (period %.4f ms), %s renderer, %s scaling, window %dx%d (scale %d), "
        "session %s\n",
        options.fps, period, RendererName(options.renderer), options.sharp ? "sharp" : "nearest",
        size.width, size.height, options.scale, options.session.c_str());
    std::printf("  %zu intervals between presents (%d across a wait left out)\n", intervals.size(),
                skipped);
    if (intervals.empty()) return;
    std::printf(
        "  median %.4f ms (%+.4f ms from the period), p99 %.4f ms (%+.4f ms), "
        "min %.4f ms, max %.4f ms\n",
        median, median - period, p99, p99 - period, intervals.front(), intervals.back());
    std::printf("  CPU of the process meanwhile: %.2f%% of one core\n",
                wallMs > 0 ? 100.0 * cpuMs / wallMs : 0.0);
}

[[noreturn]] void Usage(const std::string& why) {
    std::fprintf(stderr,
                 "bench-present: %s\n"
                 "usage: bench-present cost|pacing [--renderer software|gpu|auto] [--scale N]\n"
                 "                     [--scaling nearest|sharp] [--session FILE] [--frames N]\n"
                 "                     [--fps N]\n",
                 why.c_str());
    std::exit(2);
}

int NumberArgument(const std::string& name, const char* text, int low, int high) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < low || value > high) {
        Usage(name + " takes a number from " + std::to_string(low) + " to " + std::to_string(high));
    }
    return static_cast<int>(value);
}

BenchOptions ParseArguments(int argc, char** argv) {
    BenchOptions options;
    if (argc < 2) Usage("cost or pacing?");
    const std::string mode = argv[1];
    if (mode == "cost") {
        options.mode = Mode::Cost;
    } else if (mode == "pacing") {
        options.mode = Mode::Pacing;
    } else {
        Usage("unknown mode '" + mode + "'");
    }
    for (int i = 2; i < argc; ++i) {
        const std::string name = argv[i];
        if (i + 1 >= argc) Usage(name + " needs a value");
        const char* value = argv[++i];
        if (name == "--renderer") {
            const std::string renderer = value;
            if (renderer == "software") {
                options.renderer = platform::RendererChoice::Software;
            } else if (renderer == "gpu") {
                options.renderer = platform::RendererChoice::Gpu;
            } else if (renderer == "auto") {
                options.renderer = platform::RendererChoice::Auto;
            } else {
                Usage("--renderer takes software, gpu or auto");
            }
        } else if (name == "--scale") {
            options.scale = NumberArgument(name, value, 1, 16);
        } else if (name == "--scaling") {
            const std::string scaling = value;
            if (scaling != "nearest" && scaling != "sharp") {
                Usage("--scaling takes nearest or sharp");
            }
            options.sharp = scaling == "sharp";
        } else if (name == "--fps") {
            options.fps = NumberArgument(name, value, 1, 1000);
        } else if (name == "--frames") {
            options.frames = static_cast<std::uint64_t>(
                NumberArgument(name, value, 2, std::numeric_limits<int>::max()));
        } else if (name == "--session") {
            options.session = value;
        } else {
            Usage("unknown option '" + name + "'");
        }
    }
    if (options.mode == Mode::Pacing && !options.frames) options.frames = 1501;
    return options;
}

}  // namespace

int main(int argc, char** argv) {
    const BenchOptions options = ParseArguments(argc, argv);
    platform::Result<platform::Script> parse = platform::LoadScript(options.session);
    if (!parse.ok()) {
        std::fprintf(stderr, "bench-present: %s\n", parse.reason().c_str());
        return 2;
    }

    platform::SdlOptions sdl;
    sdl.fullscreen = false;
    sdl.scale = options.scale;
    sdl.renderer = options.renderer;
    sdl.fit.sharp = options.sharp;
    // Beyond the performance counter's ticks per second the frame period is
    // zero ticks: the platform shows each picture and returns at once.
    sdl.fps = options.mode == Mode::Cost ? std::numeric_limits<int>::max() : options.fps;
    auto opened = platform::OpenSdlPlatform(sdl);
    if (!opened) {
        std::fprintf(stderr, "bench-present: %s\n", opened.reason().c_str());
        return 1;
    }
    std::unique_ptr<platform::PlayerPlatform> window = std::move(*opened);

    platform::HeadlessOptions headless;
    headless.script = std::move(*parse);
    headless.frames = options.frames;
    platform::HeadlessPlatform script(std::move(headless));
    RelayPlatform relay(script, *window);

    const double cpuStart = ProcessCpuMs();
    const Clock::time_point start = Clock::now();
    try {
        ft::RunProgram(relay);
    } catch (const platform::RunEnded&) {
        // the session's script or the frame limit ended it
    }
    const double cpuMs = ProcessCpuMs() - cpuStart;
    const double wallMs = Milliseconds(Clock::now() - start);

    platform::ScreenRect size = platform::PictureSize(sdl.fit);
    size.width *= options.scale;
    size.height *= options.scale;
    if (options.mode == Mode::Cost) {
        ReportCost(options, relay, *window, size);
    } else {
        ReportPacing(options, relay, size, cpuMs, wallMs);
    }
    return 0;
}
