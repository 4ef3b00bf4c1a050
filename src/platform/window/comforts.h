// SPDX-License-Identifier: MIT
// comforts.h -- the comfort keys of the players' platforms and the
// bookkeeping behind them that is the same on every system: what each key
// does, the sound level the volume keys set, the time a pause keeps out of a
// live wait. Each platform maps its own keys and calls onto these.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/window/settings.h"

namespace platform {

// The comforts, by key.
enum class Comfort : std::uint8_t { Pause, Mute, Louder, Quieter, Screenshot, Readout };

// What a key keeps for the platform (key_names.h), by its name in the table.
std::optional<Comfort> ComfortOfKey(std::string_view keyName);

// The volume and mute as the player sets them with M and the volume keys.
class SoundLevel {
public:
    SoundLevel(int volume, bool mute);

    // M or a volume key; the other comforts change nothing here.
    void Use(Comfort comfort);
    // What the voice plays at, 0 to 100: 0 while muted.
    int Level() const { return mute_ ? 0 : volume_; }
    // What the player is told of it for a moment: "VOLUME 50", "SOUND OFF".
    std::string Note() const;
    // What the player changed during the run, for the settings file.
    void AddChanges(SettingsChanges& changes) const;

private:
    int volume_;
    bool mute_;
    bool volumeChanged_ = false;
    bool muteChanged_ = false;
};

// What one press (or auto-repeat) of a comfort key asks of the platform. The
// volume and the mute are taken into the level at once; an auto-repeat steps
// the volume again but pauses, mutes or takes a picture only once.
struct ComfortRequest {
    bool pause = false;         // pause, or resume
    bool levelChanged = false;  // the voice plays at level.Level() from now on
    bool screenshot = false;    // save the picture on the screen
    bool readout = false;       // show the frame-time readout, or take it away
};
ComfortRequest AskOfComfort(Comfort comfort, bool repeat, SoundLevel& level);

// PCM samples at a level, 0 to 100 per cent of their amplitude, from one
// buffer into another of the same size: 16-bit samples are signed, low byte
// first; 8-bit ones unsigned around 128.
void LevelSamples(std::span<const std::uint8_t> from, int bitsPerSample, int percent,
                  std::span<std::uint8_t> to);

// The run's time at which input arriving during a live wait is stamped: the
// wait began at start, and framesWaited frame periods (the paused ones left
// out) passed since; a key takes one frame at least to arrive.
std::uint64_t LiveWaitStamp(std::uint64_t start, std::uint64_t framesWaited);

}  // namespace platform
