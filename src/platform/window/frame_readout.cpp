// SPDX-License-Identifier: MIT
// frame_readout.cpp -- the readout's figures and the frame log's lines.
#include "platform/window/frame_readout.h"

#include <algorithm>
#include <cstdio>

namespace platform {

FrameTimes::FrameTimes(std::int64_t ticksPerSecond) : ticksPerSecond_(ticksPerSecond) {}

void FrameTimes::Finished(std::int64_t tick) {
    times_.push_back(tick);
    // One frame older than a second stays: the first interval of the second
    // starts there.
    while (times_.size() > 2 && times_[1] <= tick - ticksPerSecond_) times_.pop_front();
}

int FrameTimes::FramesPerSecond(std::int64_t now) const {
    return static_cast<int>(std::count_if(times_.begin(), times_.end(), [&](std::int64_t t) {
        return t > now - ticksPerSecond_ && t <= now;
    }));
}

namespace {

// The longest interval ending after from, in milliseconds.
double WorstOf(const std::deque<std::int64_t>& times, std::int64_t from, std::int64_t ticks) {
    std::int64_t worst = 0;
    for (std::size_t k = 1; k < times.size(); ++k) {
        if (times[k] > from) worst = std::max(worst, times[k] - times[k - 1]);
    }
    return ticks > 0 ? static_cast<double>(worst) * 1000.0 / static_cast<double>(ticks) : 0.0;
}

}  // namespace

double FrameTimes::WorstIntervalMs(std::int64_t now) const {
    return WorstOf(times_, now - ticksPerSecond_, ticksPerSecond_);
}

std::string ReadoutLine(int framesPerSecond, int refreshHz, double worstIntervalMs) {
    char line[64];
    const std::string hz = refreshHz > 0 ? std::to_string(refreshHz) : std::string("--");
    std::snprintf(line, sizeof line, "%d FPS %s HZ %.1f MS", framesPerSecond, hz.c_str(),
                  worstIntervalMs);
    return line;
}

std::int64_t MicrosecondsOf(std::int64_t tick, std::int64_t start, std::int64_t ticksPerSecond) {
    if (ticksPerSecond <= 0) return 0;
    const std::int64_t since = tick - start;
    // Whole seconds apart from the rest, so that a clock of nanoseconds does
    // not overflow in the multiplication.
    return since / ticksPerSecond * 1'000'000 + since % ticksPerSecond * 1'000'000 / ticksPerSecond;
}

std::string FrameLogLine(std::uint64_t frame, std::int64_t finishedUs, std::int64_t presentedUs) {
    return std::to_string(frame) + ' ' + std::to_string(finishedUs) + ' ' +
           std::to_string(presentedUs) + '\n';
}

}  // namespace platform
