// SPDX-License-Identifier: MIT
// run_log.cpp -- formatting of the run log's lines.
#include "platform/journal/run_log.h"

#include <zlib.h>

#include <cinttypes>
#include <cstdarg>
#include <cstdio>

namespace platform {

std::uint32_t PictureCrc(const Picture& picture) {
    uLong crc = crc32(0L, Z_NULL, 0);
    for (int y = 0; y < kScreenHeight; ++y) {
        crc = crc32(crc, picture.pixels + static_cast<std::ptrdiff_t>(y) * picture.pitch,
                    kScreenWidth);
    }
    return static_cast<std::uint32_t>(crc);
}

std::uint32_t PaletteCrc(const Palette& palette) {
    std::uint8_t bytes[256 * 3];
    for (std::size_t i = 0; i < palette.size(); ++i) {
        bytes[i * 3] = palette[i].red;
        bytes[i * 3 + 1] = palette[i].green;
        bytes[i * 3 + 2] = palette[i].blue;
    }
    return static_cast<std::uint32_t>(crc32(crc32(0L, Z_NULL, 0), bytes, sizeof bytes));
}

const char* EndReasonName(EndReason reason) {
    switch (reason) {
        case EndReason::Quit:
            return "quit";
        case EndReason::Script:
            return "script";
        case EndReason::Frames:
            return "frames";
        case EndReason::Close:
            return "close";
    }
    return "quit";
}

void RunLog::Line(const char* format, ...) {
    char line[128];
    std::va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (length > 0) out_->Write(std::string_view(line, static_cast<std::size_t>(length)));
}

void RunLog::Picture(std::uint64_t time, PictureKind kind, const platform::Picture& picture,
                     const Palette& palette) {
    if (out_ == nullptr) return;
    Line("%" PRIu64 " %s %08" PRIx32 " %08" PRIx32 "\n", time,
         kind == PictureKind::Present ? "present" : "primary", PictureCrc(picture),
         PaletteCrc(palette));
}

void RunLog::PlayCue(std::uint64_t time, Cue cue) {
    if (out_ != nullptr) Line("%" PRIu64 " sound play %d\n", time, CueNumber(cue));
}

void RunLog::LoopCue(std::uint64_t time, Cue cue) {
    if (out_ != nullptr) Line("%" PRIu64 " sound loop %d\n", time, CueNumber(cue));
}

void RunLog::StopSound(std::uint64_t time) {
    if (out_ != nullptr) Line("%" PRIu64 " sound stop\n", time);
}

void RunLog::Reseed(std::uint64_t time, std::uint32_t seconds) {
    if (out_ != nullptr) Line("%" PRIu64 " reseed %" PRIu32 "\n", time, seconds);
}

void RunLog::End(std::uint64_t time, EndReason reason) {
    if (out_ != nullptr) Line("%" PRIu64 " end %s\n", time, EndReasonName(reason));
}

}  // namespace platform
