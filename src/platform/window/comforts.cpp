// SPDX-License-Identifier: MIT
// comforts.cpp -- the comfort keys and the sound level.
#include "platform/window/comforts.h"

#include <algorithm>

#include "platform/window/key_names.h"

namespace platform {

namespace {

// How far one press of a volume key moves the volume.
constexpr int kVolumeStep = 10;

}  // namespace

std::optional<Comfort> ComfortOfKey(std::string_view keyName) {
    const std::optional<std::string_view> what = ComfortOf(keyName);
    if (!what) return std::nullopt;
    if (*what == "pause") return Comfort::Pause;
    if (*what == "mute") return Comfort::Mute;
    if (*what == "volume up") return Comfort::Louder;
    if (*what == "volume down") return Comfort::Quieter;
    if (*what == "screenshot") return Comfort::Screenshot;
    if (*what == "frame-time readout") return Comfort::Readout;
    return std::nullopt;
}

SoundLevel::SoundLevel(int volume, bool mute) : volume_(std::clamp(volume, 0, 100)), mute_(mute) {}

ComfortRequest AskOfComfort(Comfort comfort, bool repeat, SoundLevel& level) {
    ComfortRequest request;
    switch (comfort) {
        case Comfort::Pause:
            request.pause = !repeat;
            break;
        case Comfort::Mute:
        case Comfort::Louder:
        case Comfort::Quieter:
            if (repeat && comfort == Comfort::Mute) break;
            level.Use(comfort);
            request.levelChanged = true;
            break;
        case Comfort::Screenshot:
            request.screenshot = !repeat;
            break;
        case Comfort::Readout:
            request.readout = !repeat;
            break;
    }
    return request;
}

void SoundLevel::Use(Comfort comfort) {
    switch (comfort) {
        case Comfort::Mute:
            mute_ = !mute_;
            muteChanged_ = true;
            break;
        case Comfort::Louder:
        case Comfort::Quieter:
            volume_ = std::clamp(
                volume_ + (comfort == Comfort::Louder ? kVolumeStep : -kVolumeStep), 0, 100);
            volumeChanged_ = true;
            // A volume key unmutes, as players expect of one.
            if (mute_) muteChanged_ = true;
            mute_ = false;
            break;
        case Comfort::Pause:
        case Comfort::Screenshot:
        case Comfort::Readout:
            break;
    }
}

std::string SoundLevel::Note() const {
    return mute_ ? "SOUND OFF" : "VOLUME " + std::to_string(volume_);
}

void SoundLevel::AddChanges(SettingsChanges& changes) const {
    if (volumeChanged_) changes.volume = volume_;
    if (muteChanged_) changes.mute = mute_;
}

void LevelSamples(std::span<const std::uint8_t> from, int bitsPerSample, int percent,
                  std::span<std::uint8_t> to) {
    const std::size_t size = std::min(from.size(), to.size());
    if (bitsPerSample == 16) {
        for (std::size_t i = 0; i + 1 < size; i += 2) {
            const auto sample = static_cast<std::int16_t>(from[i] | from[i + 1] << 8);
            const auto levelled = static_cast<std::uint16_t>(sample * percent / 100);
            to[i] = static_cast<std::uint8_t>(levelled & 0xFF);
            to[i + 1] = static_cast<std::uint8_t>(levelled >> 8);
        }
    } else {
        for (std::size_t i = 0; i < size; ++i) {
            to[i] = static_cast<std::uint8_t>(128 + (from[i] - 128) * percent / 100);
        }
    }
}

std::uint64_t LiveWaitStamp(std::uint64_t start, std::uint64_t framesWaited) {
    return start + (framesWaited > 1 ? framesWaited - 1 : 0);
}

}  // namespace platform
