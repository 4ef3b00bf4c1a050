// SPDX-License-Identifier: MIT
// win32_sound.h -- the single voice of the Windows platform: the five wave
// recordings played, looped and stopped on the wave-out device, each in its
// own format. Used only inside platform/win32.
#pragma once

#include <windows.h>
// After windows.h, whose types it uses.
#include <mmsystem.h>

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/seam/platform.h"
#include "platform/window/player_backend.h"

namespace platform::win32 {

class Voice final : public PlayerVoice {
public:
    // Without sound no device is ever opened.
    explicit Voice(bool sound) : tried_(!sound) {}
    Voice(const Voice&) = delete;
    Voice& operator=(const Voice&) = delete;
    ~Voice();

    // Starts the recording of a cue from its first sample, silencing whatever
    // plays; loops it until stopped when loop is true. Never blocks on the
    // sound: the device plays from the program's own copy of the recording.
    // The device is looked for at the first cue rather than at start-up, so
    // that the first picture does not wait for it.
    void Play(Cue cue, bool loop) override;
    void Stop() override;

    // The level the cues play at, 0 to 100 (the amplitude in per cent),
    // taking effect at once, on the cue playing too.
    void SetVolume(int percent) override;
    // Paused, the cue playing waits where it is.
    void SetPaused(bool paused) override;

private:
    // Finds the recordings and a device. Returns why there is no sound (the
    // voice then stays silent), or an empty string.
    std::string Open();

    struct Recording {
        WAVEFORMATEX format{};
        std::span<const std::uint8_t> samples;  // empty: a silent cue
    };

    void Close();
    // The samples of the cue playing at the volume, into the device's copy.
    void Level();

    bool tried_ = false;         // the device was looked for (or is not wanted)
    bool open_ = false;          // Open found a device
    bool deviceFailed_ = false;  // a device refused a format; said once
    HWAVEOUT device_ = nullptr;  // opened in deviceFormat_
    WAVEFORMATEX deviceFormat_{};
    WAVEHDR header_{};
    bool queued_ = false;                  // header_ is prepared and written
    std::array<Recording, 5> recordings_;  // in the order of kAllCues
    int volume_ = 100;
    bool paused_ = false;
    const Recording* playing_ = nullptr;  // the recording queued
    std::vector<std::uint8_t> levelled_;  // its samples at the volume, which the device reads
};

}  // namespace platform::win32
