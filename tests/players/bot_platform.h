// SPDX-License-Identifier: MIT
// bot_platform.h -- the platform the session bot plays on: a journal as the
// headless platform keeps one, with the bot in place of the script. The
// reseeds read fixed values, one more each time, so that a replay of the
// bot's keys needs no clock.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/seam/platform.h"
#include "platform/journal/journal_host.h"
#include "session_bot.h"

namespace ft {
struct Program;
}

namespace players {

class BotPlatform final : public platform::JournalHost {
public:
    // Ends the run with Frames once its time passes maxTime; log may be null.
    BotPlatform(Bot& bot, std::uint32_t firstSeed, std::uint64_t maxTime, platform::LineSink* log)
        : JournalHost({log, nullptr, {}}), bot_(bot), firstSeed_(firstSeed), maxTime_(maxTime) {}

    // The program is made on this platform, so it comes second.
    void Attach(const ft::Program& program) { program_ = &program; }

    std::size_t Reseeds() const { return reseeds_; }
    // Every key event the bot sent, in order: the script's events.
    const std::vector<platform::InputEvent>& Recorded() const { return recorded_; }

private:
    // The cues tell the bot where the game is; the reseeds read fixed values.
    void Sound(platform::Cue cue, bool loop) override;
    void Silence() override;
    std::uint32_t LiveSeconds() override {
        return firstSeed_ + static_cast<std::uint32_t>(reseeds_++);
    }
    // The bot answers at every delivery point.
    void Show(const platform::Picture& picture, const platform::Palette& palette,
              platform::PictureKind kind) override;
    void TakeInput(std::uint64_t time) override;
    void AwaitInput() override;

    // The key events that take the held keys to what the decision holds and
    // taps, due at time.
    void Emit(std::uint64_t time, const Decision& decision);

    Bot& bot_;
    const ft::Program* program_ = nullptr;
    std::uint32_t firstSeed_;
    std::uint64_t maxTime_;
    std::size_t reseeds_ = 0;
    std::array<bool, platform::kKeyCount> held_{};
    std::vector<platform::InputEvent> recorded_;
};

// The whole program as the entry point runs it, to its end, with the log's
// last line written.
platform::EndReason RunToEnd(ft::Program& program, platform::JournalHost& host);

}  // namespace players
