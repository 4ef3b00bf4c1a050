// SPDX-License-Identifier: MIT
// sound_bench.cpp -- what asking for sound costs the game thread: every
// PlayCue, LoopCue and StopSound of the players' platform timed, wall clock,
// over a recorded session shown with --playback at 70 frames/s with sound on
// (SDL_AUDIODRIVER names the driver: dummy, disk, pulseaudio...).
//
//   bench-sound [--session FILE] [--runs N] [--intro-wait FRAMES]
//
// Each run opens the platform anew, so its first cue is asked for while the
// sound device is still opening. The intro's wait is lengthened by FRAMES
// (default 350, 5 s; every event of the session moved that much later, which
// changes nothing else in a replay): the intro's jingle sounds out, the device
// rests, and the menu's tune opens it again. Prints the count, the median, the
// 99th and 99.9th percentiles and the maximum of each call, and of all of them.
//
// Needs a display (Xvfb will do): the session is shown in a 320x240 window.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/program/program.h"
#include "core/seam/platform.h"
#include "platform/common/script.h"
#include "platform/sdl/sdl_platform.h"

namespace {

using Clock = std::chrono::steady_clock;

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

// The window platform with its three sound calls timed.
class TimedSound final : public platform::Platform {
public:
    explicit TimedSound(platform::PlayerPlatform& window) : window_(window) {}

    void ShowPicture(const platform::Picture& picture, const platform::Palette& palette,
                     platform::PictureKind kind) override {
        window_.ShowPicture(picture, palette, kind);
    }
    void DeliverDueInput(platform::KeyState& keys) override { window_.DeliverDueInput(keys); }
    void WaitForInput(platform::KeyState& keys) override { window_.WaitForInput(keys); }
    void PlayCue(platform::Cue cue) override {
        const Clock::time_point start = Clock::now();
        window_.PlayCue(cue);
        play.push_back(Milliseconds(Clock::now() - start));
    }
    void LoopCue(platform::Cue cue) override {
        const Clock::time_point start = Clock::now();
        window_.LoopCue(cue);
        loop.push_back(Milliseconds(Clock::now() - start));
    }
    void StopSound() override {
        const Clock::time_point start = Clock::now();
        window_.StopSound();
        stop.push_back(Milliseconds(Clock::now() - start));
    }
    std::uint32_t CalendarSeconds() override { return window_.CalendarSeconds(); }

    std::vector<double> play;  // milliseconds, one a call
    std::vector<double> loop;
    std::vector<double> stop;

private:
    platform::PlayerPlatform& window_;
};

void Report(const char* what, std::vector<double> ms) {
    const std::size_t over1 = std::count_if(ms.begin(), ms.end(), [](double v) { return v > 1; });
    const std::size_t over5 = std::count_if(ms.begin(), ms.end(), [](double v) { return v > 5; });
    const double median = Quantile(ms, 0.5);
    const double p99 = Quantile(ms, 0.99);
    const double p999 = Quantile(ms, 0.999);
    std::printf(
        "%-9s %6zu calls: median %.4f ms, 99th %.4f ms, 99.9th %.4f ms, max %.4f ms; "
        "%zu over 1 ms, %zu over 5 ms\n",
        what, ms.size(), median, p99, p999, ms.empty() ? 0.0 : ms.back(), over1, over5);
}

[[noreturn]] void Usage(const std::string& why) {
    std::fprintf(stderr,
                 "bench-sound: %s\nusage: bench-sound [--session FILE] [--runs N] "
                 "[--intro-wait FRAMES]\n",
                 why.c_str());
    std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
    std::string session = FT_SESSIONS_DIR "/short.txt";
    int runs = 3;
    int introWait = 350;
    for (int i = 1; i < argc; i += 2) {
        const std::string name = argv[i];
        if (i + 1 >= argc) Usage(name + " needs a value");
        const std::string value = argv[i + 1];
        if (name == "--session") {
            session = value;
        } else if (name == "--runs" || name == "--intro-wait") {
            char* end = nullptr;
            const long number = std::strtol(value.c_str(), &end, 10);
            if (*end != '\0' || number < (name == "--runs" ? 1 : 0) || number > 100000) {
                Usage(name + " takes a whole number");
            }
            (name == "--runs" ? runs : introWait) = static_cast<int>(number);
        } else {
            Usage("unknown option '" + name + "'");
        }
    }
    platform::Result<platform::Script> parse = platform::LoadScript(session);
    if (!parse) {
        std::fprintf(stderr, "bench-sound: %s\n", parse.reason().c_str());
        return 2;
    }
    for (platform::InputEvent& event : parse->events) {
        event.time += static_cast<std::uint64_t>(introWait);
    }
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    std::printf("session %s, intro wait +%d frames, %d runs, SDL_AUDIODRIVER=%s\n", session.c_str(),
                introWait, runs, driver != nullptr ? driver : "(unset)");

    std::vector<double> play;
    std::vector<double> loop;
    std::vector<double> stop;
    for (int run = 0; run < runs; ++run) {
        platform::SdlOptions sdl;
        sdl.fullscreen = false;
        sdl.scale = 1;
        sdl.playback = *parse;
        auto opened = platform::OpenSdlPlatform(sdl);
        if (!opened) {
            std::fprintf(stderr, "bench-sound: %s\n", opened.reason().c_str());
            return 1;
        }
        std::unique_ptr<platform::PlayerPlatform> window = std::move(*opened);
        TimedSound timed(*window);
        ft::RunProgram(timed);  // to the end of the session's script
        play.insert(play.end(), timed.play.begin(), timed.play.end());
        loop.insert(loop.end(), timed.loop.begin(), timed.loop.end());
        stop.insert(stop.end(), timed.stop.begin(), timed.stop.end());
    }
    std::vector<double> all = play;
    all.insert(all.end(), loop.begin(), loop.end());
    all.insert(all.end(), stop.begin(), stop.end());
    Report("PlayCue", play);
    Report("LoopCue", loop);
    Report("StopSound", stop);
    Report("all", all);
    return 0;
}
