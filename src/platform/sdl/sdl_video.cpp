// SPDX-License-Identifier: MIT
// sdl_video.cpp -- the window: the two ways of drawing into it, letterboxing,
// redraws.
//
// The software path, where there is no real GPU (as under Xvfb): SDL's
// framebuffer acceleration is off, so the window surface is plain memory that
// SDL copies to the screen (on X11 a shared-memory image) and no OpenGL library
// is ever loaded. The program converts and scales only the part of the picture
// that changed, straight into that memory (picture_scale.h), and updates only
// that rectangle of the window. Under Xvfb a game frame in a 640x480 window
// costs about 0.1 ms of CPU this way; through Mesa's software OpenGL the whole
// program takes five times the CPU and 100 MB instead of 14.
//
// The GPU path: the picture converted into a streaming 320x200 texture that
// SDL's accelerated renderer scales, nearest neighbour, into the letterbox
// rectangle; with sharp scaling the renderer enlarges it by whole factors into
// a texture of its own first and smooths that onto the rectangle. The frame pacer, never the
// monitor's refresh rate, gives the game its 70 frames a second. With vsync (--present), a thread
// of its own presents the newest finished picture at each refresh (sdl_presenter.cpp); without,
// each picture is presented at once on the game's thread, and may tear on a display that nothing
// composites.
#include "platform/sdl/sdl_video.h"

#include <SDL_syswm.h>

#include <algorithm>
#include <atomic>
#include <cassert>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <tuple>
#include <vector>

#include "platform/common/warning.h"
#include "platform/sdl/sdl_quiet.h"
#include "platform/window/paused_picture.h"
#include "platform/window/window_icon.h"

#if defined(SDL_VIDEO_DRIVER_X11)
#include <dlfcn.h>
#endif

namespace platform::sdl {

namespace {

// Why a video driver's renderer is drawn from the window's own thread.
constexpr const char* kRendererOnWindowThread =
    "this video driver keeps its renderer on the window's thread";

constexpr const char* kWindowTitle = "FOMPY TALDEN";
constexpr ScreenRect kWholePicture{0, 0, kScreenWidth, kScreenHeight};

// Whether a renderer may live on a thread other than the one that made the
// window: where its OpenGL context may (X11, whose display SDL opens for
// threads, and Wayland).
bool MayPresentOnAThread() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr) return false;
    const std::string name = driver;
    return name == "x11" || name == "wayland";
}

bool IsDesktopFullscreen(SDL_Window* window) {
    return (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP) ==
           SDL_WINDOW_FULLSCREEN_DESKTOP;
}

// Whether a window manager looks after the window. SDL's desktop fullscreen
// asks the window manager to make the window cover the screen; without one (a
// bare X session, a kiosk) nobody does, and the window keeps its size while
// SDL draws for the screen's. A window manager that follows the desktop's
// common hints names itself on the root window. Xlib is SDL's own copy,
// already loaded: the program links no X library itself. Any other video
// driver (Wayland, Windows, macOS) always has one.
bool HasWindowManager(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) {
        return true;
    }
    void* xlib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
    if (xlib == nullptr) return true;
    using InternAtom = Atom (*)(Display*, const char*, Bool);
    using DefaultRootWindow = ::Window (*)(Display*);
    using GetWindowProperty = int (*)(Display*, ::Window, Atom, long, long, Bool, Atom, Atom*, int*,
                                      unsigned long*, unsigned long*, unsigned char**);
    using Free = int (*)(void*);
    const auto intern = reinterpret_cast<InternAtom>(dlsym(xlib, "XInternAtom"));
    const auto root = reinterpret_cast<DefaultRootWindow>(dlsym(xlib, "XDefaultRootWindow"));
    const auto property = reinterpret_cast<GetWindowProperty>(dlsym(xlib, "XGetWindowProperty"));
    const auto free = reinterpret_cast<Free>(dlsym(xlib, "XFree"));
    bool found = true;
    if (intern != nullptr && root != nullptr && property != nullptr && free != nullptr) {
        Display* display = info.info.x11.display;
        const Atom check = intern(display, "_NET_SUPPORTING_WM_CHECK", True);
        Atom type = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        found = check != None &&
                property(display, root(display), check, 0, 1, False, XA_WINDOW, &type, &format,
                         &count, &after, &data) == Success &&
                type == XA_WINDOW && count == 1;
        if (data != nullptr) free(data);
    }
    dlclose(xlib);
    return found;
#else
    (void)window;
    return true;
#endif
}

// Set once the display has gone away under the game.
std::atomic<bool> displayLost{false};

#if defined(SDL_VIDEO_DRIVER_X11)
// The X server going away under the game (it died, the session ended, the
// connection broke): Xlib tells of it through a handler, then calls the
// connection's exit handler, whose default ends the process at once; one
// that returns lets the game end the run as a close request does, while Xlib
// does no more on the lost connection. Xlib may call the handler from
// anywhere inside SDL, so it only raises the flag that the platform's event
// loop turns into a close request; it calls nothing of SDL's, whose other
// connections to the lost display would end the process from inside it.
void GoOnAfterDisplayLost(Display*, void*) {}

int DisplayGone(Display*) {
    if (!displayLost.exchange(true)) {
        Warn("the display went away; the game ends as if closed");
    }
    return 0;
}
#endif

}  // namespace

bool DisplayLost() {
    return displayLost.load();
}

namespace {

// Where the library lets the game go on without its display, losing it
// becomes a close request; elsewhere Xlib's own ending stands.
void WatchForDisplayLoss(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) return;
    void* xlib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
    if (xlib == nullptr) return;
    using IoHandler = int (*)(Display*);
    using SetIoHandler = IoHandler (*)(IoHandler);
    using ExitHandler = void (*)(Display*, void*);
    using SetExitHandler = void (*)(Display*, ExitHandler, void*);
    const auto setHandler = reinterpret_cast<SetIoHandler>(dlsym(xlib, "XSetIOErrorHandler"));
    // libX11 1.7 and later.
    const auto setExit = reinterpret_cast<SetExitHandler>(dlsym(xlib, "XSetIOErrorExitHandler"));
    if (setHandler != nullptr && setExit != nullptr) {
        setExit(info.info.x11.display, GoOnAfterDisplayLost, nullptr);
        setHandler(DisplayGone);
    }
    dlclose(xlib);  // SDL holds it loaded
#else
    (void)window;
    // Other video drivers end the run through their own quit events.
#endif
}

// The pointer means nothing to the game; in fullscreen it would only hide
// part of the picture.
void ShowPointer(bool show) {
    SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

// The window's own icon, for taskbars and window switchers: the installed
// icons' picture, so that a run from the build tree shows it too.
constexpr int kWindowIconSize = 64;

void SetWindowIcon(SDL_Window* window) {
    std::vector<IconPixel> icon = DrawIcon(kWindowIconSize);
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
        icon.data(), kWindowIconSize, kWindowIconSize, 32, kWindowIconSize * 4,
        SDL_PIXELFORMAT_RGBA32);     // red, green, blue, alpha in memory order
    if (surface == nullptr) return;  // no icon of its own, nothing worse
    SDL_SetWindowIcon(window, surface);
    SDL_FreeSurface(surface);
}

PixelLayout LayoutOf(const SDL_PixelFormat& format) {
    return PixelLayout{format.Rmask, format.Gmask, format.Bmask, format.Amask};
}

}  // namespace

Video::~Video() {
    presenter_.Stop();  // its renderer goes before the window
    if (noteTimer_ != 0) SDL_RemoveTimer(noteTimer_);
    if (window_) SDL_DelEventWatch(WatchWindow, this);
    if (DisplayLost()) {
        // Nothing is left to take down, and asking the lost display to would
        // end the process there: what SDL holds goes with it.
        prescaled_.Release();
        (void)texture_.release();
        (void)renderer_.release();
        (void)window_.release();
    }
}

Result<void> Video::Open(const SdlOptions& options) {
    fit_ = options.fit;
    // Without this SDL would back the window surface with an OpenGL texture,
    // loading the GL driver for what is a plain memory copy.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");

    // Hidden until the way of drawing is settled: the GPU path may have SDL
    // make the window anew, for OpenGL.
    const ScreenRect size = PictureSize(fit_);
    int scale = std::max(options.scale, 1);
    int width = size.width * scale;
    int height = size.height * scale;
    // A window larger than the screen would hide its own title bar: the scale
    // asked for is lowered until the window fits the usable part of the
    // screen it opens on.
    SDL_Rect usable{};
    if (options.windowWidth > 0 && options.windowHeight > 0) {
        // The size the window had when the game last ended, as far as it fits.
        width = std::max(options.windowWidth, size.width);
        height = std::max(options.windowHeight, size.height);
        if (SDL_GetDisplayUsableBounds(0, &usable) == 0) {
            width = std::max(std::min(width, usable.w), size.width);
            height = std::max(std::min(height, usable.h), size.height);
        }
    } else if (SDL_GetDisplayUsableBounds(0, &usable) == 0) {
        const int fitting = ScaleThatFits(fit_, scale, usable.w, usable.h);
        if (fitting < scale) {
            Warn("a window of --scale " + std::to_string(scale) + " (" +
                 std::to_string(size.width * scale) + "x" + std::to_string(size.height * scale) +
                 ") is larger than the screen's usable " + std::to_string(usable.w) + "x" +
                 std::to_string(usable.h) + "; --scale " + std::to_string(fitting) + " instead");
            width = size.width * fitting;
            height = size.height * fitting;
        }
    }
    const Uint32 flags = SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_HIDDEN;
    window_.reset(SDL_CreateWindow(kWindowTitle, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                   width, height, flags));
    if (!window_) {
        return Failure{std::string("cannot open a window: ") + SDL_GetError()};
    }
    SDL_SetWindowMinimumSize(window_.get(), size.width, size.height);
    windowedWidth_ = width;
    windowedHeight_ = height;
    SetWindowIcon(window_.get());
    windowManager_ = HasWindowManager(window_.get());

    const bool gpu = options.renderer == RendererChoice::Gpu ||
                     (options.renderer == RendererChoice::Auto && IsGpuWorthIt(window_.get()));
    std::string presenting;  // why the GPU path presents at once
    if (gpu && options.present != PresentMode::Immediate) {
        presenting = MayPresentOnAThread() ? presenter_.Start(window_.get(), fit_)
                                           : std::string(kRendererOnWindowThread);
        if (presenting.empty()) {
            layout_ = kTextureLayout;
            packed_ = PackPalette(palette_, layout_);
        }
    }
    const bool threaded = presenter_.IsRunning();
    const std::string why = threaded ? std::string()
                            : gpu    ? UseRenderer(SDL_RENDERER_ACCELERATED)
                                     : UseWindowSurface();
    if (gpu && !threaded && why.empty() && options.present == PresentMode::Vsync) {
        Warn("cannot present with vsync: " + presenting + "; presenting at once");
    }
    if (!why.empty()) {
        // The other way, then: no GPU driver after all, or a video driver
        // without a window surface (Wayland, KMSDRM). Only a choice the player
        // made is worth a word.
        if (options.renderer != RendererChoice::Auto) {
            Warn(std::string("cannot draw ") + (gpu ? "with the GPU" : "in software") + ": " + why +
                 "; drawing " + (gpu ? "in software" : "with the GPU"));
        }
        const std::string otherWhy = gpu ? UseWindowSurface() : UseRenderer(0);
        if (!otherWhy.empty()) {
            return Failure{"cannot draw into the window: " + why + "; " + otherWhy};
        }
    }

    // Fullscreen before the window is shown, so that it appears as it stays,
    // and after the renderer is made: OpenGL's makes the window anew, where
    // SDL last knew it to be, which a window not yet shown never tells.
    if (options.fullscreen) SetFullscreen(true);
    SDL_AddEventWatch(WatchWindow, this);
    WatchForDisplayLoss(window_.get());
    SDL_ShowWindow(window_.get());
    ShowPointer(!options.fullscreen);
    Redraw();
    return {};
}

std::string Video::UseWindowSurface() {
    SDL_Surface* surface = SDL_GetWindowSurface(window_.get());
    if (surface == nullptr) return SDL_GetError();
    const int bytes = surface->format->BytesPerPixel;
    if ((bytes != 2 && bytes != 4) || SDL_ISPIXELFORMAT_INDEXED(surface->format->format)) {
        return std::string("no way to draw into window pixels of the format ") +
               SDL_GetPixelFormatName(surface->format->format);
    }
    drawSharp_ = IsSharp(fit_) && bytes == 4;
    if (IsSharp(fit_) && !drawSharp_) {
        Warn("cannot scale sharp into window pixels of 16 bits; scaling nearest neighbour");
    }
    surfaceStale_ = true;  // fetched again and fitted at the first draw
    return std::string();
}

std::string Video::UseRenderer(Uint32 flags) {
    renderer_.reset(SDL_CreateRenderer(window_.get(), -1, flags));
    if (!renderer_) return SDL_GetError();
    texture_.reset(MakePictureTexture(renderer_.get()));
    if (!texture_) {
        std::string why = SDL_GetError();
        renderer_.reset();
        return why;
    }
    layout_ = kTextureLayout;
    packed_ = PackPalette(palette_, layout_);
    return std::string();
}

void Video::Show(const Picture& picture, const Palette& palette) {
    assert(picture.pixels != nullptr && picture.pitch >= kScreenWidth);
    ++showCalls_;
    const Picture kept{pixels_.data(), kScreenWidth};
    ScreenRect area = ChangedArea(kept, picture);
    for (int y = area.y; y < area.y + area.height; ++y) {
        std::memcpy(pixels_.data() + static_cast<std::ptrdiff_t>(y) * kScreenWidth,
                    picture.pixels + static_cast<std::ptrdiff_t>(y) * picture.pitch, kScreenWidth);
    }
    if (palette != palette_) {
        palette_ = palette;
        packed_ = PackPalette(palette_, layout_);
        area = kWholePicture;
    }
    if (presenter_.IsRunning()) {
        // Every picture goes to the presenter, changed or not, to be shown at
        // the next refresh unless a newer one comes first.
        presenter_.Post(MakeScene(), showCalls_);
        return;
    }
    if (!area.IsEmpty()) Draw(area, false);
}

void Video::Redraw() {
    Draw(kWholePicture, true);
}

bool Video::IsFullscreen() const {
    return ownFullscreen_ || IsDesktopFullscreen(window_.get());
}

std::pair<int, int> Video::WindowedSize() const {
    if (IsFullscreen()) return {windowedWidth_, windowedHeight_};
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(window_.get(), &width, &height);
    return {width, height};
}

void Video::SetPaused(bool paused, std::string_view hint) {
    if (paused == paused_ && hint == hint_) return;
    paused_ = paused;
    hint_ = hint;
    Redraw();
}

void Video::ShowNote(std::string note, int milliseconds) {
    if (noteEvent_ == 0) {
        {
            // SDL's timer thread starts with the first note, not before.
            const std::lock_guard<std::mutex> subsystems(SubsystemLock());
            if (SDL_InitSubSystem(SDL_INIT_TIMER) != 0) return;
        }
        noteEvent_ = SDL_RegisterEvents(1);
        if (noteEvent_ == static_cast<Uint32>(-1)) noteEvent_ = 0;
    }
    if (noteEvent_ == 0) return;  // no way to take it away again: not shown
    note_ = std::move(note);
    noteEnds_ = SDL_GetTicks64() + static_cast<Uint64>(milliseconds);
    // One timer at a time; an earlier one that fires finds the note not yet due.
    if (noteTimer_ == 0) {
        noteTimer_ = SDL_AddTimer(static_cast<Uint32>(milliseconds), NoteTimeUp,
                                  reinterpret_cast<void*>(static_cast<std::uintptr_t>(noteEvent_)));
    }
    Redraw();
}

Uint32 SDLCALL Video::NoteTimeUp(Uint32, void* eventType) {
    // SDL's timer thread: only the event queue is safe to touch here.
    SDL_Event event{};
    event.type = static_cast<Uint32>(reinterpret_cast<std::uintptr_t>(eventType));
    SDL_PushEvent(&event);
    return 0;  // once
}

bool Video::TakeEvent(const SDL_Event& event) {
    if (noteEvent_ == 0 || event.type != noteEvent_) return false;
    noteTimer_ = 0;
    const Uint64 now = SDL_GetTicks64();
    if (now < noteEnds_) {
        // A later note: its own time is not up yet.
        noteTimer_ = SDL_AddTimer(static_cast<Uint32>(noteEnds_ - now), NoteTimeUp,
                                  reinterpret_cast<void*>(static_cast<std::uintptr_t>(noteEvent_)));
        return true;
    }
    note_.clear();
    Redraw();
    return true;
}

void Video::ToggleFullscreen() {
    const bool toFullscreen = !IsFullscreen();
    if (toFullscreen) std::tie(windowedWidth_, windowedHeight_) = WindowedSize();
    if (!SetFullscreen(toFullscreen)) return;  // it stays as it is
    ShowPointer(!toFullscreen);
    surfaceStale_ = true;
    Redraw();
}

bool Video::SetFullscreen(bool fullscreen) {
    SDL_Window* window = window_.get();
    if (windowManager_) {
        return SDL_SetWindowFullscreen(window, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) == 0;
    }
    // Without a window manager the window is moved and sized by the program:
    // over the whole of its display, and back where and as large as it was.
    if (fullscreen) {
        SDL_Rect screen{};
        if (SDL_GetDisplayBounds(std::max(SDL_GetWindowDisplayIndex(window), 0), &screen) != 0) {
            return false;
        }
        SDL_GetWindowPosition(window, &windowed_.x, &windowed_.y);
        SDL_GetWindowSize(window, &windowed_.w, &windowed_.h);
        SDL_SetWindowPosition(window, screen.x, screen.y);
        SDL_SetWindowSize(window, screen.w, screen.h);
        SDL_RaiseWindow(window);
    } else {
        SDL_SetWindowSize(window, windowed_.w, windowed_.h);
        SDL_SetWindowPosition(window, windowed_.x, windowed_.y);
    }
    ownFullscreen_ = fullscreen;
    return true;
}

int SDLCALL Video::WatchWindow(void* video, SDL_Event* event) {
    // Called by SDL for every event as it is queued, on the thread that queues
    // it: window events come from the main thread's event pump, and also
    // while a wait for a key sleeps in SDL_WaitEvent, or while the system
    // holds the thread in a resize loop of its own.
    auto& self = *static_cast<Video*>(video);
    if (event->type == SDL_RENDER_DEVICE_RESET && self.renderer_) {
        // Every texture is gone with the device.
        self.texture_.reset(MakePictureTexture(self.renderer_.get()));
        self.prescaled_.Reset();
        self.Redraw();
        return 0;
    }
    if (event->type != SDL_WINDOWEVENT ||
        event->window.windowID != SDL_GetWindowID(self.window_.get())) {
        return 0;
    }
    switch (event->window.event) {
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            self.surfaceStale_ = true;
            self.Redraw();
            break;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_MOVED:
        case SDL_WINDOWEVENT_RESTORED:
            self.Redraw();
            break;
        default:
            break;
    }
    return 0;
}

void Video::Draw(ScreenRect area, bool everything) {
    if (!window_ || drawing_) return;
    if (presenter_.IsRunning()) {
        presenter_.Redraw(MakeScene());
        return;
    }
    drawing_ = true;
    if (paused_ || !note_.empty() || !mark_.empty() || !readout_.empty()) {
        area = kWholePicture;
        everything = true;
    }
    if (renderer_) {
        DrawWithRenderer();
    } else {
        DrawIntoSurface(area, everything);
    }
    drawing_ = false;
}

void Video::DrawIntoSurface(ScreenRect area, bool everything) {
    const Picture kept{pixels_.data(), kScreenWidth};
    // Once more after a failed update: SDL drops the window surface on a
    // resize whose event may not have reached us yet.
    for (int attempt = 0; attempt < 2; ++attempt) {
        SDL_Surface* surface = SDL_GetWindowSurface(window_.get());
        if (surface == nullptr) return;
        if (surfaceStale_ || surface != surface_ || surface->w != surfaceWidth_ ||
            surface->h != surfaceHeight_) {
            surface_ = surface;
            surfaceWidth_ = surface->w;
            surfaceHeight_ = surface->h;
            surfaceStale_ = false;
            layout_ = LayoutOf(*surface->format);
            packed_ = PackPalette(palette_, layout_);
            scaler_.SetTarget(FitPicture(surface->w, surface->h, fit_));
            if (drawSharp_) sharpScaler_.SetTarget(scaler_.Target());
            everything = true;
        }
        if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return;
        if (everything) {
            SDL_FillRect(surface, nullptr, PackColour(PaletteEntry{}, layout_));  // the bars
            area = kWholePicture;
        }
        if (drawSharp_ && surface->format->BytesPerPixel == 4) {
            sharpScaler_.Draw(kept, Colours(), area, static_cast<std::uint32_t*>(surface->pixels),
                              surface->pitch);
        } else if (surface->format->BytesPerPixel == 4) {
            scaler_.Draw(kept, Colours(), area, static_cast<std::uint32_t*>(surface->pixels),
                         surface->pitch);
        } else {
            scaler_.Draw(kept, Colours(), area, static_cast<std::uint16_t*>(surface->pixels),
                         surface->pitch);
        }
        if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
        // A note waits behind a pause.
        if (paused_) {
            DrawPausedWord(scaler_.Target());
        } else if (!note_.empty()) {
            DrawNote(scaler_.Target());
        }
        if (!mark_.empty()) {
            FillBoxes({MarkBox(mark_, scaler_.Target())}, MarkBlocks(mark_, scaler_.Target()));
        }
        if (!readout_.empty()) {
            FillBoxes({ReadoutBox(readout_, scaler_.Target())},
                      ReadoutBlocks(readout_, scaler_.Target()));
        }

        int updated = 0;
        if (everything) {
            updated = SDL_UpdateWindowSurface(window_.get());
        } else if (const ScreenRect changed =
                       drawSharp_ ? sharpScaler_.TargetArea(area) : scaler_.TargetArea(area);
                   !changed.IsEmpty()) {
            const SDL_Rect rect{changed.x, changed.y, changed.width, changed.height};
            updated = SDL_UpdateWindowSurfaceRects(window_.get(), &rect, 1);
        }
        if (updated == 0) return;
        surfaceStale_ = true;
        everything = true;
    }
}

void Video::DrawWithRenderer() {
    DrawScene(renderer_.get(), texture_.get(), prescaled_, MakeScene(), fit_);
}

Scene Video::MakeScene() const {
    Scene scene;
    scene.pixels = pixels_;
    scene.colours = Colours();
    scene.paused = paused_;
    scene.hint = hint_;
    scene.note = note_;
    scene.mark = mark_;
    scene.readout = readout_;
    return scene;
}

}  // namespace platform::sdl

namespace platform::sdl {

PackedPalette Video::Colours() const {
    return paused_ ? PackPalette(DimmedPalette(palette_), layout_) : packed_;
}

void Video::DrawPausedWord(const ScreenRect& target) {
    std::vector<SDL_Rect> blocks;
    for (const ScreenRect& block : PausedBlocks(hint_, target)) {
        blocks.push_back(SDL_Rect{block.x, block.y, block.width, block.height});
    }
    if (renderer_) {
        SDL_SetRenderDrawColor(renderer_.get(), 255, 255, 255, 255);
        SDL_RenderFillRects(renderer_.get(), blocks.data(), static_cast<int>(blocks.size()));
    } else if (surface_ != nullptr) {
        SDL_FillRects(surface_, blocks.data(), static_cast<int>(blocks.size()),
                      PackColour(PaletteEntry{255, 255, 255}, layout_));
    }
}

void Video::DrawNote(const ScreenRect& target) {
    FillBoxes({NoteBox(note_, target)}, NoteBlocks(note_, target));
}

void Video::FillBoxes(const std::vector<ScreenRect>& black, const std::vector<ScreenRect>& white) {
    const auto rects = [](const std::vector<ScreenRect>& boxes) {
        std::vector<SDL_Rect> out;
        for (const ScreenRect& box : boxes)
            out.push_back(SDL_Rect{box.x, box.y, box.width, box.height});
        return out;
    };
    const std::vector<SDL_Rect> backing = rects(black);
    const std::vector<SDL_Rect> blocks = rects(white);
    if (renderer_) {
        SDL_SetRenderDrawColor(renderer_.get(), 0, 0, 0, 255);
        SDL_RenderFillRects(renderer_.get(), backing.data(), static_cast<int>(backing.size()));
        SDL_SetRenderDrawColor(renderer_.get(), 255, 255, 255, 255);
        SDL_RenderFillRects(renderer_.get(), blocks.data(), static_cast<int>(blocks.size()));
    } else if (surface_ != nullptr) {
        SDL_FillRects(surface_, backing.data(), static_cast<int>(backing.size()),
                      PackColour(PaletteEntry{}, layout_));
        SDL_FillRects(surface_, blocks.data(), static_cast<int>(blocks.size()),
                      PackColour(PaletteEntry{255, 255, 255}, layout_));
    }
}

void Video::SetMark(std::string_view mark) {
    if (mark == mark_) return;
    mark_ = mark;
    Redraw();
}

void Video::SetReadout(std::string_view line) {
    if (line == readout_) return;
    readout_ = line;
    Redraw();
}

// The desktop's mode of the window's display, the one desktop fullscreen
// keeps.
int Video::RefreshRate() const {
    SDL_DisplayMode mode{};
    const int display = SDL_GetWindowDisplayIndex(window_.get());
    if (display < 0 || SDL_GetDesktopDisplayMode(display, &mode) != 0) return 0;
    return mode.refresh_rate;
}

}  // namespace platform::sdl
