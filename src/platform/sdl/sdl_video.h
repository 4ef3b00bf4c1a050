// SPDX-License-Identifier: MIT
// sdl_video.h -- the window of the players' platform: the 320x200 8-bit
// picture converted through its palette and scaled, letterboxed, into a window
// or desktop fullscreen, by the program into the window surface or by the GPU.
// Used only inside platform/sdl.
#pragma once

#include <SDL.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "core/seam/platform.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/sdl/sdl_presenter.h"
#include "platform/window/picture_scale.h"
#include "platform/window/player_backend.h"
#include "platform/window/screen_fit.h"

namespace platform::sdl {

struct WindowDeleter {
    void operator()(SDL_Window* window) const { SDL_DestroyWindow(window); }
};
struct RendererDeleter {
    void operator()(SDL_Renderer* renderer) const { SDL_DestroyRenderer(renderer); }
};
struct TextureDeleter {
    void operator()(SDL_Texture* texture) const { SDL_DestroyTexture(texture); }
};
using WindowPtr = std::unique_ptr<SDL_Window, WindowDeleter>;
using RendererPtr = std::unique_ptr<SDL_Renderer, RendererDeleter>;
using TexturePtr = std::unique_ptr<SDL_Texture, TextureDeleter>;

// Whether the GPU should scale the picture on this machine, decided without
// loading OpenGL (see sdl_gpu_check.cpp). The window must exist.
bool IsGpuWorthIt(SDL_Window* window);

// Whether the display went away under the game (the X server died, the
// connection broke). The event loop then ends the run as a close request,
// and nothing asks the display for anything more at the end.
bool DisplayLost();

// The window and the last picture shown in it. Lives from Open to the end of
// the run; needs SDL's video subsystem for all that time.
class Video final : public PlayerScreen {
public:
    Video() = default;
    Video(const Video&) = delete;
    Video& operator=(const Video&) = delete;
    ~Video();

    // Creates the window (desktop fullscreen, or PictureSize(fit) times scale)
    // and the way of drawing into it that options.renderer asks for, falling
    // back to the other one. A failure names its cause in one line.
    Result<void> Open(const SdlOptions& options);

    // Keeps a copy of the picture and its palette and shows what changed at
    // once. The picture is borrowed for the call.
    void Show(const Picture& picture, const Palette& palette) override;

    // Draws the kept picture again, bars included, into a window of whatever
    // size it has now. Called by itself on every resize, expose and move of
    // the window, while the game runs or waits.
    void Redraw();

    // Alt+Enter: between desktop fullscreen and a window.
    void ToggleFullscreen() override;
    bool IsFullscreen() const override;
    // The window's size, or the size it had when it last was a window
    // (points, as SDL sizes windows).
    std::pair<int, int> WindowedSize() const override;

    // Paused: the kept picture is shown dimmed, with "PAUSED" in the middle
    // in the game's small font, drawn over the scaled picture; the picture
    // kept is not touched.
    void SetPaused(bool paused, std::string_view hint) override;

    // A note over the top of the picture (the volume after a volume key),
    // for the milliseconds asked: a timer then queues an event that the platform
    // hands to TakeEvent, which takes the note away. A new note replaces the
    // one shown and its time starts again.
    void ShowNote(std::string note, int milliseconds) override;
    void SetMark(std::string_view mark) override;
    void SetReadout(std::string_view line) override;
    int RefreshRate() const override;
    // With vsync on the GPU path the presenter's thread shows the pictures.
    bool PresentsLater() const override { return presenter_.IsRunning(); }
    std::vector<Presented> TakePresented() override { return presenter_.TakePresented(); }
    // True when the event was the note's timer (the platform's loops hand
    // every event here first).
    bool TakeEvent(const SDL_Event& event);

    // The picture on the screen, as the game last showed it.
    Picture Shown() const override { return Picture{pixels_.data(), kScreenWidth}; }
    const Palette& ShownPalette() const override { return palette_; }
    const ScreenFit& Fit() const { return fit_; }

private:
    static int SDLCALL WatchWindow(void* video, SDL_Event* event);

    // Desktop fullscreen or a window; false when it stays as it is.
    bool SetFullscreen(bool fullscreen);

    // The two ways of drawing; each returns why it cannot be used, or "".
    std::string UseWindowSurface();
    std::string UseRenderer(Uint32 flags);

    // Shows the picture pixels of area, or the whole window when everything.
    void Draw(ScreenRect area, bool everything);
    void DrawIntoSurface(ScreenRect area, bool everything);
    void DrawWithRenderer();
    // What the GPU path draws now.
    Scene MakeScene() const;
    // The packed palette to draw with: packed_, or dimmed while paused.
    PackedPalette Colours() const;
    // The word "PAUSED", and the note, over the picture in target (window
    // pixels).
    void DrawPausedWord(const ScreenRect& target);
    void DrawNote(const ScreenRect& target);
    // Black boxes, then white blocks over them.
    void FillBoxes(const std::vector<ScreenRect>& black, const std::vector<ScreenRect>& white);
    static Uint32 SDLCALL NoteTimeUp(Uint32 interval, void* eventType);

    WindowPtr window_;
    ScreenFit fit_;
    // Whether a window manager carries out SDL's fullscreen. Without one the
    // program covers the screen with the window itself (ownFullscreen_),
    // keeping where the window was and its size (windowed_) for the way back.
    bool windowManager_ = true;
    bool ownFullscreen_ = false;
    SDL_Rect windowed_{};
    // The last picture (pitch 320) and the palette it was shown with.
    std::array<std::uint8_t, 320 * 200> pixels_{};
    Palette palette_{};
    PackedPalette packed_{};  // palette_ in layout_
    PixelLayout layout_;      // of the window surface or of the texture
    bool drawing_ = false;    // a draw is under way: a window event must not start another
    bool paused_ = false;
    std::string hint_;      // under PAUSED
    std::string note_;      // "" when none
    std::string mark_;      // "" when none
    std::string readout_;   // "" when none
    Uint64 noteEnds_ = 0;   // SDL_GetTicks64 time the note goes
    Uint32 noteEvent_ = 0;  // the timer's event type, once registered
    SDL_TimerID noteTimer_ = 0;
    int windowedWidth_ = 0;  // before the latest switch to fullscreen
    int windowedHeight_ = 0;

    // The software path. The window surface is owned by the window and valid
    // until its size changes; SDL then hands out a new one.
    SDL_Surface* surface_ = nullptr;
    int surfaceWidth_ = 0;      // pixels, as last fetched
    int surfaceHeight_ = 0;     // pixels
    bool surfaceStale_ = true;  // the window's size changed since the fetch
    PictureScaler scaler_;      // onto the letterbox rectangle of the window surface
    // Or, with sharp scaling into 32-bit window pixels, this one onto the
    // same rectangle.
    SharpScaler sharpScaler_;
    bool drawSharp_ = false;

    // The GPU path: the picture, converted, in a 320x200 texture that the
    // renderer scales into the letterbox rectangle, presented at once.
    RendererPtr renderer_;
    TexturePtr texture_;
    PrescaledTexture prescaled_;  // sharp scaling's; goes before the renderer

    // Or, with vsync, the presenter's thread owns the renderer, and the
    // pictures go to it; showCalls_ numbers them.
    Presenter presenter_;
    std::uint64_t showCalls_ = 0;
};

}  // namespace platform::sdl
