// SPDX-License-Identifier: MIT
// run_journal.h -- what every platform keeps of a run, in one place: the
// run's virtual time and the delivery of its input, the run log, the
// recording of the delivered input and reseeds, the reseeds a replay takes
// from its script, and the run's last line. A platform holds one and adds
// only what is its own: pictures on a screen, keys, sound, the clock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "core/seam/platform.h"
#include "platform/common/script.h"
#include "platform/journal/input_timeline.h"
#include "platform/journal/run_log.h"

namespace platform {

struct JournalOptions {
    // Not owned; null writes nothing.
    LineSink* log = nullptr;     // the run log
    LineSink* record = nullptr;  // the delivered input and the reseeds, as a script
    // Input replayed: its events are queued for delivery, and its reseed
    // values are taken in order before the live clock's.
    Script replay;
};

class RunJournal {
public:
    explicit RunJournal(JournalOptions options = {});
    RunJournal(const RunJournal&) = delete;
    RunJournal& operator=(const RunJournal&) = delete;

    // The run's time T and its queue of input not yet delivered.
    InputTimeline& Input() { return timeline_; }
    const InputTimeline& Input() const { return timeline_; }
    std::uint64_t Now() const { return timeline_.Now(); }
    std::uint64_t Presents() const { return presents_; }

    // A live wait for input has begun: what arrives while it waits belongs
    // after every poll made so far, so that a replay delivers it at this same
    // wait. Returns the time to give that input.
    std::uint64_t BeginLiveWait();

    // A picture shown: a Present moves T on by one first. Logged.
    void Picture(const platform::Picture& picture, const Palette& palette, PictureKind kind);
    void PlayCue(Cue cue);
    void LoopCue(Cue cue);
    void StopSound();
    // A reseed: the replay's next value while it has one, else live. Logged
    // and recorded; returns the value taken.
    std::uint32_t Reseed(std::uint32_t live);
    // The log's last line.
    void Finish(EndReason reason);

private:
    InputTimeline timeline_;
    RunLog log_;
    ScriptRecorder recorder_;
    std::vector<std::uint32_t> replayReseeds_;
    std::size_t nextReseed_ = 0;
    std::uint64_t presents_ = 0;
};

}  // namespace platform
