// SPDX-License-Identifier: MIT
// soak_platform.cpp -- random keys in, every picture checked, the run counted
// and its input written down as a key script.
#include "soak_platform.h"

#include <algorithm>
#include <cstdio>

#include "core/program/program.h"

namespace soak {

namespace {

// Wait loops poll the keys again after each delivery; a healthy program shows a
// picture long before this many deliveries in a row.
constexpr std::uint64_t kMostWaitsWithoutPicture = 100000;

}  // namespace

SoakStats Soak::Stats() const {
    SoakStats stats = stats_;
    stats.landingRows = scoreWatch_.landingRows;
    stats.fourRowClears = scoreWatch_.fourRowClears;
    stats.rubbleRows = scoreWatch_.rubbleRows;
    return stats;
}

platform::LineSink* Soak::BeginRun() {
    script_ = std::make_unique<platform::MemoryLines>();
    script_->Write("# fompy-soak --seed " + std::to_string(options_.seed) + ", program run " +
                   std::to_string(stats_.runs + 1) + "\n");
    ++stats_.runs;
    runFrames_ = 0;
    scoreWatch_.last = 0;
    scoreWatch_.landingPending = false;
    scoreWatch_.gameOverPending = false;
    return script_.get();
}

SoakPlatform::SoakPlatform(Soak& soak)
    : JournalHost(platform::JournalOptions{nullptr, soak.BeginRun(), {}}), soak_(soak) {}

// The padding gets its canary once the display is open, before anything but
// the start-up's own drawing: until then it must still hold the 0 every
// surface starts with.
void SoakPlatform::Arm() {
    if (armed_ || program_ == nullptr || !program_->display.open) return;
    const std::string error = CheckPadding(program_->display, 0);
    if (!error.empty()) Fail("at start-up, " + error);
    FillPadding(program_->display, kPaddingCanary);
    armed_ = true;
}

void SoakPlatform::Fail(const std::string& what) const {
    throw InvariantBroken{what + " (frame " + std::to_string(soak_.stats_.frames) + ", frame " +
                          std::to_string(soak_.runFrames_) + " of program run " +
                          std::to_string(soak_.stats_.runs) + ")"};
}

void SoakPlatform::Check(ScoreMoment moment) {
    const ft::Program& program = *program_;
    std::string error = soak_.scoreWatch_.Look(program.score, moment, program.game.gameOver);
    if (error.empty() && moment == ScoreMoment::Picture) {
        error = CheckProgram(program, inGame_);
        if (error.empty()) error = CheckPadding(program.display, kPaddingCanary);
    }
    if (!error.empty()) Fail(error);
}

void SoakPlatform::Show(const platform::Picture& picture, const platform::Palette& /*palette*/,
                        platform::PictureKind kind) {
    Arm();
    SoakStats& stats = soak_.stats_;
    if (kind == platform::PictureKind::Present) {
        ++stats.frames;
        ++soak_.runFrames_;
    }
    waitsSincePicture_ = 0;
    if (picture.pixels != program_->display.primary.pixels.data() ||
        picture.pitch != ft::kSurfacePitch)
        Fail("the picture shown is not the primary surface");
    Check(ScoreMoment::Picture);

    const ft::Program& program = *program_;
    if (inGame_) stats.maxLevel = std::max(stats.maxLevel, program.settings.level);
    if (program.menu.showInfo && !infoShown_) ++stats.infoScreens;
    infoShown_ = program.menu.showInfo;
    if (scrolling_ && program.settings.scrolling != *scrolling_) ++stats.scrollingSwitches;
    if (showNext_ && program.settings.showNext != *showNext_) ++stats.showNextSwitches;
    if (scrolling_) {
        scrolling_ = program.settings.scrolling;
        showNext_ = program.settings.showNext;
    }

    if (kind != platform::PictureKind::Present) return;
    const SoakOptions& options = soak_.options_;
    if (options.progress > 0 && stats.frames % options.progress == 0) {
        std::fprintf(stderr,
                     "fompy-soak: %llu frames, %llu games, %lld rows cleared, max level %d\n",
                     static_cast<unsigned long long>(stats.frames),
                     static_cast<unsigned long long>(stats.gamesA + stats.gamesB),
                     static_cast<long long>(soak_.scoreWatch_.landingRows), stats.maxLevel);
    }
    if (stats.frames >= options.frames) throw platform::RunEnded{platform::EndReason::Frames};
}

// Every event goes through the journal, as a scripted one would, and is
// recorded as it is delivered.
void SoakPlatform::TakeInput(std::uint64_t time) {
    Arm();
    planned_.clear();
    soak_.player_.PlanFrame(*program_, inGame_, planned_);
    for (platform::InputEvent event : planned_) {
        event.time = time;
        Enqueue(event);
    }
}

void SoakPlatform::AwaitInput() {
    Arm();
    if (++waitsSincePicture_ > kMostWaitsWithoutPicture)
        Fail("the program took " + std::to_string(kMostWaitsWithoutPicture) +
             " deliveries in wait loops without showing a picture");
    // At least one frame later: this frame's delivery point has passed, and a
    // replay would hand an event of this frame's time over there.
    std::uint64_t delay = 0;
    platform::InputEvent event = soak_.player_.PlanWait(*program_, delay);
    event.time = Now() + 1 + delay;
    Enqueue(event);
}

void SoakPlatform::Sound(platform::Cue cue, bool loop) {
    Arm();
    if (loop) {
        OnLoop(cue);
    } else {
        OnPlay(cue);
    }
}

void SoakPlatform::OnPlay(platform::Cue cue) {
    const ft::Program& program = *program_;
    SoakStats& stats = soak_.stats_;
    switch (cue) {
        case platform::Cue::Landing:
            Check(ScoreMoment::Landing);
            soak_.player_.OnLanding();
            break;
        case platform::Cue::GameStart:
            ++(program.settings.variant == ft::GameVariant::B ? stats.gamesB : stats.gamesA);
            if (program.settings.level >= 1 && program.settings.level < 32)
                stats.startLevels |= 1u << program.settings.level;
            inGame_ = true;
            gameOverSeen_ = false;
            Check(ScoreMoment::GameStart);
            soak_.player_.OnGameStart();
            break;
        case platform::Cue::GameOver:
            ++stats.gameOvers;
            gameOverSeen_ = true;
            Check(ScoreMoment::GameOver);
            break;
        default:
            break;
    }
}

void SoakPlatform::OnLoop(platform::Cue cue) {
    if (cue != platform::Cue::MenuTune) return;
    if (inGame_ && !gameOverSeen_) ++soak_.stats_.gamesLeft;
    inGame_ = false;
    scrolling_ = program_->settings.scrolling;
    showNext_ = program_->settings.showNext;
    soak_.player_.OnMenu();
}

std::string RunSoak(Soak& soak) {
    for (;;) {
        SoakPlatform host(soak);
        ft::Program program(host);
        host.Watch(program);
        try {
            ft::StartUp(program);
            ft::RunOuterLoop(program);
        } catch (const platform::RunEnded&) {
            return {};
        } catch (const InvariantBroken& broken) {
            return broken.what;
        }
        // "QUIT": the next program run starts with the intro, on a platform
        // of its own.
    }
}

}  // namespace soak
