// SPDX-License-Identifier: MIT
// frame_schedule.h -- the steady rate at which the desktop, Windows and the
// page present their frames, reckoned in the ticks of a clock each platform
// reads for itself; the platform does the waiting.
#pragma once

#include <cstdint>

namespace platform {

// After each present the platform waits until the time Next gives, the next
// slot of the schedule. The slots stay a period apart however late a wait
// ends, so a late wake-up shortens the next wait instead of delaying every
// frame after it; a present more than a period late starts the schedule anew
// instead of racing to catch up.
class FrameSchedule {
public:
    using Tick = std::int64_t;

    // A clock of ticksPerSecond ticks and a period of ticksPerSecond / fps of
    // them, the remainder dropped; an fps below 1 is taken as 1.
    FrameSchedule(Tick ticksPerSecond, int fps);

    // For the present at now: when its wait ends. Before now, or at it, when
    // the present came late but within a period: then there is no wait.
    Tick Next(Tick now);
    // The next present starts the schedule anew.
    void Restart() { started_ = false; }
    // Whole periods from since to now; 0 when now is not after since, or when
    // the clock is too coarse for a period of one tick.
    std::uint64_t FramesSince(Tick now, Tick since) const;

private:
    Tick period_;        // ticks per frame
    Tick nextSlot_ = 0;  // when the next wait ends
    bool started_ = false;
};

}  // namespace platform
