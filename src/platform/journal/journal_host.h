// SPDX-License-Identifier: MIT
// journal_host.h -- the delivery points kept once for every platform: a
// picture logged before it is shown, the input due at a poll taken and
// delivered, a wait that delivers what comes, the cues and reseeds told to
// the journal. A platform derives from JournalHost and adds only its own
// work through the hooks below: a screen, its keys, a voice, a clock.
#pragma once

#include <cstdint>
#include <utility>

#include "core/seam/platform.h"
#include "platform/common/script.h"
#include "platform/journal/run_journal.h"

namespace platform {

class JournalHost : public Platform {
public:
    RunJournal& Journal() { return journal_; }
    const RunJournal& Journal() const { return journal_; }
    std::uint64_t Now() const { return journal_.Now(); }
    std::uint64_t Presents() const { return journal_.Presents(); }

    // The picture is logged (a Present moves the run's time on first), then
    // shown.
    void ShowPicture(const Picture& picture, const Palette& palette, PictureKind kind) final;
    // At delivery point 1 the platform's input due now is taken, then
    // everything due is delivered; other polls do nothing.
    void DeliverDueInput(KeyState& keys) final;
    // Delivery point 2: the platform waits for input (or ends the run), then
    // the first input pending and all due with it are delivered.
    void WaitForInput(KeyState& keys) final;
    void PlayCue(Cue cue) final;
    void LoopCue(Cue cue) final;
    void StopSound() final;
    // A reseed: the replay's next value while it has one, else the
    // platform's clock.
    std::uint32_t CalendarSeconds() final;

protected:
    explicit JournalHost(JournalOptions options) : journal_(std::move(options)) {}

    // A picture the journal has logged, for the platform to show.
    virtual void Show(const Picture& /*picture*/, const Palette& /*palette*/,
                      PictureKind /*kind*/) {}
    // Delivery point 1 has come at time: the platform's input due then goes
    // onto the journal.
    virtual void TakeInput(std::uint64_t /*time*/) {}
    // A wait loop found nothing: the platform puts input on the journal,
    // waiting for it as long as it must, or ends the run (RunEnded).
    virtual void AwaitInput() = 0;
    // The journal has told of a cue (looped or not), or of silence.
    virtual void Sound(Cue /*cue*/, bool /*loop*/) {}
    virtual void Silence() {}
    // What a reseed reads when the replay has no value left: the calendar
    // time in whole seconds.
    virtual std::uint32_t LiveSeconds();

    // Input for the game, due at its time.
    void Enqueue(const InputEvent& event) { journal_.Input().Enqueue(event); }
    // Whether any input is waiting for its delivery point.
    bool InputPending() const { return journal_.Input().HasPending(); }

private:
    RunJournal journal_;
};

}  // namespace platform
