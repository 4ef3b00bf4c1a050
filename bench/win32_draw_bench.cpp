// SPDX-License-Identifier: MIT
// win32_draw_bench.cpp -- the two ways the Windows platform can put a picture
// on screen, timed against each other in a real window: the 8-bit picture
// with its palette as a DIB that GDI scales (Indexed), and the picture
// converted and scaled by the program into 32-bit pixels that GDI copies
// (Packed). Prints the mean time of one Show for each, at each window size.
//
//   win32-draw-bench [FRAMES]      (default 700, ten seconds of play)
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32/win32_console.h"
#include "platform/win32/win32_video.h"

namespace {

using platform::win32::DrawMode;

double MillisecondsPerShow(DrawMode mode, int scale, int frames) {
    platform::WindowOptions options;
    options.fullscreen = false;
    options.scale = scale;
    options.present = platform::PresentMode::Immediate;  // drawn in Show, to be timed
    platform::win32::Screen screen;
    if (const platform::Result<void> opened = screen.Open(options, mode); !opened) {
        std::fprintf(stderr, "win32-draw-bench: %s\n", opened.reason().c_str());
        std::exit(1);
    }
    std::vector<std::uint8_t> pixels(320 * 200);
    platform::Palette palette{};
    for (int i = 0; i < 256; ++i) {
        const auto c = static_cast<std::uint8_t>(i);
        palette[static_cast<std::size_t>(i)] = {c, static_cast<std::uint8_t>(255 - c), c};
    }
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE) != 0) DispatchMessageW(&msg);
    const auto start = std::chrono::steady_clock::now();
    for (int frame = 0; frame < frames; ++frame) {
        // Every pixel changes every frame: the worst case of a scrolling well.
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            pixels[i] = static_cast<std::uint8_t>(i * 7 + static_cast<std::size_t>(frame));
        }
        screen.Show(platform::Picture{pixels.data(), 320}, palette);
        GdiFlush();
    }
    const std::chrono::duration<double, std::milli> elapsed =
        std::chrono::steady_clock::now() - start;
    return elapsed.count() / frames;
}

}  // namespace

int main(int argc, char** argv) {
    platform::UseParentConsole();
    const int frames = argc > 1 ? std::atoi(argv[1]) : 700;
    for (const int scale : {1, 2, 3}) {
        const double indexed = MillisecondsPerShow(DrawMode::Indexed, scale, frames);
        const double packed = MillisecondsPerShow(DrawMode::Packed, scale, frames);
        std::printf("window %dx%d: Indexed (8-bit DIB) %.3f ms, Packed (32-bit) %.3f ms a frame\n",
                    320 * scale, 240 * scale, indexed, packed);
    }
    return 0;
}
