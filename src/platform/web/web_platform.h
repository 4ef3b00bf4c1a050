// SPDX-License-Identifier: MIT
// web_platform.h -- the browser's platform: the picture in the page's canvas,
// the seven keys from the page's keyboard, touch controls and gamepads, the
// single voice through Web Audio, frames paced on the browser's clock. The
// game's blocking loops run as they are: each wait sleeps in the browser's
// event loop (Asyncify). The page's comforts (pause, volume, screenshots) live
// in the page; a pause holds the program between two frames.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/seam/platform.h"
#include "platform/journal/journal_host.h"
#include "platform/window/frame_schedule.h"
#include "platform/window/pad_keys.h"

namespace platform {

struct WebOptions {
    int fps = 70;         // frames presented per second
    bool record = false;  // keep the delivered keys as a headless script, and the run log
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
    // After a present: sleeps until the next slot of the frame schedule.
    void WaitForNextSlot();

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
};

}  // namespace platform
