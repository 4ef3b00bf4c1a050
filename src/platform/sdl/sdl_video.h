// sdl_video.h -- the window of the players' platform: the 320x200 8-bit
// picture converted through its palette and scaled, letterboxed, into a window
// or desktop fullscreen. Used only inside platform/sdl.
#pragma once

#include <SDL.h>

#include <memory>
#include <string>

#include "platform/platform.h"
#include "render/palette.h"

namespace platform::sdl {

struct WindowDeleter {
    void operator()(SDL_Window* window) const { SDL_DestroyWindow(window); }
};
struct SurfaceDeleter {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using WindowPtr = std::unique_ptr<SDL_Window, WindowDeleter>;
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

// Where the picture goes in a window of the given size (pixels): the largest
// 4:3 rectangle that fits, centred. The picture's pixels are shown 1.2 times as
// tall as wide, as on the displays of its day. Empty when the window is.
SDL_Rect FitPicture(int windowWidth, int windowHeight);

// The window and the last picture shown in it. Lives from Open to the end of
// the run; needs SDL's video subsystem for all that time.
class Video {
public:
    // Creates the window: desktop fullscreen, or 320*scale by 240*scale pixels.
    // On failure returns false and sets error to one line naming the cause.
    bool Open(bool fullscreen, int scale, std::string& error);

    // Keeps a copy of the picture and its palette and draws it at once.
    // The picture is borrowed for the call.
    void Show(const Picture& picture, const ft::Palette& palette);

    // Draws the kept picture again, bars included: after an expose, or after
    // the window's size changed (then the window surface is fetched anew).
    void Redraw();
    void OnSizeChanged();

    // Alt+Enter: between desktop fullscreen and a window.
    void ToggleFullscreen();

private:
    // Fetches the window surface; when it is new or resized (isNew) clears it
    // to black and fits the picture anew. False when there is none to draw into.
    bool FetchWindowSurface(bool& isNew);
    // Scales the converted picture into the window and shows it; the whole
    // window, bars included, when everything is true.
    void Draw(bool everything);

    WindowPtr window_;
    // The last picture, 8 bits per pixel, with the palette it was shown with.
    SurfacePtr indexed_;
    // The same picture through the palette, in the window surface's format,
    // so that the scaling is a plain same-format stretch.
    SurfacePtr converted_;
    // Owned by the window; valid until its size changes.
    SDL_Surface* windowSurface_ = nullptr;
    int windowSurfaceWidth_ = 0;      // pixels, as last fetched
    int windowSurfaceHeight_ = 0;     // pixels
    bool windowSurfaceStale_ = true;  // the window's size changed since the fetch
    SDL_Rect target_{};               // where the picture goes in the window surface
    ft::Palette palette_{};
};

}  // namespace platform::sdl
