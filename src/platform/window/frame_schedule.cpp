// SPDX-License-Identifier: MIT
// frame_schedule.cpp -- the slots a platform presents its frames at.
#include "platform/window/frame_schedule.h"

#include <algorithm>

namespace platform {

FrameSchedule::FrameSchedule(Tick ticksPerSecond, int fps)
    : period_(ticksPerSecond / std::max(fps, 1)) {}

FrameSchedule::Tick FrameSchedule::Next(Tick now) {
    if (!started_ || now > nextSlot_ + period_) nextSlot_ = now + period_;
    started_ = true;
    const Tick slot = nextSlot_;
    nextSlot_ += period_;
    return slot;
}

std::uint64_t FrameSchedule::FramesSince(Tick now, Tick since) const {
    if (period_ == 0 || now <= since) return 0;
    return static_cast<std::uint64_t>((now - since) / period_);
}

}  // namespace platform
