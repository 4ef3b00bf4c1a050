// SPDX-License-Identifier: MIT
// present_schedule.h -- which of the game's frames the display shows at each
// of its refreshes. The game finishes its frames by its own clock (the frame
// schedule), whatever the display does; at a refresh the display shows the
// newest frame finished by then, never one older than it showed before, and
// keeps the one it has when none is new. A 60 Hz display under a 70 Hz game
// thus never shows one frame in seven; a 140 Hz display holds each frame two
// refreshes.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace platform {

// A mailbox of one between the game and the presenter: the newest frame
// posted waits there until a refresh takes it, and a frame posted after it
// takes its place. Frames are the game's, numbered upwards; not safe between
// threads by itself (the presenter holds its lock around it).
class FrameMailbox {
public:
    // The game finished frame (a number above every one posted before).
    void Post(std::uint64_t frame);
    // At a refresh: the frame to show, the newest posted, or nothing when it
    // was taken already and the screen keeps what it shows.
    std::optional<std::uint64_t> Take();
    bool HasNew() const { return waiting_.has_value(); }

private:
    std::optional<std::uint64_t> waiting_;  // posted, not yet taken
    std::optional<std::uint64_t> taken_;    // the last one taken
};

// For each refresh (its time, in order), the index into finished of the frame
// it shows, or nothing before the first frame has finished. finished holds the
// game's frame finishing times in order; a frame finished at a refresh's own
// time is shown by it. Both in ticks of one clock.
std::vector<std::optional<std::size_t>> ShownAtRefreshes(std::span<const std::int64_t> finished,
                                                         std::span<const std::int64_t> refreshes);

}  // namespace platform
