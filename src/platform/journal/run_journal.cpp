// SPDX-License-Identifier: MIT
// run_journal.cpp -- the run's time, log and recording kept together.
#include "platform/journal/run_journal.h"

#include <utility>

namespace platform {

RunJournal::RunJournal(JournalOptions options)
    : log_(options.log),
      recorder_(options.record),
      replayReseeds_(std::move(options.replay.reseeds)) {
    for (const InputEvent& event : options.replay.events) timeline_.Enqueue(event);
    if (recorder_.IsOpen()) {
        timeline_.OnDelivery([this](const InputEvent& event) { recorder_.Event(event); });
    }
}

std::uint64_t RunJournal::BeginLiveWait() {
    timeline_.AdvanceTo(timeline_.Now() + 1);
    return timeline_.Now();
}

void RunJournal::Picture(const platform::Picture& picture, const Palette& palette,
                         PictureKind kind) {
    if (kind == PictureKind::Present) {
        timeline_.OnPresent();
        ++presents_;
    }
    log_.Picture(timeline_.Now(), kind, picture, palette);
}

void RunJournal::PlayCue(Cue cue) {
    log_.PlayCue(timeline_.Now(), cue);
}

void RunJournal::LoopCue(Cue cue) {
    log_.LoopCue(timeline_.Now(), cue);
}

void RunJournal::StopSound() {
    log_.StopSound(timeline_.Now());
}

std::uint32_t RunJournal::Reseed(std::uint32_t live) {
    const std::uint32_t seconds =
        nextReseed_ < replayReseeds_.size() ? replayReseeds_[nextReseed_++] : live;
    log_.Reseed(timeline_.Now(), seconds);
    recorder_.Reseed(seconds);
    return seconds;
}

void RunJournal::Finish(EndReason reason) {
    log_.End(timeline_.Now(), reason);
}

}  // namespace platform
