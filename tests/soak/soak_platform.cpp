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

SoakPlatform::SoakPlatform(const SoakOptions& options) : options_(options), player_(options.seed) {}

void SoakPlatform::BeginRun(ft::Program& program) {
    program_ = &program;
    journal_.reset();
    script_ = std::make_unique<platform::MemoryLines>();
    script_->Write("# fompy-soak --seed " + std::to_string(options_.seed) + ", program run " +
                   std::to_string(stats_.runs + 1) + "\n");
    journal_.emplace(platform::JournalOptions{nullptr, script_.get(), {}});
    runFrames_ = 0;
    waitsSincePicture_ = 0;
    armed_ = false;
    inGame_ = false;
    gameOverSeen_ = false;
    infoShown_ = false;
    scrolling_.reset();
    showNext_.reset();
    scoreWatch_.last = 0;
    scoreWatch_.landingPending = false;
    scoreWatch_.gameOverPending = false;
    ++stats_.runs;
}

void SoakPlatform::EndRun() {
    stats_.landingRows = scoreWatch_.landingRows;
    stats_.fourRowClears = scoreWatch_.fourRowClears;
    stats_.rubbleRows = scoreWatch_.rubbleRows;
    program_ = nullptr;
}

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
    throw InvariantBroken{what + " (frame " + std::to_string(stats_.frames) + ", frame " +
                          std::to_string(runFrames_) + " of program run " +
                          std::to_string(stats_.runs) + ")"};
}

void SoakPlatform::Check(ScoreMoment moment) {
    const ft::Program& program = *program_;
    std::string error = scoreWatch_.Look(program.score, moment, program.game.gameOver);
    if (error.empty() && moment == ScoreMoment::Picture) {
        error = CheckProgram(program, inGame_);
        if (error.empty()) error = CheckPadding(program.display, kPaddingCanary);
    }
    if (!error.empty()) Fail(error);
}

std::string SoakPlatform::RunScript() const {
    return script_ ? std::string(script_->Text()) : std::string();
}

void SoakPlatform::ShowPicture(const platform::Picture& picture, const platform::Palette& palette,
                               platform::PictureKind kind) {
    Arm();
    journal_->Picture(picture, palette, kind);
    if (kind == platform::PictureKind::Present) {
        ++stats_.frames;
        ++runFrames_;
    }
    waitsSincePicture_ = 0;
    if (picture.pixels != program_->display.primary.pixels.data() ||
        picture.pitch != ft::kSurfacePitch)
        Fail("the picture shown is not the primary surface");
    Check(ScoreMoment::Picture);

    const ft::Program& program = *program_;
    if (inGame_) stats_.maxLevel = std::max(stats_.maxLevel, program.settings.level);
    if (program.menu.showInfo && !infoShown_) ++stats_.infoScreens;
    infoShown_ = program.menu.showInfo;
    if (scrolling_ && program.settings.scrolling != *scrolling_) ++stats_.scrollingSwitches;
    if (showNext_ && program.settings.showNext != *showNext_) ++stats_.showNextSwitches;
    if (scrolling_) {
        scrolling_ = program.settings.scrolling;
        showNext_ = program.settings.showNext;
    }

    if (kind != platform::PictureKind::Present) return;
    if (options_.progress > 0 && stats_.frames % options_.progress == 0) {
        std::fprintf(stderr,
                     "fompy-soak: %llu frames, %llu games, %lld rows cleared, max level %d\n",
                     static_cast<unsigned long long>(stats_.frames),
                     static_cast<unsigned long long>(stats_.gamesA + stats_.gamesB),
                     static_cast<long long>(scoreWatch_.landingRows), stats_.maxLevel);
    }
    if (stats_.frames >= options_.frames) throw platform::RunEnded{platform::EndReason::Frames};
}

// Every event goes through the journal, as a scripted one would, and is
// recorded as it is delivered.
void SoakPlatform::Deliver(platform::InputEvent event, std::uint64_t time) {
    event.time = time;
    journal_->Input().Enqueue(event);
}

void SoakPlatform::DeliverDueInput(platform::KeyState& keys) {
    Arm();
    if (!journal_->Input().IsDeliveryDue()) return;
    planned_.clear();
    player_.PlanFrame(*program_, inGame_, planned_);
    for (const platform::InputEvent& event : planned_) Deliver(event, journal_->Now());
    journal_->Input().DeliverAtPoll(keys);
}

void SoakPlatform::WaitForInput(platform::KeyState& keys) {
    Arm();
    if (++waitsSincePicture_ > kMostWaitsWithoutPicture)
        Fail("the program took " + std::to_string(kMostWaitsWithoutPicture) +
             " deliveries in wait loops without showing a picture");
    // At least one frame later: this frame's delivery point has passed, and a
    // replay would hand an event of this frame's time over there.
    std::uint64_t delay = 0;
    const platform::InputEvent event = player_.PlanWait(*program_, delay);
    Deliver(event, journal_->Now() + 1 + delay);
    journal_->Input().DeliverAtWait(keys);
}

void SoakPlatform::PlayCue(platform::Cue cue) {
    Arm();
    journal_->PlayCue(cue);
    const ft::Program& program = *program_;
    switch (cue) {
        case platform::Cue::Landing:
            Check(ScoreMoment::Landing);
            player_.OnLanding();
            break;
        case platform::Cue::GameStart:
            ++(program.settings.variant == ft::GameVariant::B ? stats_.gamesB : stats_.gamesA);
            if (program.settings.level >= 1 && program.settings.level < 32)
                stats_.startLevels |= 1u << program.settings.level;
            inGame_ = true;
            gameOverSeen_ = false;
            Check(ScoreMoment::GameStart);
            player_.OnGameStart();
            break;
        case platform::Cue::GameOver:
            ++stats_.gameOvers;
            gameOverSeen_ = true;
            Check(ScoreMoment::GameOver);
            break;
        default:
            break;
    }
}

void SoakPlatform::LoopCue(platform::Cue cue) {
    Arm();
    journal_->LoopCue(cue);
    if (cue != platform::Cue::MenuTune) return;
    if (inGame_ && !gameOverSeen_) ++stats_.gamesLeft;
    inGame_ = false;
    scrolling_ = program_->settings.scrolling;
    showNext_ = program_->settings.showNext;
    player_.OnMenu();
}

std::uint32_t SoakPlatform::CalendarSeconds() {
    return journal_->Reseed(player_.Seconds());
}

std::string RunSoak(SoakPlatform& host) {
    for (;;) {
        ft::Program program(host);
        host.BeginRun(program);
        try {
            ft::StartUp(program);
            ft::RunOuterLoop(program);
        } catch (const platform::RunEnded&) {
            host.EndRun();
            return {};
        } catch (const InvariantBroken& broken) {
            host.EndRun();
            return broken.what;
        }
        host.EndRun();  // "QUIT": the next program run starts with the intro
    }
}

}  // namespace soak
