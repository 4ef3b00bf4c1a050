// SPDX-License-Identifier: MIT
// player_backend.h -- what a window system gives the players' platform: its
// news (keys, the window, the pads) translated into names and flags, and a
// few calls (pump the native queue, sleep, the clock, show a picture, the
// voice). The decisions are PlayerPlatform's; a backend only translates.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/seam/platform.h"
#include "platform/window/pad_keys.h"

namespace platform {

// A key message of the keyboard.
struct KeyNews {
    std::string_view name;     // as key_names.h spells it; empty for a key it lacks
    std::int32_t control = 0;  // which key it is, so that keys of one name are held apart
    bool down = false;         // down (or an auto-repeat), else let go
    bool repeat = false;       // an auto-repeat of a key held down
    bool alt = false;          // Alt is held
    bool numLock = false;      // Num Lock is on: the keypad's digits are digits
};

// What the window system says of the window and the pads' own keys.
enum class WindowNews : std::uint8_t {
    Close,      // the close button, the window manager, a signal, the display gone
    FocusLost,  // another window has the keyboard; the key-ups go there
    Minimised,
    PadPause,  // a pad's own pause button (Guide) went down
};

// Where a backend hands its news, one at a time and in order.
class NewsSink {
public:
    // True when the key was taken; false leaves it to the window system's
    // own handling (Alt+F4 on Windows).
    virtual bool OnKey(const KeyNews& key) = 0;
    virtual void OnWindow(WindowNews news) = 0;
    // A pad's button went down or up (pad: the pad's number, 0 or more).
    virtual void OnPadButton(std::int32_t pad, PadButton button, bool down) = 0;
    // A pad's left stick moved along one axis, to -32768 to 32767.
    virtual void OnPadStick(std::int32_t pad, bool across, int value) = 0;
    // A pad read as a whole, from its reading before (PadReading{} for a pad
    // just plugged in) to now.
    virtual void OnPadRead(std::int32_t pad, const PadReading& before, const PadReading& now) = 0;
    virtual void OnPadGone(std::int32_t pad) = 0;
    // A file dropped onto the window (its path).
    virtual void OnDrop(std::string path) = 0;

protected:
    ~NewsSink() = default;
};

// The window a backend shows the game in.
class PlayerScreen {
public:
    virtual void Show(const Picture& picture, const Palette& palette) = 0;
    virtual void ToggleFullscreen() = 0;
    virtual bool IsFullscreen() const = 0;
    virtual std::pair<int, int> WindowedSize() const = 0;
    // A word over the picture for a moment ("VOLUME 50"), milliseconds
    // long; a new one replaces it.
    virtual void ShowNote(std::string note, int milliseconds) = 0;
    // The game paused, or going on: the window says PAUSED, and under it
    // the hint, how to go on.
    virtual void SetPaused(bool paused, std::string_view hint) = 0;
    // A mark over the picture for as long as it is set ("REPLAY"); empty
    // for none.
    virtual void SetMark(std::string_view mark) = 0;
    // The picture on the screen and its palette, for a screenshot.
    virtual Picture Shown() const = 0;
    virtual const Palette& ShownPalette() const = 0;

    // The frame-time readout over the picture ("70 FPS 60 HZ 14.3 MS"), drawn
    // as the mark is, never into what Shown gives; empty for none.
    virtual void SetReadout(std::string_view /*line*/) {}
    // The display's refresh rate in Hz; 0 where it does not say.
    virtual int RefreshRate() const { return 0; }
    // A screen whose pictures reach the display later, on a thread of its own
    // at the display's refreshes, tells when: each picture that got there
    // since the last call, as its number among the calls of Show (from 1) and
    // the backend's tick then, oldest first; a picture overtaken by a newer
    // one before a refresh is never there. Any other screen has put the
    // picture there when Show returns.
    struct Presented {
        std::uint64_t shown = 0;
        std::int64_t tick = 0;
    };
    virtual bool PresentsLater() const { return false; }
    virtual std::vector<Presented> TakePresented() { return {}; }

protected:
    ~PlayerScreen() = default;
};

// The single voice: a cue from its first sample, looped or not; silence; the
// level, 0 to 100; a pause holding the cue where it is; a wait for a key
// beginning or ending (the sound device may rest once the cue has sounded
// out).
class PlayerVoice {
public:
    virtual void Play(Cue cue, bool loop) = 0;
    virtual void Stop() = 0;
    virtual void SetVolume(int percent) = 0;
    virtual void SetPaused(bool paused) = 0;
    virtual void SetWaiting(bool /*waiting*/) {}

protected:
    ~PlayerVoice() = default;
};

class PlayerBackend {
public:
    virtual ~PlayerBackend() = default;

    // Every native event waiting, translated and handed to news; the rest
    // (redraws, sound devices) the backend does itself.
    virtual void Pump(NewsSink& news) = 0;
    // Sleeps until a native event is waiting or the backend has something
    // else to look at (its pads); may end sooner.
    virtual void Sleep() = 0;

    // The clock, in ticks of TicksPerSecond(), and a sleep until a tick.
    virtual std::int64_t TicksPerSecond() const = 0;
    virtual std::int64_t Ticks() const = 0;
    virtual void SleepUntil(std::int64_t tick) = 0;

    virtual PlayerScreen& Screen() = 0;
    virtual const PlayerScreen& Screen() const = 0;
    virtual PlayerVoice& Voice() = 0;
    // The first picture is on the screen: what waited for it may start.
    virtual void FirstPictureShown() {}
    // Where the system keeps the player's pictures, and our folder in it;
    // empty when it does not say.
    virtual std::string PicturesFolder() const { return {}; }
};

}  // namespace platform
