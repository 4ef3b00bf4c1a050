// web_platform.h -- the browser's platform: the picture in the page's canvas,
// the seven keys from the page's keyboard events, the single voice through
// Web Audio, frames paced on the browser's clock. The game's blocking loops
// run as they are: each wait sleeps in the browser's event loop (Asyncify).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/input_events.h"
#include "platform/platform.h"
#include "platform/run_log.h"

namespace platform {

struct WebOptions {
    int fps = 70;         // frames presented per second
    bool record = false;  // keep the delivered keys as a headless script, and the run log
};

class WebPlatform final : public Platform {
public:
    // Takes the canvas, the keyboard and the five recordings.
    explicit WebPlatform(const WebOptions& options);
    ~WebPlatform() override;
    WebPlatform(const WebPlatform&) = delete;
    WebPlatform& operator=(const WebPlatform&) = delete;

    void ShowPicture(const Picture& picture, const ft::Palette& palette, PictureKind kind) override;
    void DeliverDueInput(KeyState& keys) override;
    void WaitForInput(KeyState& keys) override;
    void PlayCue(int resource) override;
    void LoopCue(int resource) override;
    void StopSound() override;
    std::uint32_t CalendarSeconds() override;

    // Writes the run log's last line and tells the page that the run is over.
    void Finish(EndReason reason);

private:
    // Queues the key events the page has gathered as input due at time, and
    // records them. True when there was any.
    bool AbsorbPageKeys(std::uint64_t time);
    // After a present: sleeps until the next slot of the frame schedule.
    void WaitForNextSlot();
    // Hands what the log stream gained since the last call to the page.
    void SendLog();
    // Appends one line to the recorded script.
    void Record(const char* line, int length);

    InputTimeline timeline_;
    // The last picture through its palette: 4 bytes a pixel, red, green, blue, alpha.
    std::vector<std::uint8_t> rgba_;
    // The palette the colour table was made from, and that table (each entry
    // 4 bytes in canvas order).
    ft::Palette palette_{};
    std::array<std::uint32_t, 256> colours_{};
    bool coloursMade_ = false;

    // The frame schedule, in milliseconds of the browser's clock.
    double framePeriod_;
    double nextSlot_ = 0.0;
    bool scheduleStarted_ = false;

    // Only with WebOptions::record: the run log, written into memory and
    // passed on to the page line by line.
    bool record_;
    char* logBuffer_ = nullptr;
    std::size_t logSize_ = 0;
    std::size_t logSent_ = 0;
    std::FILE* logStream_ = nullptr;
    RunLog log_{nullptr};
};

}  // namespace platform
