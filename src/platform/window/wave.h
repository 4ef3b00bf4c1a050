// SPDX-License-Identifier: MIT
// wave.h -- the recordings read where they lie: the format and the samples of
// a RIFF WAVE file holding PCM, without a copy. The sound of every window
// platform starts here.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace platform {

struct Wave {
    int channels = 0;
    int rate = 0;           // samples a second
    int bitsPerSample = 0;  // 8 (unsigned) or 16 (signed, little-endian)
    // Inside the file; whole frames (one sample of every channel) only.
    std::span<const std::uint8_t> samples;

    int FrameBytes() const { return bitsPerSample / 8 * channels; }
};

// The recording of a RIFF WAVE file of 8- or 16-bit PCM; the chunks after
// the samples play no part. Nothing when the file is not one.
std::optional<Wave> ReadWave(std::span<const std::uint8_t> file);

// What the voices say when the game goes on without a sound: no device at
// all (why), or one recording they cannot play (the cue's number, why).
void WarnNoSound(std::string_view why);
void WarnSoundUnplayable(int cue, std::string_view why);

}  // namespace platform
