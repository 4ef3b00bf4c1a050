// SPDX-License-Identifier: MIT
// player_platform.h -- what the desktop's and the Windows platforms do alike
// around their own system calls: the run's journal and the cues told to it,
// the clock's reseeds, a playback shown at the player's pace and how it
// ends, a close request, and what the player changed for the settings file.
// So that the two cannot come to end a run differently.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>

#include "platform/window/comforts.h"
#include "platform/window/settings.h"
#include "platform/window/window_platform.h"

namespace platform {

class PlayerPlatform : public WindowPlatform {
public:
    RunJournal& Journal() final { return journal_; }
    SettingsChanges Changes() const final;

    // Told to the journal, then to the platform's voice.
    void PlayCue(Cue cue) final;
    void LoopCue(Cue cue) final;
    void StopSound() final;

    std::uint32_t CalendarSeconds() final;

protected:
    explicit PlayerPlatform(const WindowOptions& options);

    // The platform's voice: a cue from its first sample, looped or not;
    // silence.
    virtual void Sound(Cue cue, bool loop) = 0;
    virtual void Silence() = 0;
    // The platform's window now: fullscreen or not, its size as a window.
    virtual bool IsFullscreen() const = 0;
    virtual std::pair<int, int> WindowedSize() const = 0;
    // One look at the window's events, as input due at time.
    virtual void LookAround(std::uint64_t time) = 0;
    // Sleeps until the next frame is due.
    virtual void WaitForFrame() = 0;
    // The sound level changed: the voice plays at level_.Level() from now
    // on, and the window shows level_.Note() for a moment.
    virtual void UseSoundLevel() = 0;
    // F12: the picture on the screen saved as a file, said in one line.
    virtual void SaveScreenshotNow() = 0;

    // A comfort key went down (or repeats): a pause asked for, the sound
    // level, a screenshot.
    void UseComfort(Comfort comfort, bool repeat);

    // Once the window is open: how the player started, for Changes().
    void NoteWindowAtStart(bool fullscreen) { windowAtStart_ = {fullscreen, WindowedSize()}; }

    bool IsPlayback() const { return playback_; }
    // Escape (Quit) or a close request (Close) during a playback ends the
    // show at the next delivery point; the first reason counts.
    void StopPlayback(EndReason why) {
        if (!playbackStop_) playbackStop_ = why;
    }
    void EndPlaybackIfStopped() const {
        if (playbackStop_) throw RunEnded{*playbackStop_};
    }
    // A close request (the window's close button, the window manager, a
    // signal), due at time: the game's input, or the end of a playback.
    // True when it is the game's.
    bool Close(std::uint64_t time);

    // A wait during a playback: the recorded player took (next event's time
    // - now) frames to act, so the wait lasts that long in real time; the
    // window stays live and Escape ends the show. With nothing left to play,
    // the show is over.
    void WaitInPlayback();

    RunJournal journal_;
    SoundLevel level_;
    KeyBindings keys_;
    bool autopause_ = true;        // the window losing the keyboard pauses the game
    bool pauseRequested_ = false;  // to pause as soon as the event at hand is taken

private:
    bool playback_ = false;  // a recorded script stands in for the player
    std::optional<EndReason> playbackStop_;
    WindowAtStart windowAtStart_;
};

}  // namespace platform
