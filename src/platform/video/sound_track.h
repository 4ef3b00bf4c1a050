// SPDX-License-Identifier: MIT
// sound_track.h -- a video's sound: the cues of a run mixed into samples,
// each from the sample at which its frame played it, as the single voice of
// the window platforms plays them: a new cue silences the one playing and
// starts from its first sample, a looped cue goes on without a seam until
// another cue or a stop, and the volume scales every sample.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/seam/platform.h"
#include "platform/window/wave.h"

namespace platform {

struct SoundTrackFormat {
    int fps = 70;      // frames of the run a second: frame f starts at f / fps seconds
    int rate = 44100;  // samples a second, each a left and a right one
    int volume = 100;  // 0 (silent) to 100 (the recordings as they are)
};

// The cues' recordings in the order of kAllCues; a missing one is a silent cue.
using CueWaves = std::array<std::optional<Wave>, kAllCues.size()>;

// What the voice was told at a frame of the run: a cue, looped or not, or
// to stop (no cue).
struct VoiceCall {
    std::uint64_t frame = 0;
    std::optional<Cue> cue;
    bool loop = false;
    friend bool operator==(const VoiceCall&, const VoiceCall&) = default;
};

class SoundTrack {
public:
    SoundTrack(const CueWaves& waves, SoundTrackFormat format);

    // The first sample of frame f: f * rate / fps, rounded down.
    std::uint64_t FirstSampleOf(std::uint64_t frame) const;

    // What the voice was told at a frame, in the order the run told it,
    // the frames never going back. What played before plays to that frame.
    void Play(std::uint64_t frame, Cue cue, bool loop);
    void Stop(std::uint64_t frame);

    // Appends the samples of the frames before frame not yet handed out,
    // left and right in turn, 16-bit signed.
    void MixUntil(std::uint64_t frame, std::vector<std::int16_t>& out);

private:
    // Mixes the samples before sample until into out.
    void Mix(std::uint64_t until, std::vector<std::int16_t>& out);
    // The cue's sample (left or right) at output sample n of its playing:
    // the recording resampled linearly to the track's rate.
    std::int32_t SampleAt(const Wave& wave, std::uint64_t n, int channel) const;

    CueWaves waves_;
    SoundTrackFormat format_;
    std::uint64_t mixed_ = 0;         // samples mixed so far
    std::vector<std::int16_t> held_;  // mixed before a cue, not yet handed out
    // The cue playing: its recording (null: silence), from which sample.
    const Wave* playing_ = nullptr;
    bool loop_ = false;
    std::uint64_t start_ = 0;
};

// The sound of frames [from, to) of a run whose voice was told calls (in
// the order told), a piece at a time: what plays at from began as it did in
// the run.
class RunSound {
public:
    RunSound(const CueWaves& waves, SoundTrackFormat format, std::vector<VoiceCall> calls,
             std::uint64_t from, std::uint64_t to);

    // Appends the sound of the next frames, at most frames of them; false
    // when there are none left.
    bool Next(std::vector<std::int16_t>& out, std::uint64_t frames);

private:
    SoundTrack track_;
    std::vector<VoiceCall> calls_;
    std::size_t told_ = 0;  // calls told to the track
    std::uint64_t at_;      // the next frame to mix
    std::uint64_t to_;
};

}  // namespace platform
