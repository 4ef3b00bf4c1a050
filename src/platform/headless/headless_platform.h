// SPDX-License-Identifier: MIT
// headless_platform.h -- the platform of tests, replays and benchmarks: a
// scripted keyboard, an in-memory display and a logging sound service. A run
// is deterministic: the same script and options give the same log.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/seam/platform.h"
#include "platform/common/script.h"
#include "platform/journal/journal_host.h"

namespace platform {

struct HeadlessOptions {
    Script script;
    std::uint32_t clock = 0;              // what reseeds read beyond the script's reseed lines
    std::optional<std::uint64_t> frames;  // end right after this many presents
    LineSink* log = nullptr;              // not owned; null writes no log
    std::string dumpDir;                  // empty: no picture files
};

// The name of the n-th picture of a --dump folder: 000000.png, 000001.png, ...
std::string DumpPictureName(std::uint64_t n);
// Whether a file name is one that a --dump folder's pictures take.
bool IsDumpPictureName(std::string_view name);

class HeadlessPlatform : public JournalHost {
public:
    explicit HeadlessPlatform(HeadlessOptions options);

    // A failure to write a picture file, empty if none.
    const std::string& DumpError() const { return dumpError_; }

protected:
    // Writes the picture's file (with --dump); ends the run after the last
    // present of --frames.
    void Show(const Picture& picture, const Palette& palette, PictureKind kind) override;
    // The script is all the input there is: once it is delivered, a wait ends
    // the run.
    void AwaitInput() override;
    std::uint32_t LiveSeconds() override { return clock_; }

private:
    std::uint32_t clock_;
    std::optional<std::uint64_t> frames_;
    std::string dumpDir_;
    std::uint64_t pictures_ = 0;
    std::string dumpError_;
};

}  // namespace platform
