// SPDX-License-Identifier: MIT
// sdl_presenter.h -- the GPU path's drawing, once for both ways of
// presenting: at once on the game's thread, or by a thread of its own that
// owns the renderer and shows the newest finished picture at each refresh of
// the display (vsync), so that the game never waits for the display and the
// display never shows a torn picture. Used only inside platform/sdl.
#pragma once

#include <SDL.h>

#include <array>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/seam/platform.h"
#include "platform/window/picture_scale.h"
#include "platform/window/player_backend.h"
#include "platform/window/present_schedule.h"
#include "platform/window/screen_fit.h"

namespace platform::sdl {

// What the window shows: the picture in its colours and what lies over it.
struct Scene {
    std::array<std::uint8_t, kScreenWidth * kScreenHeight> pixels{};  // pitch 320
    PackedPalette colours{};  // in the texture's layout, dimmed while paused
    bool paused = false;
    std::string hint;     // under PAUSED
    std::string note;     // "" when none
    std::string mark;     // "" when none
    std::string readout;  // "" when none
};

// The texture's pixels: SDL_PIXELFORMAT_ARGB8888, always opaque.
inline constexpr PixelLayout kTextureLayout{0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};

// A 320x200 streaming texture of the renderer, scaled nearest neighbour;
// null with SDL's error to say.
SDL_Texture* MakePictureTexture(SDL_Renderer* renderer);

// Sharp scaling's intermediate picture (SharpPrescale): a render target of
// one renderer, the picture enlarged into it by whole factors and smoothed
// from it onto the window by the GPU's linear filter. Made at the size the
// window asks for, again when that changes; belongs to the renderer's thread.
class PrescaledTexture {
public:
    PrescaledTexture() = default;
    PrescaledTexture(const PrescaledTexture&) = delete;
    PrescaledTexture& operator=(const PrescaledTexture&) = delete;
    ~PrescaledTexture() { Reset(); }

    // The texture, width by height pixels; null where the renderer cannot
    // draw into a texture (said once, and the picture is scaled nearest
    // neighbour from then on).
    SDL_Texture* Of(SDL_Renderer* renderer, int width, int height);
    // Gone with a lost device or before its renderer.
    void Reset();
    // Forgotten without asking the renderer (the display went away).
    void Release() { texture_ = nullptr; }

private:
    SDL_Texture* texture_ = nullptr;
    int width_ = 0;  // pixels
    int height_ = 0;
    bool refused_ = false;
};

// The scene into the whole output of renderer, letterboxed as fit says, and
// presented (the present waits for the refresh on a vsynced renderer).
// prescaled serves sharp scaling.
void DrawScene(SDL_Renderer* renderer, SDL_Texture* texture, PrescaledTexture& prescaled,
               const Scene& scene, const ScreenFit& fit);

// The thread that owns a vsynced renderer of the window and presents on it.
class Presenter {
public:
    Presenter() = default;
    Presenter(const Presenter&) = delete;
    Presenter& operator=(const Presenter&) = delete;
    ~Presenter();

    // Starts the thread, which makes the renderer and its texture; "" once
    // it presents waiting for the refreshes, else why not (a driver that
    // offers no vsync), and no thread is left.
    std::string Start(SDL_Window* window, const ScreenFit& fit);
    bool IsRunning() const { return thread_.joinable(); }

    // A new picture (its number among the screen's Show calls) to show at
    // the next refresh, in place of any not yet shown.
    void Post(const Scene& scene, std::uint64_t shown);
    // The picture shown, drawn again: the window changed, or what lies over
    // the picture.
    void Redraw(const Scene& scene);
    // The pictures that reached the display since the last call.
    std::vector<PlayerScreen::Presented> TakePresented();
    // Ends the thread; the renderer goes with it.
    void Stop();

private:
    void Run(SDL_Window* window);

    ScreenFit fit_;
    std::thread thread_;
    std::mutex lock_;  // over everything below
    std::condition_variable wake_;
    std::condition_variable started_;
    enum class State : std::uint8_t {
        Starting,
        Running,
        Failed,
        Stopping
    } state_ = State::Starting;
    std::string why_;  // of a failed start
    Scene scene_;
    FrameMailbox mailbox_;
    bool redraw_ = false;
    std::vector<PlayerScreen::Presented> presented_;
};

}  // namespace platform::sdl
