// SPDX-License-Identifier: MIT
// sdl_presenter.cpp -- the GPU path's drawing and the presenting thread.
//
// With vsync a present waits for the display's next refresh, up to a whole
// refresh period, which the game's frames must never wait for: they keep the
// game's own clock (the frame schedule). So the thread that owns the renderer
// is not the game's. SDL's renderers belong to the thread that makes them,
// and so does their OpenGL context: this thread makes the renderer, draws,
// presents and destroys it, and nothing else touches it. The game's thread
// hands over each finished picture through a mailbox of one; at each refresh
// the presenter takes the newest and leaves any older one unshown.
#include "platform/sdl/sdl_presenter.h"

#include <utility>

#include "platform/common/warning.h"
#include "platform/sdl/sdl_video.h"
#include "platform/window/paused_picture.h"

namespace platform::sdl {

namespace {

constexpr ScreenRect kWholePicture{0, 0, kScreenWidth, kScreenHeight};

SDL_Rect RectOf(const ScreenRect& box) {
    return SDL_Rect{box.x, box.y, box.width, box.height};
}

void Fill(SDL_Renderer* renderer, const std::vector<ScreenRect>& boxes, Uint8 grey) {
    std::vector<SDL_Rect> rects;
    rects.reserve(boxes.size());
    for (const ScreenRect& box : boxes) rects.push_back(RectOf(box));
    SDL_SetRenderDrawColor(renderer, grey, grey, grey, 255);
    SDL_RenderFillRects(renderer, rects.data(), static_cast<int>(rects.size()));
}

}  // namespace

SDL_Texture* MakePictureTexture(SDL_Renderer* renderer) {
    SDL_Texture* texture =
        SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                          kScreenWidth, kScreenHeight);
    if (texture != nullptr) SDL_SetTextureScaleMode(texture, SDL_ScaleModeNearest);
    return texture;
}

SDL_Texture* PrescaledTexture::Of(SDL_Renderer* renderer, int width, int height) {
    if (refused_) return nullptr;
    if (texture_ != nullptr && width == width_ && height == height_) return texture_;
    Reset();
    if (SDL_RenderTargetSupported(renderer) == SDL_FALSE) {
        refused_ = true;
        Warn(
            "cannot scale sharp with the GPU: the renderer draws into no texture; scaling "
            "nearest neighbour");
        return nullptr;
    }
    texture_ = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET,
                                 width, height);
    if (texture_ == nullptr) {
        refused_ = true;
        Warn(std::string("cannot scale sharp with the GPU: ") + SDL_GetError() +
             "; scaling nearest neighbour");
        return nullptr;
    }
    SDL_SetTextureScaleMode(texture_, SDL_ScaleModeLinear);
    width_ = width;
    height_ = height;
    return texture_;
}

void PrescaledTexture::Reset() {
    if (texture_ != nullptr) SDL_DestroyTexture(texture_);
    texture_ = nullptr;
}

void DrawScene(SDL_Renderer* renderer, SDL_Texture* texture, PrescaledTexture& prescaled,
               const Scene& scene, const ScreenFit& fit) {
    // The whole texture anew each time: 64000 table look-ups, next to nothing
    // beside the GPU's work, and right after a lost device too.
    static const PictureScaler oneToOne;
    if (texture != nullptr) {
        void* pixels = nullptr;
        int pitch = 0;
        if (SDL_LockTexture(texture, nullptr, &pixels, &pitch) == 0) {
            // The locked pixels are the texture's whole, with no old content
            // to rely on: all of them are written.
            oneToOne.Draw(Picture{scene.pixels.data(), kScreenWidth}, scene.colours, kWholePicture,
                          static_cast<std::uint32_t*>(pixels), pitch);
            SDL_UnlockTexture(texture);
        }
    }
    int width = 0;
    int height = 0;
    if (SDL_GetRendererOutputSize(renderer, &width, &height) != 0) return;
    const ScreenRect target = FitPicture(width, height, fit);
    // Sharp: the picture enlarged nearest neighbour by whole factors into the
    // intermediate texture, which the copy onto the window smooths.
    SDL_Texture* shown = texture;
    if (IsSharp(fit) && !target.IsEmpty() && texture != nullptr) {
        const Prescale prescale = SharpPrescale(target);
        SDL_Texture* between =
            prescale.smooths ? prescaled.Of(renderer, prescale.width, prescale.height) : nullptr;
        if (between != nullptr && SDL_SetRenderTarget(renderer, between) == 0) {
            SDL_RenderCopy(renderer, texture, nullptr, nullptr);
            SDL_SetRenderTarget(renderer, nullptr);
            shown = between;
        }
    }
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);  // the bars
    if (!target.IsEmpty() && shown != nullptr) {
        const SDL_Rect rect = RectOf(target);
        SDL_RenderCopy(renderer, shown, nullptr, &rect);
        // A note waits behind a pause.
        if (scene.paused) {
            Fill(renderer, PausedBlocks(scene.hint, target), 255);
        } else if (!scene.note.empty()) {
            Fill(renderer, {NoteBox(scene.note, target)}, 0);
            Fill(renderer, NoteBlocks(scene.note, target), 255);
        }
        if (!scene.mark.empty()) {
            Fill(renderer, {MarkBox(scene.mark, target)}, 0);
            Fill(renderer, MarkBlocks(scene.mark, target), 255);
        }
        if (!scene.readout.empty()) {
            Fill(renderer, {ReadoutBox(scene.readout, target)}, 0);
            Fill(renderer, ReadoutBlocks(scene.readout, target), 255);
        }
    }
    SDL_RenderPresent(renderer);
}

Presenter::~Presenter() {
    Stop();
}

std::string Presenter::Start(SDL_Window* window, const ScreenFit& fit) {
    fit_ = fit;
    state_ = State::Starting;
    thread_ = std::thread([this, window] { Run(window); });
    std::unique_lock<std::mutex> hold(lock_);
    started_.wait(hold, [this] { return state_ != State::Starting; });
    if (state_ == State::Running) return {};
    hold.unlock();
    thread_.join();
    return why_;
}

void Presenter::Post(const Scene& scene, std::uint64_t shown) {
    {
        const std::lock_guard<std::mutex> hold(lock_);
        scene_ = scene;
        mailbox_.Post(shown);
    }
    wake_.notify_one();
}

void Presenter::Redraw(const Scene& scene) {
    {
        const std::lock_guard<std::mutex> hold(lock_);
        scene_ = scene;
        redraw_ = true;
    }
    wake_.notify_one();
}

std::vector<PlayerScreen::Presented> Presenter::TakePresented() {
    const std::lock_guard<std::mutex> hold(lock_);
    return std::exchange(presented_, {});
}

void Presenter::Stop() {
    if (!thread_.joinable()) return;
    {
        const std::lock_guard<std::mutex> hold(lock_);
        state_ = State::Stopping;
    }
    wake_.notify_one();
    thread_.join();
}

void Presenter::Run(SDL_Window* window) {
    RendererPtr renderer(
        SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC));
    TexturePtr texture;
    SDL_RendererInfo info{};
    std::string why;
    if (!renderer) {
        why = SDL_GetError();
    } else if (SDL_GetRendererInfo(renderer.get(), &info) != 0 ||
               (info.flags & SDL_RENDERER_PRESENTVSYNC) == 0) {
        why = "the driver offers no vsync";
    } else {
        texture.reset(MakePictureTexture(renderer.get()));
        if (!texture) why = SDL_GetError();
    }
    {
        const std::lock_guard<std::mutex> hold(lock_);
        state_ = why.empty() ? State::Running : State::Failed;
        why_ = why;
    }
    started_.notify_one();
    if (!why.empty()) return;

    PrescaledTexture prescaled;  // goes before the renderer
    Scene scene;
    for (;;) {
        std::optional<std::uint64_t> shown;
        {
            std::unique_lock<std::mutex> hold(lock_);
            wake_.wait(
                hold, [this] { return state_ == State::Stopping || mailbox_.HasNew() || redraw_; });
            if (state_ == State::Stopping) break;
            shown = mailbox_.Take();
            redraw_ = false;
            scene = scene_;
        }
        if (DisplayLost()) continue;
        // Waits here for the refresh, the game's thread going on meanwhile.
        DrawScene(renderer.get(), texture.get(), prescaled, scene, fit_);
        if (shown) {
            const auto now = static_cast<std::int64_t>(SDL_GetPerformanceCounter());
            const std::lock_guard<std::mutex> hold(lock_);
            constexpr std::size_t kMostKept = 1024;  // nobody asks: keep no more
            if (presented_.size() < kMostKept) presented_.push_back({*shown, now});
        }
    }
    if (DisplayLost()) {
        // Asking the lost display to take them down would end the process.
        prescaled.Release();
        (void)texture.release();
        (void)renderer.release();
    }
}

}  // namespace platform::sdl
