// SPDX-License-Identifier: MIT
// game_frame_bench.cpp -- the cost of one game frame of the core: everything a
// pass of the game loop does (background copy, boxes, settled cells, keys,
// gravity, the falling piece, the present's copy), on a busy late-game well,
// with a platform that neither logs nor converts pictures.
#include <benchmark/benchmark.h>

#include "core/game/game.h"
#include "core/program/program.h"
#include "core/render/furniture.h"

namespace {

// Keys in a steady rhythm (sideways taps and turns), nothing shown, nothing heard.
class QuietPlatform : public platform::Platform {
public:
    void ShowPicture(const platform::Picture&, const platform::Palette&,
                     platform::PictureKind kind) override {
        if (kind == platform::PictureKind::Present) ++frame_;
        due_ = true;
    }
    void DeliverDueInput(platform::KeyState& keys) override {
        if (!due_) return;
        due_ = false;
        const auto tap = [&](platform::Key key) {
            keys.pressed[static_cast<std::size_t>(key)] = true;
        };
        if (frame_ % 7 == 0) tap(frame_ % 14 == 0 ? platform::Key::Left : platform::Key::Right);
        if (frame_ % 11 == 0) tap(platform::Key::Up);
    }
    void WaitForInput(platform::KeyState& keys) override {
        // Only the game-over screen waits here: leave it at once.
        keys.pressed[static_cast<std::size_t>(platform::Key::Enter)] = true;
    }
    void PlayCue(platform::Cue) override {}
    void LoopCue(platform::Cue) override {}
    void StopSound() override {}
    std::uint32_t CalendarSeconds() override { return 1; }

private:
    std::uint64_t frame_ = 0;
    bool due_ = true;
};

// A late game: level 15, the bottom 20 rows full of settled cells, each row
// with one hole so that nothing clears by itself.
void PrepareLateGame(ft::Program& program) {
    program.playfield = {};
    for (int r = 10; r < ft::kWellRows; ++r)
        for (int c = 0; c < ft::kWellColumns; ++c)
            program.playfield.At(c, r) = c == (r * 7) % ft::kWellColumns ? 0 : 1 + (c + r) % 7;
    program.game = {};
    program.game.scrollTop = 10.0f;
    program.settings.level = 15;
    program.piece.x = ft::kSpawnX;
    program.piece.y = ft::kSpawnY;
    program.piece.rotation = 0;
}

void BM_GameFrame(benchmark::State& state) {
    QuietPlatform platform;
    ft::Program program(platform);
    ft::SetUpDisplay(program);
    program.settings.showNext = true;
    program.settings.scrolling = true;
    ft::FrameBuffer fb = ft::LockBackBuffer(program.display);
    ft::DrawGameScreen(fb, program.display.palette);
    ft::UnlockBackBuffer(program.display);
    PrepareLateGame(program);
    const ft::GameContext game = program.Game();

    for (auto _ : state) {
        ft::RunGameFrame(game);
        if (program.game.gameOver) {
            state.PauseTiming();
            PrepareLateGame(program);
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GameFrame)->Repetitions(9)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
