// SPDX-License-Identifier: MIT
// verify.cpp -- the games of a replayed run, followed through the program's
// cues and pictures and told one line each.
#include "platform/headless/verify.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "core/program/program.h"
#include "platform/common/text.h"
#include "platform/journal/run_log.h"

namespace platform {

namespace {

const char* EndName(const GameRecord& record) {
    switch (record.end) {
        case GameEnd::GameOver:
            return "game over";
        case GameEnd::Escape:
            return "escape";
        case GameEnd::Run:
            break;
    }
    return EndReasonName(record.runEnd);
}

}  // namespace

std::string GameLine(std::size_t number, const GameRecord& record) {
    return "game " + std::to_string(number) + ": GAME " +
           (record.variant == ft::GameVariant::B ? "B" : "A") + " from level " +
           std::to_string(record.startLevel) + ", score " + record.score + ", level " +
           std::to_string(record.level) + ", " + std::to_string(record.frames) + " frames, " +
           EndName(record) + "\n";
}

std::string RunLine(std::size_t games, std::uint64_t frames, EndReason reason) {
    return "run: " + std::to_string(games) + (games == 1 ? " game, " : " games, ") +
           std::to_string(frames) + " frames, end " + EndReasonName(reason) + "\n";
}

bool MenuStaysForever(const ft::MenuState& menu, const KeyState& keys) {
    if (menu.leaving) return false;
    if (std::any_of(keys.pressed.begin(), keys.pressed.end(), [](bool p) { return p; })) {
        return false;
    }
    // Escape held closes the information screen, and the pages show again.
    return !(menu.showInfo && keys.held[static_cast<std::size_t>(Key::Escape)]);
}

VerifyPlatform::VerifyPlatform(VerifyOptions options)
    : HeadlessPlatform(
          HeadlessOptions{std::move(options.script), options.clock, options.frames, nullptr, {}}),
      out_(options.out),
      games_(options.games),
      limited_(options.frames.has_value()) {}

void VerifyPlatform::Tell(const std::optional<GameRecord>& ended) {
    if (!ended) return;
    if (out_ != nullptr) out_->Write(GameLine(watch_.games, *ended));
    if (games_ != nullptr) games_->push_back(*ended);
}

void VerifyPlatform::Show(const Picture& picture, const Palette& palette, PictureKind kind) {
    if (kind == PictureKind::Present && program_ != nullptr) {
        if (watch_.current) {
            watch_.Presented(program_->game, program_->settings);
            watch_.current->lastFrameTime = Now();
        }
        // The menu never waits: with the script spent and nothing left to
        // poll, it would show the same page for ever. The run ends here, as
        // it would at a wait.
        if (onMenu_ && !limited_ && !InputPending() &&
            MenuStaysForever(program_->menu, program_->keyboard.state)) {
            throw platform::RunEnded{EndReason::Script};
        }
    }
    HeadlessPlatform::Show(picture, palette, kind);
}

void VerifyPlatform::AwaitInput() {
    // A game waits only on its game-over screen, after its cue: a wait with
    // the game running is the menu's, after Escape.
    Tell(watch_.Left());
    HeadlessPlatform::AwaitInput();
}

void VerifyPlatform::Sound(Cue cue, bool loop) {
    onMenu_ = loop && cue == Cue::MenuTune;
    if (program_ == nullptr) return;
    if (onMenu_) {
        Tell(watch_.Left());
    } else if (cue == Cue::GameStart) {
        watch_.Started(program_->settings);
        watch_.current->startTime = Now();
        watch_.current->lastFrameTime = Now();
    } else if (cue == Cue::GameOver) {
        Tell(watch_.GameOver(program_->game, program_->settings));
    }
}

void VerifyPlatform::Finish(EndReason reason) {
    Journal().Finish(reason);
    Tell(watch_.RunEnded(reason));
    if (out_ != nullptr) out_->Write(RunLine(watch_.games, Now(), reason));
}

EndReason RunVerify(VerifyPlatform& host) {
    const EndReason reason =
        ft::RunProgram(host, [&host](const ft::Program& program) { host.Watch(program); });
    host.Finish(reason);
    return reason;
}

ft::KeptGame KeptGameOf(std::uint32_t number, const GameRecord& record) {
    ft::KeptGame game;
    game.number = number;
    game.variant = record.variant == ft::GameVariant::B ? 'B' : 'A';
    game.startLevel = static_cast<std::uint32_t>(std::max(record.startLevel, 0));
    game.level = static_cast<std::uint32_t>(std::max(record.level, 0));
    game.frames = record.frames;
    switch (record.end) {
        case GameEnd::GameOver:
            game.end = "game over";
            break;
        case GameEnd::Escape:
            game.end = "escape";
            break;
        case GameEnd::Run:
            game.end = EndReasonName(record.runEnd);
            break;
    }
    return game;
}

Result<ft::KeptRun> VerifyKeptText(std::string_view name, std::string_view text,
                                   std::string_view where, std::vector<GameRecord>* records) {
    if (!text.empty() && text.back() != '\n') {
        return Failure{std::string(where) + ": cut short: its last line has no line end"};
    }
    Result<Script> script = ParseScript(text, where);
    if (!script) return Failure{script.reason()};

    std::vector<GameRecord> played;
    VerifyOptions verify;
    verify.script = std::move(*script);
    verify.games = &played;
    VerifyPlatform host(std::move(verify));
    RunVerify(host);

    ft::KeptRun run{std::string(name), text.size(), ft::HashBytes(ft::kHashStart, text), {}};
    for (std::size_t i = 0; i < played.size(); ++i) {
        ft::KeptGame game = KeptGameOf(static_cast<std::uint32_t>(i + 1), played[i]);
        // A game ended before its first frame showed a score of nothing yet.
        const std::string& shown = played[i].score;
        const Decimal score = ParseDecimal(shown, UINT64_MAX);
        if (!shown.empty() && score.status != Decimal::Status::Ok) continue;
        game.score = shown.empty() ? 0 : score.value;
        run.games.push_back(std::move(game));
    }
    if (records != nullptr) *records = std::move(played);
    return run;
}

}  // namespace platform
