// SPDX-License-Identifier: MIT
// program.cpp -- start-up, the outer loop and shutdown.
#include "core/program/program.h"

#include "core/frontend/intro.h"
#include "core/render/furniture.h"
#include "core/render/palette.h"

namespace ft {

Program::Program(platform::Platform& p)
    : platform(p), random(), piece(StartingPiece(random)), keyboard(p) {}

void SetUpDisplay(Program& program) {
    Display& display = program.display;
    OpenDisplay(display);
    display.palette = BuildStartPalette(program.random);
    SetFixedColours(display.palette);

    FrameBuffer background = LockBackground(display);
    FillWellBackground(background);
    UnlockBackground(display);
}

void StartUp(Program& program) {
    SetUpDisplay(program);
    IntroScreen(program.keyboard, program.display, program.random, program.platform);

    program.settings.showNext = true;
    program.settings.scrolling = true;
    program.settings.variant = GameVariant::A;
}

void RunOuterLoop(Program& program) {
    while (!program.settings.quit) {
        program.game.gameOver = false;
        program.settings.level = 1;
        MenuScreen(program.menu, program.settings, program.keyboard, program.display,
                   program.platform);
        if (program.settings.quit) break;
        PlayGame(program.Game());
    }
    CloseDisplay(program.display);
    program.keyboard.closeEndsRun = false;

    // Like the original's message loop after the display is released: the run
    // ends at the first key press ever made (the one that chose "QUIT", as a
    // rule) or at a request to close the window.
    platform::KeyState& keys = program.keyboard.state;
    while (!keys.anyDownDelivered && !keys.closePending) program.platform.WaitForInput(keys);
}

platform::EndReason RunProgram(platform::Platform& platform,
                               const std::function<void(const Program&)>& watch) {
    try {
        Program program(platform);
        if (watch) watch(program);
        StartUp(program);
        RunOuterLoop(program);
    } catch (const platform::RunEnded& ended) {
        return ended.reason;
    }
    return platform::EndReason::Quit;
}

}  // namespace ft
