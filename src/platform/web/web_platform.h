// SPDX-License-Identifier: MIT
// web_platform.h -- the browser's platform: the picture in the page's canvas,
// the seven keys from the page's keyboard, touch controls and gamepads, the
// single voice through Web Audio, frames paced on the browser's clock. The
// game's blocking loops run as they are: each wait sleeps in the browser's
// event loop (Asyncify). The page's comforts (pause, volume, screenshots) live
// in the page; a pause holds the program between two frames. A recording the
// page hands over plays instead of the player, at the speed the page's keys
// choose, as the desktop's playback does.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/seam/platform.h"
#include "platform/journal/journal_host.h"
#include "platform/window/frame_schedule.h"
#include "platform/window/held_picture.h"
#include "platform/window/pad_keys.h"
#include "platform/window/window_platform.h"

namespace platform {

struct WebOptions {
    int fps = 70;      // frames presented per second
    bool log = false;  // hand the run log to the page
    // A recording played instead of the player, at the player's pace, and
    // the one game of it watched; a live run hands its recording to the
    // page to keep.
    std::optional<Script> playback;
    std::optional<WindowOptions::WatchSpan> watch;
};

class WebPlatform final : public JournalHost {
public:
    // Takes the canvas, the keyboard and the five recordings.
    explicit WebPlatform(const WebOptions& options);
    ~WebPlatform() override;
    WebPlatform(const WebPlatform&) = delete;
    WebPlatform& operator=(const WebPlatform&) = delete;

    // Writes the run log's last line and tells the page that the run is over.
    void Finish(EndReason reason);
    // A playback that ends before the program does: the run is finished
    // and the program sleeps for ever (the page drops it).
    [[noreturn]] void EndPlayback(EndReason reason);

private:
    // The picture into the canvas; after a present, a sleep until the next
    // slot of the frame schedule.
    void Show(const Picture& picture, const Palette& palette, PictureKind kind) override;
    void TakeInput(std::uint64_t time) override { AbsorbPageKeys(time); }
    // Sleeps in the browser's event loop until the page has a key event.
    void AwaitInput() override;
    void Sound(Cue cue, bool loop) override;
    void Silence() override;

    // Queues the key changes the page's events make as input due at time.
    // True when there was any.
    bool AbsorbPageKeys(std::uint64_t time);
    // After a present: sleeps until the next slot of the frame schedule
    // (after a picture unshown, only when the slot is some way off).
    void WaitForNextSlot(bool unshown);
    // A playback's wait: as many frames as the recorded player took.
    void WaitInPlayback();
    // The speed the page asks for; the schedule follows it.
    void FollowSpeed();
    // Converts the picture for the canvas and shows it there.
    void Draw(const Picture& picture, const Palette& palette, bool present);
    // Above the normal speed pictures go unshown; the last one is kept
    // (heldPicture_) to be shown when the playback stands still, slows down
    // or ends.
    void ShowHeldPicture();
    // Before the watched game, the recording plays unseen; after it, its
    // last picture stays a moment and the show ends.
    bool Unseen() const { return watch_ && Now() < watch_->from; }
    [[noreturn]] void EndWatch();

    // The last picture through its palette: 4 bytes a pixel, red, green, blue, alpha.
    std::vector<std::uint8_t> rgba_;
    // The palette the colour table was made from, and that table (each entry
    // 4 bytes in canvas order).
    Palette palette_{};
    std::array<std::uint32_t, 256> colours_{};
    bool coloursMade_ = false;

    // The frame schedule on the browser's clock, in millionths of a frame,
    // so that the period is 1000 / fps milliseconds with nothing dropped.
    FrameSchedule::Tick ticksPerMillisecond_;
    FrameSchedule schedule_;

    // Which keyboard keys, touch controls and gamepad controls hold which keys.
    HeldKeys held_;

    // A playback: its speed (an index into PlayerPlatform::kSpeeds), the
    // frames it presented, the unseen frames run since the page last had
    // its turn, and the picture held while pictures go unshown.
    bool playback_;
    int fps_;
    std::optional<WindowOptions::WatchSpan> watch_;
    int speed_;
    std::uint64_t presented_ = 0;
    std::uint32_t unseenFrames_ = 0;
    HeldPicture heldPicture_;
};

}  // namespace platform
