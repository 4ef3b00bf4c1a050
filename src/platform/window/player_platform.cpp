// SPDX-License-Identifier: MIT
// player_platform.cpp -- the players' platforms' common ground.
#include "platform/window/player_platform.h"

#include <ctime>

namespace platform {

PlayerPlatform::PlayerPlatform(const WindowOptions& options)
    : journal_(JournalOptions{options.log, options.record, options.playback.value_or(Script{})}),
      level_(options.volume, options.mute),
      keys_(options.keys),
      autopause_(options.autopause),
      playback_(options.playback.has_value()) {}

void PlayerPlatform::UseComfort(Comfort comfort, bool repeat) {
    const ComfortRequest asked = AskOfComfort(comfort, repeat, level_);
    if (asked.pause) pauseRequested_ = true;
    if (asked.levelChanged) UseSoundLevel();
    if (asked.screenshot) SaveScreenshotNow();
}

SettingsChanges PlayerPlatform::Changes() const {
    SettingsChanges changes;
    windowAtStart_.AddChanges(IsFullscreen(), WindowedSize(), changes);
    level_.AddChanges(changes);
    return changes;
}

void PlayerPlatform::PlayCue(Cue cue) {
    journal_.PlayCue(cue);
    Sound(cue, false);
}

void PlayerPlatform::LoopCue(Cue cue) {
    journal_.LoopCue(cue);
    Sound(cue, true);
}

void PlayerPlatform::StopSound() {
    journal_.StopSound();
    Silence();
}

std::uint32_t PlayerPlatform::CalendarSeconds() {
    return journal_.Reseed(static_cast<std::uint32_t>(std::time(nullptr)));
}

bool PlayerPlatform::Close(std::uint64_t time) {
    if (playback_) {
        StopPlayback(EndReason::Close);
        return false;
    }
    journal_.Input().Enqueue(InputEvent{time, InputEvent::Kind::Close, Key::Enter});
    return true;
}

void PlayerPlatform::WaitInPlayback() {
    if (!journal_.Input().HasPending()) throw RunEnded{EndReason::Script};
    const std::uint64_t due = journal_.Input().Pending().front().time;
    for (std::uint64_t t = journal_.Input().Now(); t < due; ++t) {
        LookAround(journal_.Input().Now());
        EndPlaybackIfStopped();
        WaitForFrame();
    }
}

}  // namespace platform
