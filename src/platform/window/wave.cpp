// SPDX-License-Identifier: MIT
// wave.cpp -- a RIFF WAVE file's format and samples, by walking its chunks.
#include "platform/window/wave.h"

#include <cstring>
#include <string>

#include "platform/common/warning.h"

namespace platform {

namespace {

constexpr std::uint16_t kPcm = 1;

std::uint32_t Read32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint16_t Read16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

}  // namespace

std::optional<Wave> ReadWave(std::span<const std::uint8_t> file) {
    if (file.size() < 12 || std::memcmp(file.data(), "RIFF", 4) != 0 ||
        std::memcmp(file.data() + 8, "WAVE", 4) != 0) {
        return std::nullopt;
    }
    std::optional<Wave> wave;
    std::size_t at = 12;
    while (file.size() - at >= 8) {
        const std::uint8_t* chunk = file.data() + at;
        const std::size_t size = Read32(chunk + 4);
        if (size > file.size() - at - 8) return std::nullopt;  // cut short
        if (std::memcmp(chunk, "fmt ", 4) == 0 && size >= 16) {
            Wave format;
            format.channels = Read16(chunk + 10);
            format.rate = static_cast<int>(Read32(chunk + 12) & 0x7FFFFFFF);
            format.bitsPerSample = Read16(chunk + 22);
            const bool playable = Read16(chunk + 8) == kPcm && format.channels > 0 &&
                                  format.rate > 0 &&
                                  (format.bitsPerSample == 8 || format.bitsPerSample == 16);
            wave = playable ? std::optional<Wave>(format) : std::nullopt;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!wave) return std::nullopt;  // samples of no known format
            const auto frame = static_cast<std::size_t>(wave->FrameBytes());
            wave->samples = file.subspan(at + 8, size - size % frame);
            return wave;
        }
        // Chunks are padded to an even length.
        const std::size_t next = 8 + size + (size & 1);
        if (next > file.size() - at) break;
        at += next;
    }
    return std::nullopt;
}

void WarnNoSound(std::string_view why) {
    Warn("no sound: " + std::string(why) + "; playing silently");
}

void WarnSoundUnplayable(int cue, std::string_view why) {
    Warn("sound " + std::to_string(cue) + " cannot be played: " + std::string(why) +
         "; it stays silent");
}

}  // namespace platform
