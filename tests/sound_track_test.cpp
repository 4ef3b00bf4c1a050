// SPDX-License-Identifier: MIT
// sound_track_test.cpp -- a video's sound as the single voice plays it: each
// cue from the sample of its frame, a new cue cutting the one playing, loops
// without a seam, stops, the volume, recordings of other rates and formats,
// and a track that begins inside a run.
#include "platform/video/sound_track.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using platform::Cue;
using platform::CueWaves;
using platform::RunSound;
using platform::SoundTrack;
using platform::SoundTrackFormat;
using platform::VoiceCall;
using platform::Wave;

// The slot of a cue in CueWaves.
constexpr std::size_t kGameStart = 1;
constexpr std::size_t kLanding = 3;
constexpr std::size_t kMenuTune = 4;

// A mono 16-bit recording at the track's rate whose samples are 1000, 2000, ...
struct Counting {
    explicit Counting(int count, int rate = 100) {
        for (int i = 1; i <= count; ++i) {
            const auto value = static_cast<std::uint16_t>(i * 1000);
            bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
            bytes.push_back(static_cast<std::uint8_t>(value >> 8));
        }
        wave = Wave{1, rate, 16, bytes};
    }
    std::vector<std::uint8_t> bytes;
    Wave wave;
};

// The left samples of a stereo track.
std::vector<int> Left(const std::vector<std::int16_t>& track) {
    std::vector<int> left;
    for (std::size_t i = 0; i < track.size(); i += 2) left.push_back(track[i]);
    return left;
}

TEST(SoundTrack, EachCueFromItsFramesSampleCutByTheNextAndLoopedWithoutASeam) {
    // 100 samples a second at 30 frames a second: frame f starts at
    // sample f * 100 / 30, rounded down (0, 3, 6, 10, 13, ...).
    const Counting landing(4);
    const Counting tune(3);
    CueWaves waves;
    waves[kLanding] = landing.wave;
    waves[kMenuTune] = tune.wave;
    SoundTrack track(waves, SoundTrackFormat{30, 100, 100});
    EXPECT_EQ(track.FirstSampleOf(3), 10U);
    EXPECT_EQ(track.FirstSampleOf(4), 13U);

    std::vector<std::int16_t> out;
    track.Play(1, Cue::Landing, false);  // sample 3: plays out, then silence
    track.Play(3, Cue::MenuTune, true);  // sample 10: loops
    track.Play(5, Cue::Landing, false);  // sample 16: cuts the tune, from its first sample
    track.MixUntil(6, out);              // to sample 20
    track.Stop(6);
    track.Play(7, Cue::GameStart, false);  // a cue without a recording is silence
    track.MixUntil(8, out);                // to sample 26
    const std::vector<int> expected = {0,    0,    0,    1000, 2000, 3000,
                                       4000, 0,    0,    0,                 // frames 0 to 2
                                       1000, 2000, 3000, 1000, 2000, 3000,  // the tune, twice round
                                       1000, 2000, 3000, 4000,              // the landing again
                                       0,    0,    0,    0,    0,    0};    // stopped, then nothing
    EXPECT_EQ(Left(out), expected);
    for (std::size_t i = 0; i < out.size(); i += 2) EXPECT_EQ(out[i], out[i + 1]) << i;
}

TEST(SoundTrack, OtherRatesAndFormatsVolumeAndATrackThatBeginsInsideTheRun) {
    // An 8-bit stereo recording at half the track's rate: unsigned around
    // 128, each side its own, every other sample halfway to the next.
    const std::vector<std::uint8_t> bytes = {128 + 10, 128 - 10, 128 + 20, 128 - 20};
    CueWaves waves;
    waves[kGameStart] = Wave{2, 50, 8, bytes};
    SoundTrack track(waves, SoundTrackFormat{10, 100, 50});
    std::vector<std::int16_t> out;
    track.Play(0, Cue::GameStart, false);
    track.MixUntil(1, out);  // ten samples, at half the volume
    const std::vector<std::int16_t> expected = {
        1280, -1280, 1920, -1920, 2560, -2560, 2560, -2560, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(out, expected);

    // A track from frame 2 of a run whose looped tune began at frame 1:
    // the tune is where the run had it at frame 2, and the track ends at
    // frame 4 whatever comes after.
    const Counting tune(3);
    CueWaves looped;
    looped[kMenuTune] = tune.wave;
    RunSound sound(looped, SoundTrackFormat{50, 100, 100},
                   {VoiceCall{1, Cue::MenuTune, true}, VoiceCall{4, std::nullopt, false}}, 2, 4);
    std::vector<std::int16_t> piece;
    ASSERT_TRUE(sound.Next(piece, 1));
    ASSERT_TRUE(sound.Next(piece, 5));
    EXPECT_EQ(Left(piece), (std::vector<int>{3000, 1000, 2000, 3000}));
    EXPECT_FALSE(sound.Next(piece, 1));
}

}  // namespace
