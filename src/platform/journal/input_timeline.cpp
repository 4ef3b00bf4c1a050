// SPDX-License-Identifier: MIT
// input_timeline.cpp -- delivery of timed input events at the delivery points.
#include "platform/journal/input_timeline.h"

namespace platform {

void ApplyInputEvent(KeyState& keys, const InputEvent& event) {
    const auto k = static_cast<std::size_t>(event.key);
    switch (event.kind) {
        case InputEvent::Kind::KeyDown:
            keys.held[k] = true;
            keys.pressed[k] = true;
            keys.anyDownDelivered = true;
            break;
        case InputEvent::Kind::KeyUp:
            keys.held[k] = false;
            break;
        case InputEvent::Kind::Close:
            keys.closePending = true;
            break;
    }
}

int InputTimeline::DeliverDue(KeyState& keys) {
    int delivered = 0;
    while (!pending_.empty() && pending_.front().time <= now_) {
        ApplyInputEvent(keys, pending_.front());
        if (observer_) observer_(pending_.front());
        pending_.pop_front();
        ++delivered;
    }
    return delivered;
}

int InputTimeline::DeliverAtPoll(KeyState& keys) {
    if (!deliveryDue_) return 0;
    deliveryDue_ = false;
    return DeliverDue(keys);
}

int InputTimeline::DeliverAtWait(KeyState& keys) {
    if (pending_.empty()) return 0;
    AdvanceTo(pending_.front().time);
    return DeliverDue(keys);
}

}  // namespace platform
