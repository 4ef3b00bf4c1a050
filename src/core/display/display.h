// SPDX-License-Identifier: MIT
// display.h -- the three 320x200 8-bit surfaces (the visible primary picture,
// the back buffer every menu and game frame is drawn into, and the well
// background), the locks that lend them out as the one FrameBuffer, the
// background copy and frame presentation.
#pragma once

#include <cstdint>
#include <vector>

#include "core/render/framebuffer.h"
#include "core/render/palette.h"
#include "core/seam/platform.h"

namespace ft {

// Row length of every surface in bytes. Deliberately wider than 320 so that
// no drawing code can get away with assuming width == pitch.
inline constexpr std::int32_t kSurfacePitch = 384;

struct Surface {
    std::vector<std::uint8_t> pixels =
        std::vector<std::uint8_t>(static_cast<std::size_t>(kSurfacePitch) * kScreenHeight, 0);
    FrameBuffer View() { return FrameBuffer{pixels.data(), kSurfacePitch}; }
    platform::Picture Picture() const { return platform::Picture{pixels.data(), kSurfacePitch}; }
};

enum class LockedSurface : std::uint8_t { None, Primary, BackBuffer, Background };

// Lives from OpenDisplay to CloseDisplay. Every surface starts all colour 0.
struct Display {
    Surface primary;        // the visible picture
    Surface backBuffer;     // keeps its picture across presents
    Surface background;     // the well pattern, filled once at start-up
    Palette palette{};      // the live palette, shown with every picture
    BlitRect blitSource{};  // source of the latest BlitBackground
    LockedSurface locked = LockedSurface::None;
    bool open = false;
};

void OpenDisplay(Display& display);
void CloseDisplay(Display& display);

// At most one surface is locked at a time; the FrameBuffer is valid until the
// matching unlock.
FrameBuffer LockBackBuffer(Display& display);
void UnlockBackBuffer(Display& display);
// Drawing into the primary picture shows at once: the unlock hands it to the
// platform.
FrameBuffer LockPrimary(Display& display);
void UnlockPrimary(Display& display, platform::Platform& platform);
FrameBuffer LockBackground(Display& display);
void UnlockBackground(Display& display);

// Copies source (columns left..right-1, rows top..bottom-1 of the background)
// unchanged to the back buffer at (x, y). Never while the back buffer is locked.
void BlitBackground(Display& display, const BlitRect& source, std::int32_t x, std::int32_t y);

// Copies the back buffer to the primary picture (the back buffer keeps its
// picture) and hands that picture and the palette to the platform, which
// paces the frame.
void PresentFrame(Display& display, platform::Platform& platform);

}  // namespace ft
