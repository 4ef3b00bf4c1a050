// SPDX-License-Identifier: MIT
// soak_platform.h -- the platform of soak runs: the real program on random
// keys from the player, every picture checked against the game's invariants,
// counts of what the run went through, and the current program run's input
// kept as a key script that fompy-talden --headless replays.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/journal/run_journal.h"
#include "platform/common/line_sink.h"
#include "core/seam/platform.h"
#include "random_player.h"
#include "soak_checks.h"

namespace ft {
struct Program;
}

namespace soak {

struct SoakOptions {
    std::uint64_t seed = 1;
    std::uint64_t frames = 30000;  // presents over all program runs; the soak ends at the last
    std::uint64_t progress = 0;    // presents between progress lines on standard error; 0: none
};

// What a soak went through. Lives for the whole soak, over program runs.
struct SoakStats {
    std::uint64_t frames = 0;  // presents
    std::uint64_t runs = 0;    // program starts: the first, and one after each "QUIT"
    std::uint64_t gamesA = 0;
    std::uint64_t gamesB = 0;
    std::uint64_t gameOvers = 0;
    std::uint64_t gamesLeft = 0;  // left with Escape
    std::uint64_t infoScreens = 0;
    std::uint64_t scrollingSwitches = 0;
    std::uint64_t showNextSwitches = 0;
    std::uint32_t startLevels = 0;  // bit n set: a game started on level n
    std::int32_t maxLevel = 0;      // the highest level a game reached
    std::int64_t landingRows = 0;   // rows cleared by landings
    std::int64_t fourRowClears = 0;
    std::int64_t rubbleRows = 0;  // full rubble rows cleared before "GAME B"
};

// Thrown by the platform, out of the program, when an invariant breaks.
struct InvariantBroken {
    std::string what;
};

class SoakPlatform : public platform::Platform {
public:
    explicit SoakPlatform(const SoakOptions& options);

    // Watches a fresh program from its start until EndRun; not owned.
    void BeginRun(ft::Program& program);
    void EndRun();

    void ShowPicture(const platform::Picture& picture, const platform::Palette& palette,
                     platform::PictureKind kind) override;
    void DeliverDueInput(platform::KeyState& keys) override;
    void WaitForInput(platform::KeyState& keys) override;
    void PlayCue(platform::Cue cue) override;
    void LoopCue(platform::Cue cue) override;
    void StopSound() override { journal_->StopSound(); }
    std::uint32_t CalendarSeconds() override;

    const SoakStats& Stats() const { return stats_; }
    // Presents of the current program run.
    std::uint64_t RunFrames() const { return runFrames_; }
    // The current program run's keys and reseeds as a key script.
    std::string RunScript() const;

private:
    void Arm();
    void Check(ScoreMoment moment);
    [[noreturn]] void Fail(const std::string& what) const;
    void Deliver(platform::InputEvent event, std::uint64_t time);

    SoakOptions options_;
    RandomPlayer player_;
    SoakStats stats_;
    ScoreWatch scoreWatch_;
    std::vector<platform::InputEvent> planned_;
    // Reset by BeginRun. The journal records the run's keys and reseeds.
    ft::Program* program_ = nullptr;
    std::unique_ptr<platform::MemoryLines> script_;
    std::optional<platform::RunJournal> journal_;
    std::uint64_t runFrames_ = 0;
    std::uint64_t waitsSincePicture_ = 0;
    bool armed_ = false;  // the padding holds the canary
    bool inGame_ = false;
    bool gameOverSeen_ = false;  // in the running game
    bool infoShown_ = false;
    // The options as the menu last showed them; none before the first menu.
    std::optional<bool> scrolling_;
    std::optional<bool> showNext_;
};

// Runs programs on host, one after another as each chooses "QUIT", until the
// frame limit. Returns an empty string, or what went wrong and where.
std::string RunSoak(SoakPlatform& host);

}  // namespace soak
