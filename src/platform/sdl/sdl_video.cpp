// sdl_video.cpp -- the window: palette conversion, letterboxed scaling, redraws.
//
// SDL will not scale an 8-bit paletted surface straight into a 32-bit window
// surface ("Blit combination not supported"), so each picture is first
// converted through the palette into a 320x200 surface of the window's own
// format, and that one is stretched (nearest neighbour) into the window. With
// SDL's framebuffer acceleration off there is no renderer and no GPU driver:
// the window surface is plain memory that SDL copies to the screen.
#include "platform/sdl/sdl_video.h"

#include <array>
#include <cassert>
#include <cstring>

#include "render/framebuffer.h"

namespace platform::sdl {

namespace {

constexpr const char* kWindowTitle = "FOMPY TALDEN";

// Shape of the shown picture: 320x200 pixels 1.2 times as tall as wide fill
// the rectangle of a 320x240 picture of square pixels, that is 4:3.
constexpr int kShapeWidth = 4;
constexpr int kShapeHeight = 3;

bool IsFullscreen(SDL_Window* window) {
    return (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP) ==
           SDL_WINDOW_FULLSCREEN_DESKTOP;
}

// The pointer means nothing to the game; it only hides the picture in fullscreen.
void ShowPointer(bool show) {
    SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

void SetSurfacePalette(SDL_Surface& surface, const ft::Palette& palette) {
    std::array<SDL_Color, 256> colours{};
    for (std::size_t i = 0; i < colours.size(); ++i) {
        colours[i] = SDL_Color{palette[i].red, palette[i].green, palette[i].blue, 255};
    }
    SDL_SetPaletteColors(surface.format->palette, colours.data(), 0,
                         static_cast<int>(colours.size()));
}

}  // namespace

SDL_Rect FitPicture(int windowWidth, int windowHeight) {
    if (windowWidth <= 0 || windowHeight <= 0) return SDL_Rect{0, 0, 0, 0};
    int width = windowWidth;
    int height = windowWidth * kShapeHeight / kShapeWidth;
    if (height > windowHeight) {
        height = windowHeight;
        width = windowHeight * kShapeWidth / kShapeHeight;
    }
    return SDL_Rect{(windowWidth - width) / 2, (windowHeight - height) / 2, width, height};
}

bool Video::Open(bool fullscreen, int scale, std::string& error) {
    // Without this SDL would back the window surface with an OpenGL texture,
    // which loads the GL driver for what is a plain memory copy.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");

    if (scale < 1) scale = 1;
    const int width = ft::kScreenWidth * scale;
    const int height = ft::kScreenWidth * kShapeHeight / kShapeWidth * scale;
    Uint32 flags = SDL_WINDOW_RESIZABLE;
    if (fullscreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    window_.reset(SDL_CreateWindow(kWindowTitle, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                   width, height, flags));
    if (!window_) {
        error = std::string("cannot open a window: ") + SDL_GetError();
        return false;
    }
    SDL_SetWindowMinimumSize(window_.get(), ft::kScreenWidth,
                             ft::kScreenWidth * kShapeHeight / kShapeWidth);
    ShowPointer(!fullscreen);

    indexed_.reset(SDL_CreateRGBSurfaceWithFormat(0, ft::kScreenWidth, ft::kScreenHeight, 8,
                                                  SDL_PIXELFORMAT_INDEX8));
    if (!indexed_) {
        error = std::string("cannot make the picture surface: ") + SDL_GetError();
        return false;
    }
    // Black until the first picture: colour 0 everywhere, every entry black.
    SDL_FillRect(indexed_.get(), nullptr, 0);
    SetSurfacePalette(*indexed_, palette_);

    bool isNew = false;
    if (!FetchWindowSurface(isNew)) {
        error = std::string("cannot draw into the window: ") + SDL_GetError();
        return false;
    }
    Draw(true);
    return true;
}

void Video::Show(const Picture& picture, const ft::Palette& palette) {
    assert(picture.pixels != nullptr && picture.pitch >= ft::kScreenWidth);
    auto* rows = static_cast<std::uint8_t*>(indexed_->pixels);
    for (int y = 0; y < ft::kScreenHeight; ++y) {
        std::memcpy(rows + static_cast<std::ptrdiff_t>(y) * indexed_->pitch,
                    picture.pixels + static_cast<std::ptrdiff_t>(y) * picture.pitch,
                    ft::kScreenWidth);
    }
    if (palette != palette_) {
        palette_ = palette;
        SetSurfacePalette(*indexed_, palette_);
    }
    if (converted_) SDL_BlitSurface(indexed_.get(), nullptr, converted_.get(), nullptr);
    Draw(false);
}

void Video::Redraw() {
    Draw(true);
}

void Video::OnSizeChanged() {
    windowSurfaceStale_ = true;
    Draw(true);
}

void Video::ToggleFullscreen() {
    const bool toFullscreen = !IsFullscreen(window_.get());
    SDL_SetWindowFullscreen(window_.get(), toFullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    ShowPointer(!toFullscreen);
    OnSizeChanged();
}

bool Video::FetchWindowSurface(bool& isNew) {
    // Cheap while the surface is valid: SDL hands back the one it has.
    SDL_Surface* surface = SDL_GetWindowSurface(window_.get());
    if (surface == nullptr) {
        windowSurface_ = nullptr;
        return false;
    }
    isNew = windowSurfaceStale_ || surface != windowSurface_ || surface->w != windowSurfaceWidth_ ||
            surface->h != windowSurfaceHeight_;
    windowSurface_ = surface;
    windowSurfaceWidth_ = surface->w;
    windowSurfaceHeight_ = surface->h;
    windowSurfaceStale_ = false;
    if (!isNew) return true;

    target_ = FitPicture(surface->w, surface->h);
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));  // the bars
    if (!converted_ || converted_->format->format != surface->format->format) {
        converted_.reset(SDL_CreateRGBSurfaceWithFormat(0, ft::kScreenWidth, ft::kScreenHeight,
                                                        surface->format->BitsPerPixel,
                                                        surface->format->format));
        if (converted_) SDL_BlitSurface(indexed_.get(), nullptr, converted_.get(), nullptr);
    }
    return converted_ != nullptr;
}

void Video::Draw(bool everything) {
    // Once more after a failed update: SDL may have dropped the window surface
    // on a resize whose event has not reached us yet.
    for (int attempt = 0; attempt < 2; ++attempt) {
        bool isNew = false;
        if (!FetchWindowSurface(isNew)) return;
        if (isNew) everything = true;
        if (target_.w <= 0 || target_.h <= 0) return;

        SDL_Rect target = target_;  // the blit writes the clipped rectangle back
        SDL_BlitScaled(converted_.get(), nullptr, windowSurface_, &target);
        const int updated = everything ? SDL_UpdateWindowSurface(window_.get())
                                       : SDL_UpdateWindowSurfaceRects(window_.get(), &target_, 1);
        if (updated == 0) return;
        windowSurfaceStale_ = true;
        everything = true;
    }
}

}  // namespace platform::sdl
