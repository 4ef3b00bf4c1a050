// SPDX-License-Identifier: MIT
// display.cpp -- surfaces, locks, the background copy and presentation.
#include "core/display/display.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace ft {

namespace {

FrameBuffer Lock(Display& display, LockedSurface which, Surface& surface) {
    assert(display.open && "drawing before the display is open");
    assert(display.locked == LockedSurface::None && "one surface is locked at a time");
    display.locked = which;
    return surface.View();
}

void Unlock(Display& display, LockedSurface which) {
    assert(display.locked == which && "unlocking a surface that is not locked");
    (void)which;
    display.locked = LockedSurface::None;
}

}  // namespace

void OpenDisplay(Display& display) {
    // Cleared where they are: new surfaces would leave the old ones' memory
    // behind for nothing.
    for (Surface* surface : {&display.primary, &display.backBuffer, &display.background}) {
        surface->pixels.assign(static_cast<std::size_t>(kSurfacePitch) * kScreenHeight, 0);
    }
    display.locked = LockedSurface::None;
    display.open = true;
}

void CloseDisplay(Display& display) {
    assert(display.locked == LockedSurface::None);
    display.open = false;
}

FrameBuffer LockBackBuffer(Display& display) {
    return Lock(display, LockedSurface::BackBuffer, display.backBuffer);
}

void UnlockBackBuffer(Display& display) {
    Unlock(display, LockedSurface::BackBuffer);
}

FrameBuffer LockPrimary(Display& display) {
    return Lock(display, LockedSurface::Primary, display.primary);
}

void UnlockPrimary(Display& display, platform::Platform& platform) {
    Unlock(display, LockedSurface::Primary);
    platform.ShowPicture(display.primary.Picture(), display.palette,
                         platform::PictureKind::Primary);
}

FrameBuffer LockBackground(Display& display) {
    return Lock(display, LockedSurface::Background, display.background);
}

void UnlockBackground(Display& display) {
    Unlock(display, LockedSurface::Background);
}

void BlitBackground(Display& display, const BlitRect& source, std::int32_t x, std::int32_t y) {
    assert(display.locked != LockedSurface::BackBuffer);
    assert(source.left >= 0 && source.top >= 0 && source.right <= kScreenWidth &&
           source.bottom <= kScreenHeight);
    assert(x >= 0 && y >= 0 && x + source.right - source.left <= kScreenWidth &&
           y + source.bottom - source.top <= kScreenHeight);
    display.blitSource = source;
    const auto width = static_cast<std::size_t>(std::max(0, source.right - source.left));
    for (std::int32_t row = 0; row < source.bottom - source.top; ++row) {
        const std::uint8_t* from =
            display.background.pixels.data() + (source.top + row) * kSurfacePitch + source.left;
        std::uint8_t* to = display.backBuffer.pixels.data() + (y + row) * kSurfacePitch + x;
        std::memcpy(to, from, width);
    }
}

void PresentFrame(Display& display, platform::Platform& platform) {
    assert(display.locked == LockedSurface::None);
    display.primary.pixels = display.backBuffer.pixels;
    platform.ShowPicture(display.primary.Picture(), display.palette,
                         platform::PictureKind::Present);
}

}  // namespace ft
