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

#include "core/seam/platform.h"
#include "platform/common/line_sink.h"
#include "platform/journal/journal_host.h"
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

// What a soak went through, over its program runs.
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

// What lasts for the whole soak, over its program runs: the player, the
// counts, the score's rows, and the latest program run's script and length.
class Soak {
public:
    explicit Soak(const SoakOptions& options) : options_(options), player_(options.seed) {}

    SoakStats Stats() const;
    // Presents of the latest program run.
    std::uint64_t RunFrames() const { return runFrames_; }
    // The latest program run's keys and reseeds as a key script.
    std::string RunScript() const { return script_ ? script_->Text() : std::string(); }

private:
    friend class SoakPlatform;

    // A program run starts: its script, begun with a comment naming it.
    platform::LineSink* BeginRun();

    SoakOptions options_;
    players::RandomPlayer player_;
    SoakStats stats_;
    ScoreWatch scoreWatch_;
    std::unique_ptr<platform::MemoryLines> script_;
    std::uint64_t runFrames_ = 0;
};

// One program run of a soak, from its start to "QUIT" or the soak's end; its
// journal records the run's keys and reseeds into the soak's script.
class SoakPlatform final : public platform::JournalHost {
public:
    // The next program run of soak.
    explicit SoakPlatform(Soak& soak);

    // The program made on this platform, to watch from its start; not owned.
    void Watch(ft::Program& program) { program_ = &program; }

private:
    void Show(const platform::Picture& picture, const platform::Palette& palette,
              platform::PictureKind kind) override;
    void TakeInput(std::uint64_t time) override;
    void AwaitInput() override;
    void Sound(platform::Cue cue, bool loop) override;
    std::uint32_t LiveSeconds() override { return soak_.player_.Seconds(); }

    void Arm();
    void Check(ScoreMoment moment);
    [[noreturn]] void Fail(const std::string& what) const;
    void OnPlay(platform::Cue cue);
    void OnLoop(platform::Cue cue);

    Soak& soak_;
    ft::Program* program_ = nullptr;
    std::vector<platform::InputEvent> planned_;
    std::uint64_t waitsSincePicture_ = 0;
    bool armed_ = false;  // the padding holds the canary
    bool inGame_ = false;
    bool gameOverSeen_ = false;  // in the running game
    bool infoShown_ = false;
    // The options as the menu last showed them; none before the first menu.
    std::optional<bool> scrolling_;
    std::optional<bool> showNext_;
};

// Runs programs, one after another as each chooses "QUIT", each on a platform
// of its own, until the soak's frame limit. Returns an empty string, or what
// went wrong and where.
std::string RunSoak(Soak& soak);

}  // namespace soak
