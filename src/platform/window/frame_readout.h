// SPDX-License-Identifier: MIT
// frame_readout.h -- the frame-time readout that F10 shows over the picture:
// the game's frames per second, the display's refresh rate and the worst
// interval between two of the game's frames in the last second, worked out
// once for every backend. Also the lines of --frame-log.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

namespace platform {

// The times the game's last frames finished, in ticks of the backend's clock.
class FrameTimes {
public:
    explicit FrameTimes(std::int64_t ticksPerSecond);

    // A frame of the game finished at tick (no earlier than the one before).
    void Finished(std::int64_t tick);
    // The frames finished in the second up to now.
    int FramesPerSecond(std::int64_t now) const;
    // The longest interval, in milliseconds, between a frame finished in the
    // second up to now and the frame before it; 0 with fewer than two frames.
    double WorstIntervalMs(std::int64_t now) const;
    // The next frame has no frame before it (after a pause, whose time is no
    // frame interval).
    void Restart() { times_.clear(); }

private:
    std::int64_t ticksPerSecond_;
    std::deque<std::int64_t> times_;  // the last second's frames and the one before them
};

// What the readout says: "70 FPS 60 HZ 14.3 MS"; a display that does not
// tell its rate reads "-- HZ".
std::string ReadoutLine(int framesPerSecond, int refreshHz, double worstIntervalMs);

// The microseconds from start to tick on a clock of ticksPerSecond ticks.
std::int64_t MicrosecondsOf(std::int64_t tick, std::int64_t start, std::int64_t ticksPerSecond);

// The first line of a frame log, and one line per picture shown: the game's
// frame, when the game finished it and when the display had it (microseconds
// on the program's clock).
inline constexpr const char* kFrameLogHeader = "# GAME_FRAME FINISHED_US PRESENTED_US\n";
std::string FrameLogLine(std::uint64_t frame, std::int64_t finishedUs, std::int64_t presentedUs);

}  // namespace platform
