// SPDX-License-Identifier: MIT
// sound_track.cpp -- the cues mixed sample by sample into a video's sound.
#include "platform/video/sound_track.h"

#include <algorithm>
#include <utility>

namespace platform {

namespace {

// Sample i of a channel of the recording, 16-bit signed: 8-bit samples are
// unsigned around 128. A mono recording plays on both sides.
std::int32_t RecordedSample(const Wave& wave, std::uint64_t i, int channel) {
    const int side = std::min(channel, wave.channels - 1);
    const std::uint8_t* at = wave.samples.data() +
                             i * static_cast<std::uint64_t>(wave.FrameBytes()) +
                             static_cast<std::size_t>(side) * (wave.bitsPerSample / 8);
    if (wave.bitsPerSample == 8) return (static_cast<std::int32_t>(at[0]) - 128) * 256;
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(at[0] | at[1] << 8));
}

std::uint64_t FramesOf(const Wave& wave) {
    return wave.samples.size() / static_cast<std::size_t>(wave.FrameBytes());
}

}  // namespace

SoundTrack::SoundTrack(const CueWaves& waves, SoundTrackFormat format)
    : waves_(waves), format_(format) {
    for (std::optional<Wave>& wave : waves_) {
        if (wave && FramesOf(*wave) == 0) wave.reset();  // nothing to play
    }
}

std::uint64_t SoundTrack::FirstSampleOf(std::uint64_t frame) const {
    return frame * static_cast<std::uint64_t>(format_.rate) /
           static_cast<std::uint64_t>(format_.fps);
}

void SoundTrack::Play(std::uint64_t frame, Cue cue, bool loop) {
    // What played before the cue plays to its frame.
    Mix(FirstSampleOf(frame), held_);
    playing_ = nullptr;
    for (std::size_t i = 0; i < kAllCues.size(); ++i) {
        if (kAllCues[i] == cue && waves_[i]) playing_ = &*waves_[i];
    }
    loop_ = loop;
    start_ = FirstSampleOf(frame);
}

void SoundTrack::Stop(std::uint64_t frame) {
    Mix(FirstSampleOf(frame), held_);
    playing_ = nullptr;
}

std::int32_t SoundTrack::SampleAt(const Wave& wave, std::uint64_t n, int channel) const {
    const std::uint64_t frames = FramesOf(wave);
    const auto rate = static_cast<std::uint64_t>(format_.rate);
    const std::uint64_t at = n * static_cast<std::uint64_t>(wave.rate);
    std::uint64_t i = at / rate;
    const auto part = static_cast<std::int64_t>(at % rate);
    if (loop_) i %= frames;
    const std::int32_t here = RecordedSample(wave, i, channel);
    if (part == 0) return here;
    // Between two recorded samples; after the last one of a loop comes its
    // first, after the last one of a cue nothing more.
    const std::uint64_t next = i + 1 < frames ? i + 1 : (loop_ ? 0 : i);
    const std::int32_t there = RecordedSample(wave, next, channel);
    return here +
           static_cast<std::int32_t>((there - here) * part / static_cast<std::int64_t>(rate));
}

void SoundTrack::MixUntil(std::uint64_t frame, std::vector<std::int16_t>& out) {
    out.insert(out.end(), held_.begin(), held_.end());
    held_.clear();
    Mix(FirstSampleOf(frame), out);
}

void SoundTrack::Mix(std::uint64_t until, std::vector<std::int16_t>& out) {
    if (until <= mixed_) return;
    out.reserve(out.size() + 2 * (until - mixed_));
    for (; mixed_ < until; ++mixed_) {
        std::int32_t left = 0;
        std::int32_t right = 0;
        if (playing_ != nullptr) {
            const std::uint64_t n = mixed_ - start_;
            // A cue played once is over after the output sample that shows
            // its last recorded one.
            const std::uint64_t length =
                (FramesOf(*playing_) * static_cast<std::uint64_t>(format_.rate) +
                 static_cast<std::uint64_t>(playing_->rate) - 1) /
                static_cast<std::uint64_t>(playing_->rate);
            if (!loop_ && n >= length) {
                playing_ = nullptr;
            } else {
                left = SampleAt(*playing_, n, 0) * format_.volume / 100;
                right = SampleAt(*playing_, n, 1) * format_.volume / 100;
            }
        }
        out.push_back(static_cast<std::int16_t>(left));
        out.push_back(static_cast<std::int16_t>(right));
    }
}

RunSound::RunSound(const CueWaves& waves, SoundTrackFormat format, std::vector<VoiceCall> calls,
                   std::uint64_t from, std::uint64_t to)
    : track_(waves, format), calls_(std::move(calls)), at_(from), to_(to) {
    // What played before the first frame is mixed and passed over.
    std::vector<std::int16_t> before;
    for (; told_ < calls_.size() && calls_[told_].frame < from; ++told_) {
        const VoiceCall& call = calls_[told_];
        if (call.cue) {
            track_.Play(call.frame, *call.cue, call.loop);
        } else {
            track_.Stop(call.frame);
        }
        before.clear();
        track_.MixUntil(call.frame, before);
    }
    track_.MixUntil(from, before);
}

bool RunSound::Next(std::vector<std::int16_t>& out, std::uint64_t frames) {
    if (at_ >= to_) return false;
    const std::uint64_t until = std::min(to_, at_ + std::max<std::uint64_t>(frames, 1));
    for (; told_ < calls_.size() && calls_[told_].frame < until; ++told_) {
        const VoiceCall& call = calls_[told_];
        if (call.cue) {
            track_.Play(call.frame, *call.cue, call.loop);
        } else {
            track_.Stop(call.frame);
        }
    }
    track_.MixUntil(until, out);
    at_ = until;
    return true;
}

}  // namespace platform
