// SPDX-License-Identifier: MIT
// bot_platform.cpp -- the bot's answers put on the journal at the delivery
// points, and the cues told to the bot.
#include "bot_platform.h"

#include <algorithm>

#include "core/program/program.h"

namespace players {

using platform::InputEvent;
using platform::Key;

void BotPlatform::Show(const platform::Picture& /*picture*/, const platform::Palette& /*palette*/,
                       platform::PictureKind kind) {
    if (kind != platform::PictureKind::Present) return;
    bot_.OnPresent();
    if (Now() > maxTime_) throw platform::RunEnded{platform::EndReason::Frames};
}

void BotPlatform::TakeInput(std::uint64_t time) {
    Emit(time, bot_.AtFrame(*program_));
}

// Time moves on by one while a wait loop waits: the events of this instant
// were all due at the delivery point before the wait, where a replay delivers
// them.
void BotPlatform::AwaitInput() {
    const bool holdingAny = std::find(held_.begin(), held_.end(), true) != held_.end();
    const std::optional<Decision> decision = bot_.AtWait(holdingAny);
    if (!decision) throw platform::RunEnded{platform::EndReason::Script};
    Emit(Now() + 1, *decision);
}

void BotPlatform::Sound(platform::Cue cue, bool loop) {
    if (!loop) {
        bot_.OnPlay(cue, *program_);
    } else if (cue == platform::Cue::MenuTune) {
        bot_.OnMenuTune();
    }
}

void BotPlatform::Silence() {
    bot_.OnStop();
}

void BotPlatform::Emit(std::uint64_t time, const Decision& decision) {
    auto send = [&](Key key, InputEvent::Kind kind) {
        const InputEvent event{time, kind, key};
        Enqueue(event);
        recorded_.push_back(event);
        held_[static_cast<std::size_t>(key)] = kind == InputEvent::Kind::KeyDown;
    };
    for (int k = 0; k < platform::kKeyCount; ++k) {
        const auto key = static_cast<Key>(k);
        if (held_[k] && !decision.hold[k]) send(key, InputEvent::Kind::KeyUp);
    }
    for (Key key : decision.taps) send(key, InputEvent::Kind::KeyDown);
    for (int k = 0; k < platform::kKeyCount; ++k) {
        if (decision.hold[k] && !held_[k]) send(static_cast<Key>(k), InputEvent::Kind::KeyDown);
    }
}

platform::EndReason RunToEnd(ft::Program& program, platform::JournalHost& host) {
    platform::EndReason reason = platform::EndReason::Quit;
    try {
        ft::StartUp(program);
        ft::RunOuterLoop(program);
    } catch (const platform::RunEnded& ended) {
        reason = ended.reason;
    }
    host.Journal().Finish(reason);
    return reason;
}

}  // namespace players
