// SPDX-License-Identifier: MIT
// run_log.h -- the run's observable events, one text line each: pictures (as
// CRC-32s of their pixels and palette), sound operations, reseeds and the end.
// Tests, replays and outside checkers compare these logs byte for byte.
#pragma once

#include <cstdint>
#include <cstdio>

#include "core/seam/platform.h"
#include "platform/common/line_sink.h"

namespace platform {

// CRC-32 (zlib's) of the 64000 visible bytes, 320 per row, without padding.
std::uint32_t PictureCrc(const Picture& picture);
// CRC-32 of the 768 bytes red, green, blue of entries 0 to 255.
std::uint32_t PaletteCrc(const Palette& palette);

const char* EndReasonName(EndReason reason);

// Writes log lines to a sink it does not own; a null sink writes nothing.
class RunLog {
public:
    explicit RunLog(LineSink* out) : out_(out) {}
    bool IsOpen() const { return out_ != nullptr; }

    void Picture(std::uint64_t time, PictureKind kind, const platform::Picture& picture,
                 const Palette& palette);
    void PlayCue(std::uint64_t time, Cue cue);
    void LoopCue(std::uint64_t time, Cue cue);
    void StopSound(std::uint64_t time);
    void Reseed(std::uint64_t time, std::uint32_t seconds);
    void End(std::uint64_t time, EndReason reason);

private:
    void Line(const char* format, ...) __attribute__((format(printf, 2, 3)));

    LineSink* out_;
};

}  // namespace platform
