// SPDX-License-Identifier: MIT
// journal_host.cpp -- the delivery points, once.
#include "platform/journal/journal_host.h"

#include <ctime>

namespace platform {

void JournalHost::ShowPicture(const Picture& picture, const Palette& palette, PictureKind kind) {
    journal_.Picture(picture, palette, kind);
    Show(picture, palette, kind);
}

void JournalHost::DeliverDueInput(KeyState& keys) {
    if (!journal_.Input().IsDeliveryDue()) return;
    TakeInput(journal_.Now());
    journal_.Input().DeliverAtPoll(keys);
}

void JournalHost::WaitForInput(KeyState& keys) {
    AwaitInput();
    journal_.Input().DeliverAtWait(keys);
}

void JournalHost::PlayCue(Cue cue) {
    journal_.PlayCue(cue);
    Sound(cue, false);
}

void JournalHost::LoopCue(Cue cue) {
    journal_.LoopCue(cue);
    Sound(cue, true);
}

void JournalHost::StopSound() {
    journal_.StopSound();
    Silence();
}

std::uint32_t JournalHost::CalendarSeconds() {
    return journal_.Reseed(LiveSeconds());
}

std::uint32_t JournalHost::LiveSeconds() {
    return static_cast<std::uint32_t>(std::time(nullptr));
}

}  // namespace platform
