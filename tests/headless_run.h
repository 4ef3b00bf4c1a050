// SPDX-License-Identifier: MIT
// headless_run.h -- runs the real program (or one of its parts) in-process on
// the headless platform, keeping the log and, on request, copies of the
// pictures, so that end-to-end tests can look at both.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "core/program/program.h"
#include "platform/headless/headless_platform.h"
#include "platform/journal/run_log.h"
#include "test_platform.h"

// The headless platform, also keeping a copy of every picture it is shown.
class CapturingHost : public platform::HeadlessPlatform {
public:
    using HeadlessPlatform::HeadlessPlatform;
    bool keepPictures = true;
    std::vector<ShownPicture> pictures;  // picture n of the log is pictures[n]

protected:
    void Show(const platform::Picture& picture, const platform::Palette& palette,
              platform::PictureKind kind) override {
        if (keepPictures) {
            ShownPicture shown{kind, std::vector<std::uint8_t>(320 * 200), palette};
            for (int y = 0; y < 200; ++y)
                for (int x = 0; x < 320; ++x)
                    shown.pixels[y * 320 + x] = picture.pixels[y * picture.pitch + x];
            pictures.push_back(std::move(shown));
        }
        HeadlessPlatform::Show(picture, palette, kind);
    }
};

// One run: a script, a clock and an optional frame limit.
class HeadlessRun {
public:
    explicit HeadlessRun(const std::string& script, std::uint32_t clock = 0,
                         std::optional<std::uint64_t> frames = std::nullopt)
        : host_(MakeOptions(script, clock, frames, &log_)), program(host_) {}
    HeadlessRun(const HeadlessRun&) = delete;
    HeadlessRun& operator=(const HeadlessRun&) = delete;

    // The whole program, as main runs it.
    platform::EndReason RunProgram() {
        return Guard([this] {
            ft::StartUp(program);
            ft::RunOuterLoop(program);
        });
    }
    // Any part of it, on this run's program state.
    template <typename F>
    platform::EndReason Guard(F&& body) {
        platform::EndReason reason = platform::EndReason::Quit;
        try {
            body();
        } catch (const platform::RunEnded& ended) {
            reason = ended.reason;
        }
        host_.Journal().Finish(reason);
        return reason;
    }

    std::vector<std::string> Log() {
        std::vector<std::string> lines;
        std::istringstream in(log_.Text());
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    // The log with the picture checksums cut off: "4 present", "0 sound play 106".
    std::vector<std::string> LogShape() {
        std::vector<std::string> lines;
        for (std::string line : Log()) {
            for (const char* kind : {" present ", " primary "}) {
                const auto at = line.find(kind);
                if (at != std::string::npos) line.resize(at + 8);
            }
            lines.push_back(line);
        }
        return lines;
    }
    // The log lines whose event is not a picture.
    std::vector<std::string> Events() {
        std::vector<std::string> lines;
        for (const std::string& line : Log()) {
            if (line.find(" present ") == std::string::npos &&
                line.find(" primary ") == std::string::npos)
                lines.push_back(line);
        }
        return lines;
    }
    CapturingHost& host() { return host_; }
    const std::vector<ShownPicture>& pictures() const { return host_.pictures; }

private:
    static platform::HeadlessOptions MakeOptions(const std::string& script, std::uint32_t clock,
                                                 std::optional<std::uint64_t> frames,
                                                 platform::LineSink* log) {
        platform::HeadlessOptions options;
        const auto parse = platform::ParseScript(script, "script");
        EXPECT_TRUE(parse.ok()) << parse.reason();
        options.script = (*parse);
        options.clock = clock;
        options.frames = frames;
        options.log = log;
        return options;
    }

    platform::MemoryLines log_;
    CapturingHost host_;

public:
    ft::Program program;
};
