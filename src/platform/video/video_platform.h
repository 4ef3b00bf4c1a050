// SPDX-License-Identifier: MIT
// video_platform.h -- a run rendered into a video: the headless run's frames
// as the player saw them, one video frame for each frame of the run's time,
// shaped as a screenshot is, and what the voice was told, for the sound track.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/seam/platform.h"
#include "platform/common/script.h"
#include "platform/journal/journal_host.h"
#include "platform/video/sound_track.h"
#include "platform/window/picture_scale.h"

namespace platform {

// Where a video's frames go: the encoder, or a test's memory. A sink that
// cannot take more throws (OutputFailed) and the run stops there.
class VideoSink {
public:
    virtual ~VideoSink() = default;
    // One frame: rows of the video's width, each pixel 0x00RRGGBB.
    virtual void Frame(std::span<const std::uint32_t> pixels) = 0;
};

struct VideoOptions {
    Script script;
    std::uint32_t clock = 0;  // what reseeds read beyond the script's reseed lines
    // The frames of the run's time in the video: [from, to). Frame f of the
    // run holds what the player saw from f / fps seconds on.
    std::uint64_t from = 0;
    std::uint64_t to = 0;
    int scale = 2;              // 320 * scale pixels wide
    bool aspect = true;         // 240 * scale high (4:3), else 200 * scale (square pixels)
    VideoSink* sink = nullptr;  // not owned; null: no pictures, the voice's calls only
};

// The video's picture: 320 * scale wide, 240 or 200 * scale high.
ScreenRect VideoPictureSize(int scale, bool aspect);

// The program's own recordings of its cues, as the voices play them.
CueWaves BuiltInWaves();

class VideoPlatform final : public JournalHost {
public:
    explicit VideoPlatform(VideoOptions options);

    // The run has ended: the frames still to come up to the last one hold
    // its last picture.
    void Finish();
    // What the voice was told, frame by frame, for the video's sound track.
    const std::vector<VoiceCall>& VoiceCalls() const { return calls_; }

private:
    // A present is what the player sees from the start of the frame it
    // ends (its time less one), a picture drawn straight into the screen
    // from the frame it is drawn in.
    void Show(const Picture& picture, const Palette& palette, PictureKind kind) override;
    void AwaitInput() override;
    void Sound(Cue cue, bool loop) override;
    void Silence() override;
    std::uint32_t LiveSeconds() override { return clock_; }

    // Hands the frames before frame to the sink.
    void WriteFramesUntil(std::uint64_t frame);

    std::uint32_t clock_;
    std::uint64_t from_;
    std::uint64_t to_;
    VideoSink* sink_;
    std::vector<VoiceCall> calls_;
    PictureScaler scaler_;
    PackedPalette packed_{};
    Palette palette_{};
    bool drawn_ = false;                 // a picture is in frame_
    std::vector<std::uint8_t> picture_;  // the last picture drawn, 320x200
    std::vector<std::uint32_t> frame_;   // the video's picture
    std::uint64_t written_ = 0;          // frames of the run handed on (or passed over before from)
};

}  // namespace platform
