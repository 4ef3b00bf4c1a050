// sdl_platform.cpp -- the players' platform: SDL's keyboard events turned into
// the seven keys and delivered at the delivery points, frame pacing, the
// window and the single voice put together.
#include "platform/sdl/sdl_platform.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>
#include <thread>

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <unistd.h>
#endif

#include "platform/input_events.h"
#include "platform/sdl/sdl_sound.h"
#include "platform/sdl/sdl_video.h"

namespace platform {

namespace {

// SDL itself: initialised before anything else of the platform, shut down
// after everything else.
class SdlLibrary {
public:
    SdlLibrary() = default;
    SdlLibrary(const SdlLibrary&) = delete;
    SdlLibrary& operator=(const SdlLibrary&) = delete;
    ~SdlLibrary() { SDL_Quit(); }
};

std::optional<Key> KeyOf(SDL_Keycode code) {
    switch (code) {
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
            return Key::Enter;
        case SDLK_ESCAPE:
            return Key::Escape;
        case SDLK_SPACE:
            return Key::Space;
        case SDLK_LEFT:
            return Key::Left;
        case SDLK_UP:
            return Key::Up;
        case SDLK_RIGHT:
            return Key::Right;
        case SDLK_DOWN:
            return Key::Down;
        default:
            return std::nullopt;
    }
}

bool IsAltEnter(const SDL_KeyboardEvent& key) {
    return (key.keysym.sym == SDLK_RETURN || key.keysym.sym == SDLK_KP_ENTER) &&
           (key.keysym.mod & KMOD_ALT) != 0;
}

// SDL falls back to drawing into memory ("offscreen", "dummy") when no
// screen can be opened, which would run the game unseen. Unless the player
// names a driver in SDL_VIDEODRIVER, only drivers that show something are tried.
void ChooseScreenDrivers() {
    std::string drivers;
    for (int i = 0; i < SDL_GetNumVideoDrivers(); ++i) {
        const std::string name = SDL_GetVideoDriver(i);
        if (name == "offscreen" || name == "dummy" || name == "evdev") continue;
        if (!drivers.empty()) drivers += ',';
        drivers += name;
    }
    SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers.c_str());  // the variable, when set, wins
}

// Sends standard error to /dev/null for its lifetime.
class QuietStandardError {
public:
    QuietStandardError() {
#if defined(__unix__) || defined(__APPLE__)
        std::fflush(stderr);
        saved_ = dup(STDERR_FILENO);
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, STDERR_FILENO);
            close(null);
        }
#endif
    }
    QuietStandardError(const QuietStandardError&) = delete;
    QuietStandardError& operator=(const QuietStandardError&) = delete;
    ~QuietStandardError() {
#if defined(__unix__) || defined(__APPLE__)
        if (saved_ < 0) return;
        std::fflush(stderr);
        dup2(saved_, STDERR_FILENO);
        close(saved_);
#endif
    }

private:
    int saved_ = -1;
};

// Frames at a steady rate: after each present, wait for the next slot of the
// schedule. A present more than a period late starts the schedule anew
// instead of racing to catch up.
class FramePacer {
public:
    explicit FramePacer(int fps)
        : period_(SDL_GetPerformanceFrequency() / static_cast<Uint64>(std::max(fps, 1))) {}

    void WaitForNextSlot() {
        const Uint64 now = SDL_GetPerformanceCounter();
        if (!started_ || now > nextSlot_ + period_) nextSlot_ = now + period_;
        started_ = true;
        WaitUntil(nextSlot_);
        nextSlot_ += period_;
    }

private:
    // Sleeps for the bulk of the time and spins only for the last fraction of
    // a millisecond, where a sleep could overshoot.
    static void WaitUntil(Uint64 deadline) {
        const double ticksPerMicrosecond = static_cast<double>(SDL_GetPerformanceFrequency()) / 1e6;
        constexpr double kSpinMicroseconds = 300.0;
        for (;;) {
            const Uint64 now = SDL_GetPerformanceCounter();
            if (now >= deadline) return;
            const double left = static_cast<double>(deadline - now) / ticksPerMicrosecond;
            if (left > kSpinMicroseconds) {
                std::this_thread::sleep_for(
                    std::chrono::microseconds(static_cast<std::int64_t>(left - kSpinMicroseconds)));
            }
        }
    }

    Uint64 period_;        // performance-counter ticks per frame
    Uint64 nextSlot_ = 0;  // performance-counter time the next wait ends
    bool started_ = false;
};

class SdlPlatform final : public Platform {
public:
    explicit SdlPlatform(const SdlOptions& options) : pacer_(options.fps) {}

    // Video first: without a display there is no game. Sound may fail.
    bool Open(const SdlOptions& options, std::string& error) {
        // Ctrl+C in the terminal ends the program as usual, instead of
        // becoming a close request that the game acts on only at shutdown.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        ChooseScreenDrivers();
        std::string noSound;
        {
            // What we say about a failure is one line; the libraries SDL
            // probes would add their own diagnostics.
            QuietStandardError quiet;
            if (SDL_Init(SDL_INIT_VIDEO) != 0) {
                error = std::string("cannot open display: ") + SDL_GetError() + "; is DISPLAY set?";
                return false;
            }
            noSound = voice_.OpenDevice();
        }
        // The game reads keys, never text: no text events, no input method.
        SDL_StopTextInput();
        if (!video_.Open(options.fullscreen, options.scale, error)) return false;
        if (!noSound.empty()) {
            std::fprintf(stderr, "fompy-talden: no sound: %s; playing silently\n", noSound.c_str());
        }
        voice_.LoadRecordings();
        return true;
    }

    void ShowPicture(const Picture& picture, const ft::Palette& palette,
                     PictureKind kind) override {
        video_.Show(picture, palette);
        if (kind != PictureKind::Present) return;
        timeline_.OnPresent();
        pacer_.WaitForNextSlot();
    }

    void DeliverDueInput(KeyState& keys) override {
        if (!timeline_.IsDeliveryDue()) return;
        SDL_Event event;
        while (SDL_PollEvent(&event) != 0) Absorb(event, timeline_.Now());
        timeline_.DeliverAtPoll(keys);
    }

    void WaitForInput(KeyState& keys) override {
        if (!timeline_.HasPending()) {
            // What arrives while a wait loop waits belongs after every poll
            // made so far, so that a replay delivers it at this same wait.
            timeline_.AdvanceTo(timeline_.Now() + 1);
            const std::uint64_t time = timeline_.Now();
            bool arrived = false;
            SDL_Event event;
            while (!arrived) {
                if (SDL_WaitEvent(&event) == 0) {
                    SDL_Delay(10);  // no event system left to wait on; do not spin
                    continue;
                }
                arrived = Absorb(event, time);
            }
            while (SDL_PollEvent(&event) != 0) Absorb(event, time);
        }
        timeline_.DeliverAtWait(keys);
    }

    void PlayCue(int resource) override { voice_.Play(resource, false); }
    void LoopCue(int resource) override { voice_.Play(resource, true); }
    void StopSound() override { voice_.Stop(); }

    std::uint32_t CalendarSeconds() override {
        return static_cast<std::uint32_t>(std::time(nullptr));
    }

private:
    // Handles one SDL event: the seven keys and a close request are queued as
    // input due at time; window events redraw. True when it was input.
    bool Absorb(const SDL_Event& event, std::uint64_t time) {
        switch (event.type) {
            case SDL_QUIT:
                timeline_.Enqueue(InputEvent{time, InputEvent::Kind::Close, Key::Enter});
                return true;
            case SDL_KEYDOWN:
            case SDL_KEYUP: {
                const bool down = event.type == SDL_KEYDOWN;
                if (down && IsAltEnter(event.key)) {
                    // The platform's own key: not Enter for the game.
                    if (event.key.repeat == 0) video_.ToggleFullscreen();
                    return false;
                }
                const std::optional<Key> key = KeyOf(event.key.keysym.sym);
                if (!key) return false;
                // A held key's auto-repeat arrives as another down and sets
                // its pressed flag again.
                const auto kind = down ? InputEvent::Kind::KeyDown : InputEvent::Kind::KeyUp;
                timeline_.Enqueue(InputEvent{time, kind, *key});
                return true;
            }
            case SDL_WINDOWEVENT:
                switch (event.window.event) {
                    case SDL_WINDOWEVENT_SIZE_CHANGED:
                        video_.OnSizeChanged();
                        break;
                    case SDL_WINDOWEVENT_EXPOSED:
                        video_.Redraw();
                        break;
                    default:
                        break;
                }
                return false;
            default:
                return false;
        }
    }

    // Destroyed in reverse: the voice and the window go before SDL itself.
    SdlLibrary library_;
    sdl::Video video_;
    sdl::Voice voice_;
    InputTimeline timeline_;
    FramePacer pacer_;
};

}  // namespace

std::unique_ptr<Platform> OpenSdlPlatform(const SdlOptions& options, std::string& error) {
    auto sdlPlatform = std::make_unique<SdlPlatform>(options);
    if (!sdlPlatform->Open(options, error)) return nullptr;
    return sdlPlatform;
}

}  // namespace platform
