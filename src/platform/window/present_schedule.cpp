// SPDX-License-Identifier: MIT
// present_schedule.cpp -- the newest finished frame at each refresh.
#include "platform/window/present_schedule.h"

#include <cassert>

namespace platform {

void FrameMailbox::Post(std::uint64_t frame) {
    assert(!waiting_ || frame > *waiting_);
    assert(!taken_ || frame > *taken_);
    waiting_ = frame;  // an older one still waiting is never shown
}

std::optional<std::uint64_t> FrameMailbox::Take() {
    if (!waiting_) return std::nullopt;
    taken_ = waiting_;
    waiting_.reset();
    return taken_;
}

std::vector<std::optional<std::size_t>> ShownAtRefreshes(std::span<const std::int64_t> finished,
                                                         std::span<const std::int64_t> refreshes) {
    std::vector<std::optional<std::size_t>> shown;
    shown.reserve(refreshes.size());
    FrameMailbox mailbox;
    std::size_t next = 0;  // the first frame not yet posted
    std::optional<std::size_t> onScreen;
    for (const std::int64_t refresh : refreshes) {
        while (next < finished.size() && finished[next] <= refresh) mailbox.Post(next++);
        if (const std::optional<std::uint64_t> frame = mailbox.Take()) {
            onScreen = static_cast<std::size_t>(*frame);
        }
        shown.push_back(onScreen);
    }
    return shown;
}

}  // namespace platform
