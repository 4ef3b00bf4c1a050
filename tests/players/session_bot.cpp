// SPDX-License-Identifier: MIT
// session_bot.cpp -- the session bot's phases: the presses of the intro, the
// menu and the game-over screen, and the game played piece by piece.
#include "session_bot.h"

#include <algorithm>

#include "core/program/program.h"

namespace players {

using platform::Key;

const SessionKind* FindSessionKind(std::string_view name) {
    for (const SessionKind& kind : kKinds)
        if (kind.name == name) return &kind;
    return nullptr;
}

void Bot::OnPlay(platform::Cue cue, const ft::Program& program) {
    switch (cue) {
        case platform::Cue::Intro:
            phase_ = Phase::Intro;
            break;
        case platform::Cue::GameStart:
            phase_ = Phase::Game;
            ++gamesStarted_;
            plan_.reset();
            lastScore_ = program.score;
            lastLandings_ = landings_;
            break;
        case platform::Cue::Landing:
            ++landings_;
            break;
        case platform::Cue::GameOver:
            phase_ = Phase::GameOver;
            Tally(program);
            summary_.gameOver = true;
            summary_.finalScore = program.score;
            break;
        default:
            break;
    }
}

Decision Bot::AtFrame(const ft::Program& program) {
    switch (phase_) {
        case Phase::Menu:
            return MenuFrame(program);
        case Phase::Game:
            return GameFrame(program);
        default:
            return {};  // let go of everything
    }
}

std::optional<Decision> Bot::AtWait(bool holdingAny) const {
    if (holdingAny) return Decision{};
    Decision press;
    if (phase_ == Phase::Intro) {
        press.taps.push_back(Key::Enter);
    } else if (phase_ == Phase::GameOver) {
        press.taps.push_back(Key::Space);
    } else {
        return std::nullopt;
    }
    return press;
}

// A human pace: a look at the menu first, then one key every few frames.
Decision Bot::MenuFrame(const ft::Program& program) {
    constexpr std::uint64_t kFirstKey = 30;
    constexpr std::uint64_t kKeyEvery = 5;
    Decision d;
    ++menuFrames_;
    if (menuFrames_ < kFirstKey || (menuFrames_ - kFirstKey) % kKeyEvery != 0) return d;

    const ft::MenuState& menu = program.menu;
    const ft::GameSettings& settings = program.settings;
    if (menu.showInfo) {
        d.taps.push_back(Key::Escape);
        return d;
    }
    const bool levelChosen = settings.level == kind_.startLevel;
    int target = 0;
    int last = 0;
    switch (menu.page) {
        case ft::MenuPage::Main:
            last = 4;
            if (gamesStarted_ > 0)
                target = 4;  // "QUIT"
            else if (!levelChosen)
                target = 2;  // "OPTIONS"
            else
                target = kind_.variant == ft::GameVariant::B ? 1 : 0;  // "GAME B", "GAME A"
            break;
        case ft::MenuPage::Options:
            last = 3;
            target = levelChosen ? 3 : 2;  // "BACK", "LEVEL"
            break;
        case ft::MenuPage::Level:
            last = 6;
            target = kind_.startLevel - 1;
            break;
    }
    const int cursor = menu.cursor;
    if (cursor == target) {
        d.taps.push_back(Key::Enter);
    } else {
        // The marker wraps at both ends; go the short way round.
        const int downSteps = (target - cursor + last + 1) % (last + 1);
        d.taps.push_back(downSteps <= (last + 1) / 2 ? Key::Down : Key::Up);
    }
    return d;
}

void Bot::Tally(const ft::Program& program) {
    const std::uint64_t newLandings = landings_ - lastLandings_;
    const ft::Score gained = program.score - lastScore_ - 5 * static_cast<ft::Score>(newLandings);
    if (gained >= 1000) {
        summary_.lines += 4 + static_cast<std::uint64_t>(gained - 1000) / 100;
        ++summary_.fours;
    } else if (gained > 0) {
        summary_.lines += static_cast<std::uint64_t>(gained) / 100;
    }
    lastScore_ = program.score;
    lastLandings_ = landings_;
    summary_.pieces = landings_;
    summary_.maxLevel = std::max(summary_.maxLevel, program.settings.level);
    summary_.finalScore = program.score;
    const Board board = BoardOf(program.playfield);
    for (int r = 0; r < kRows; ++r) {
        if (board.rows[r] != 0) {
            summary_.maxStack = std::max(summary_.maxStack, kRows - r);
            break;
        }
    }
}

Decision Bot::GameFrame(const ft::Program& program) {
    Tally(program);
    Decision d;
    if (summary_.playFrames >= kind_.playFrames) {
        d.hold[static_cast<std::size_t>(Key::Escape)] = true;  // back to the menu
        return d;
    }

    if (kind_.blind || program.piece.kind < 1 || program.piece.kind > 7) {
        d.hold[static_cast<std::size_t>(Key::Down)] = true;
        return d;
    }

    const Pose live = PoseOf(program.piece);
    if (!plan_ || plannedAt_ != landings_) {
        if (plan_ && plannedAt_ + 1 == landings_ &&
            BoardOf(program.playfield).rows != plan_->after.rows)
            ++summary_.modelMisses;
        plan_ = MakePlan(program);
        plannedAt_ = landings_;
        planStep_ = 0;
    } else if (++planStep_ >= plan_->foresight.path.size() ||
               plan_->foresight.path[planStep_] != live) {
        ++summary_.replans;
        plan_ = MakePlan(program);
        planStep_ = 0;
    }

    const FrameKeys keys = Steer(live, plan_->target);
    if (keys.right) d.taps.push_back(Key::Right);
    if (keys.left) d.taps.push_back(Key::Left);
    if (keys.up) d.taps.push_back(Key::Up);
    d.hold[static_cast<std::size_t>(Key::Down)] = keys.down;
    return d;
}

}  // namespace players
