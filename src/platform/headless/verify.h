// SPDX-License-Identifier: MIT
// verify.h -- a recording played headless as fast as the machine allows and
// told as one line per game (its variant, starting level, the score and level
// it last showed, its frames and how it ended) and one line for the run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/frontend/menu.h"
#include "core/seam/platform.h"
#include "core/state/settings.h"
#include "platform/common/kept_games.h"
#include "platform/common/line_sink.h"
#include "platform/common/result.h"
#include "platform/common/script.h"
#include "platform/headless/headless_platform.h"
#include "platform/journal/game_watch.h"

namespace ft {
struct Program;
}

namespace platform {

// "game 1: GAME A from level 1, score 1230, level 3, 5000 frames, game over\n"
std::string GameLine(std::size_t number, const GameRecord& record);
// "run: 2 games, 6012 frames, end quit\n": frames is the run's time at its end.
std::string RunLine(std::size_t games, std::uint64_t frames, EndReason reason);

// Whether the menu, shown with no input left to come, can never change
// again: it is not leaving, no key press waits to be polled, and the
// information screen has no Escape held to close it. A headless run would
// present its frames for ever.
bool MenuStaysForever(const ft::MenuState& menu, const KeyState& keys);

struct VerifyOptions {
    Script script;
    std::uint32_t clock = 0;              // what reseeds read beyond the script's reseed lines
    std::optional<std::uint64_t> frames;  // end right after this many presents
    LineSink* out = nullptr;              // not owned: a line per game as it ends, then the run's
    std::vector<GameRecord>* games = nullptr;  // not owned: each game's record as it ends
};

// The headless platform, watching the program it runs: it tells each game
// as it ends, and, without a frame limit, ends the run as "script" at the
// first menu frame that the spent script leaves on the menu for ever.
class VerifyPlatform final : public HeadlessPlatform {
public:
    explicit VerifyPlatform(VerifyOptions options);

    // The program made on this platform, to watch from its start; not owned.
    void Watch(const ft::Program& program) { program_ = &program; }
    // The run has ended: the game it ended in, then the run's line.
    void Finish(EndReason reason);

private:
    void Show(const Picture& picture, const Palette& palette, PictureKind kind) override;
    void AwaitInput() override;
    void Sound(Cue cue, bool loop) override;
    void Silence() override { onMenu_ = false; }

    void Tell(const std::optional<GameRecord>& ended);

    LineSink* out_;
    std::vector<GameRecord>* games_;
    bool limited_;  // a frame limit ends the run instead of a menu left for ever
    const ft::Program* program_ = nullptr;
    GameWatch watch_;
    bool onMenu_ = false;  // the menu tune loops: the menu's pages are shown
};

// The whole program on a fresh state, watched by host, to its end; the game
// and run lines written. Returns why the run ended.
EndReason RunVerify(VerifyPlatform& host);

// A game as the table of the kept games holds it; number counts from 1.
ft::KeptGame KeptGameOf(std::uint32_t number, const GameRecord& record);

// A kept recording, named name, played headless to the games it holds, as
// the desktop's folder and the page's storage keep them; where is how a
// refusal names it. Fails with the reason when its last line is cut short
// or the script reader refuses a line. records, when given, gets every
// game's record (a game with no score shown yet included).
Result<ft::KeptRun> VerifyKeptText(std::string_view name, std::string_view text,
                                   std::string_view where,
                                   std::vector<GameRecord>* records = nullptr);

}  // namespace platform
