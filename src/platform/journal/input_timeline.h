// SPDX-License-Identifier: MIT
// input_timeline.h -- the run's virtual time and the delivery of timed input
// events, shared by every platform: a live run, its recording and its replay
// deliver the same events at the same key polls.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>

#include "core/seam/platform.h"
#include "platform/common/script.h"

namespace platform {

// Applies one event to the keyboard: a down sets held and pressed (a down of a
// key already held is an auto-repeat and sets pressed again), an up clears held.
void ApplyInputEvent(KeyState& keys, const InputEvent& event);

// Virtual time T (starts at 0, +1 per present) and the queue of events not yet
// delivered, in delivery order.
class InputTimeline {
public:
    std::uint64_t Now() const { return now_; }
    bool HasPending() const { return !pending_.empty(); }
    // True until the first poll after the latest present (and before the
    // run's first poll): that poll is delivery point 1.
    bool IsDeliveryDue() const { return deliveryDue_; }
    const std::deque<InputEvent>& Pending() const { return pending_; }

    void Enqueue(const InputEvent& event) { pending_.push_back(event); }

    // A present: T moves on by one and the next poll is a delivery point.
    void OnPresent() {
        ++now_;
        deliveryDue_ = true;
    }

    // Delivery point 1: on the first poll of the run and the first poll after
    // each present, delivers every pending event due by now. Returns how many.
    int DeliverAtPoll(KeyState& keys);

    // Delivery point 2: moves T forward to the next pending event (if later)
    // and delivers every event due by then. Returns how many; 0 when nothing
    // is pending.
    int DeliverAtWait(KeyState& keys);

    // Called with every event as it is delivered, in delivery order: how a
    // run is recorded, through the very code that delivers a replay.
    void OnDelivery(std::function<void(const InputEvent&)> observer) {
        observer_ = std::move(observer);
    }

    // Moves T forward (never back); used by live platforms whose input arrives
    // while a wait loop waits.
    void AdvanceTo(std::uint64_t time) {
        if (time > now_) now_ = time;
    }

private:
    int DeliverDue(KeyState& keys);

    std::uint64_t now_ = 0;
    bool deliveryDue_ = true;
    std::deque<InputEvent> pending_;
    std::function<void(const InputEvent&)> observer_;
};

}  // namespace platform
