// SPDX-License-Identifier: MIT
// video_platform.cpp -- the run's pictures and cues, frame by frame, into a
// video sink.
#include "platform/video/video_platform.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/window/wave.h"
#include "resources/wave_resources.h"

namespace platform {

namespace {

constexpr int kPictureBytes = kScreenWidth * kScreenHeight;

}  // namespace

ScreenRect VideoPictureSize(int scale, bool aspect) {
    return ScreenRect{0, 0, kScreenWidth * scale, (aspect ? 240 : kScreenHeight) * scale};
}

CueWaves BuiltInWaves() {
    CueWaves waves;
    for (std::size_t i = 0; i < kAllCues.size(); ++i) {
        waves[i] = ReadWave(ft::WaveResource(CueNumber(kAllCues[i])));
        if (!waves[i])
            WarnSoundUnplayable(CueNumber(kAllCues[i]), "not a wave recording of 8- or 16-bit PCM");
    }
    return waves;
}

VideoPlatform::VideoPlatform(VideoOptions options)
    : JournalHost(JournalOptions{nullptr, nullptr, std::move(options.script)}),
      clock_(options.clock),
      from_(options.from),
      to_(std::max(options.to, options.from + 1)),
      sink_(options.sink) {
    const ScreenRect size = VideoPictureSize(options.scale, options.aspect);
    scaler_.SetTarget(size);
    // Black until the first picture, as the screen is.
    frame_.assign(static_cast<std::size_t>(size.width) * static_cast<std::size_t>(size.height), 0);
    picture_.assign(kPictureBytes, 0);
}

void VideoPlatform::Show(const Picture& picture, const Palette& palette, PictureKind kind) {
    const std::uint64_t frame = kind == PictureKind::Present ? Now() - 1 : Now();
    // The frames up to this one hold what was drawn before it.
    WriteFramesUntil(std::min(frame, to_));
    if (frame >= to_) throw RunEnded{EndReason::Frames};
    if (sink_ == nullptr) return;
    // Only what changed is drawn again, unless the colours did.
    const Picture last{picture_.data(), kScreenWidth};
    ScreenRect area{0, 0, kScreenWidth, kScreenHeight};
    if (drawn_ && palette == palette_) {
        area = ChangedArea(last, picture);
    } else {
        palette_ = palette;
        packed_ = PackPalette(palette, PixelLayout{});
    }
    drawn_ = true;
    if (area.IsEmpty()) return;
    const int pitch = scaler_.Target().width * static_cast<int>(sizeof(std::uint32_t));
    scaler_.Draw(picture, packed_, area, frame_.data(), pitch);
    for (int y = area.y; y < area.y + area.height; ++y) {
        std::memcpy(picture_.data() + static_cast<std::ptrdiff_t>(y) * kScreenWidth + area.x,
                    picture.pixels + static_cast<std::ptrdiff_t>(y) * picture.pitch + area.x,
                    static_cast<std::size_t>(area.width));
    }
}

void VideoPlatform::AwaitInput() {
    // The recording is all the input there is; the frames of a wait pass as
    // its next input is delivered.
    if (!InputPending()) throw RunEnded{EndReason::Script};
}

void VideoPlatform::Sound(Cue cue, bool loop) {
    if (Now() < to_) calls_.push_back(VoiceCall{Now(), cue, loop});
}

void VideoPlatform::Silence() {
    if (Now() < to_) calls_.push_back(VoiceCall{Now(), std::nullopt, false});
}

void VideoPlatform::Finish() {
    WriteFramesUntil(to_);
}

void VideoPlatform::WriteFramesUntil(std::uint64_t frame) {
    if (sink_ == nullptr) return;
    for (; written_ < frame; ++written_) {
        if (written_ >= from_) sink_->Frame(frame_);
    }
}

}  // namespace platform
