// SPDX-License-Identifier: MIT
// sdl_platform.cpp -- the players' desktop backend: SDL's events translated
// into the player platform's news (key names, the window, the pads), its
// clock and sleeps, the window and the single voice put together.
#include "platform/sdl/sdl_platform.h"

#include <SDL.h>

#include <array>
#include <chrono>
#include <csignal>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>

#if defined(__unix__) || defined(__APPLE__)
#include <pthread.h>
#include <signal.h>
#endif

#include "platform/common/warning.h"
#include "platform/sdl/sdl_quiet.h"
#include "platform/sdl/sdl_sound.h"
#include "platform/sdl/sdl_video.h"
#include "platform/window/key_names.h"
#include "platform/window/pad_keys.h"
#include "platform/window/player_backend.h"

namespace platform {

namespace {

// How often a wait for a key looks at the gamepads (milliseconds). With a pad
// plugged in, SDL cannot sleep until an event arrives; its own wait would look
// every millisecond.
constexpr Uint32 kPadWaitMilliseconds = 10;

// How long a wait for an event lasts before it looks whether the display
// was lost meanwhile (milliseconds).
constexpr int kWaitSliceMilliseconds = 100;

// SIGINT, SIGTERM and SIGHUP in a window run (the terminal's Ctrl+C, kill,
// a closed terminal) each ask the program to end as closing the window does:
// a thread of their own waits for them and posts SDL's quit event, which
// wakes a wait for a key at once, like the window's close button. The
// signals are blocked in every other thread, so none of them is interrupted.
//
// They are blocked from the start, but the thread is started only once the
// first picture is on the screen: while a process has one thread, the C
// library reads files without locking, and SDL's start-up reads the
// keyboard's compose table (hundreds of kilobytes) a character at a time. A
// signal that comes before waits, pending, for the thread.
class CloseSignals {
public:
    CloseSignals() {
#if defined(__unix__) || defined(__APPLE__)
        sigemptyset(&signals_);
        for (int signal : {SIGINT, SIGTERM, SIGHUP, kStopSignal}) sigaddset(&signals_, signal);
        // Before any other thread starts (SDL's, the sound's): they inherit it.
        blocked_ = pthread_sigmask(SIG_BLOCK, &signals_, nullptr) == 0;
#endif
    }
    CloseSignals(const CloseSignals&) = delete;
    CloseSignals& operator=(const CloseSignals&) = delete;
    ~CloseSignals() {
#if defined(__unix__) || defined(__APPLE__)
        if (!watcher_.joinable()) return;
        pthread_kill(watcher_.native_handle(), kStopSignal);
        watcher_.join();
#endif
    }

    // Starts the watching thread; again, it does nothing.
    void Watch() {
#if defined(__unix__) || defined(__APPLE__)
        if (!blocked_ || watcher_.joinable()) return;
        watcher_ = std::thread([this] {
            for (;;) {
                int signal = 0;
                if (sigwait(&signals_, &signal) != 0 || signal == kStopSignal) return;
                SDL_Event quit{};
                quit.type = SDL_QUIT;
                SDL_PushEvent(&quit);
            }
        });
#endif
    }

private:
#if defined(__unix__) || defined(__APPLE__)
    static constexpr int kStopSignal = SIGUSR2;  // ends the watcher at shutdown
    sigset_t signals_{};
    bool blocked_ = false;
#endif
    std::thread watcher_;
};

// SDL itself: initialised before anything else of the platform, shut down
// after everything else.
class SdlLibrary {
public:
    SdlLibrary() = default;
    SdlLibrary(const SdlLibrary&) = delete;
    SdlLibrary& operator=(const SdlLibrary&) = delete;
    ~SdlLibrary() {
        // A lost display cannot be taken down: all else is.
        if (sdl::DisplayLost()) {
            SDL_QuitSubSystem(SDL_WasInit(0) & ~SDL_INIT_VIDEO);
        } else {
            SDL_Quit();
        }
    }
};

// The keys of the keyboard by their names (key_names.h), as their labels say
// in the keyboard layout in use; the letters, digits, F1 to F12 and the
// keypad's digits are reckoned below.
constexpr std::array<std::pair<SDL_Keycode, std::string_view>, 41> kKeyNames = {{
    {SDLK_LEFT, "Left"},
    {SDLK_RIGHT, "Right"},
    {SDLK_UP, "Up"},
    {SDLK_DOWN, "Down"},
    {SDLK_SPACE, "Space"},
    {SDLK_RETURN, "Enter"},
    {SDLK_ESCAPE, "Escape"},
    {SDLK_TAB, "Tab"},
    {SDLK_BACKSPACE, "Backspace"},
    {SDLK_INSERT, "Insert"},
    {SDLK_DELETE, "Delete"},
    {SDLK_HOME, "Home"},
    {SDLK_END, "End"},
    {SDLK_PAGEUP, "PageUp"},
    {SDLK_PAGEDOWN, "PageDown"},
    {SDLK_KP_0, "Keypad0"},
    {SDLK_KP_ENTER, "KeypadEnter"},
    {SDLK_KP_PLUS, "KeypadPlus"},
    {SDLK_KP_MINUS, "KeypadMinus"},
    {SDLK_KP_MULTIPLY, "KeypadMultiply"},
    {SDLK_KP_DIVIDE, "KeypadDivide"},
    {SDLK_KP_PERIOD, "KeypadPeriod"},
    {SDLK_LSHIFT, "LeftShift"},
    {SDLK_RSHIFT, "RightShift"},
    {SDLK_LCTRL, "LeftCtrl"},
    {SDLK_RCTRL, "RightCtrl"},
    {SDLK_LALT, "LeftAlt"},
    {SDLK_RALT, "RightAlt"},
    {SDLK_PAUSE, "Pause"},
    {SDLK_PRINTSCREEN, "PrintScreen"},
    {SDLK_COMMA, "Comma"},
    {SDLK_PERIOD, "Period"},
    {SDLK_SLASH, "Slash"},
    {SDLK_SEMICOLON, "Semicolon"},
    {SDLK_QUOTE, "Apostrophe"},
    {SDLK_LEFTBRACKET, "LeftBracket"},
    {SDLK_RIGHTBRACKET, "RightBracket"},
    {SDLK_BACKSLASH, "Backslash"},
    {SDLK_MINUS, "Minus"},
    {SDLK_EQUALS, "Equals"},
    {SDLK_BACKQUOTE, "Backquote"},
}};

std::string_view NameOf(SDL_Keycode code) {
    std::optional<std::string_view> name;
    if ((code >= SDLK_a && code <= SDLK_z) || (code >= SDLK_0 && code <= SDLK_9)) {
        const char label[2] = {static_cast<char>(code), '\0'};
        name = FindKeyName(label);
    } else if (code >= SDLK_F1 && code <= SDLK_F12) {
        name = FindKeyName("F" + std::to_string(code - SDLK_F1 + 1));
    } else if (code >= SDLK_KP_1 && code <= SDLK_KP_9) {
        name = FindKeyName("Keypad" + std::to_string(code - SDLK_KP_1 + 1));
    }
    if (name) return *name;
    for (const auto& [known, spelt] : kKeyNames) {
        if (known == code) return spelt;
    }
    return {};
}

// The buttons of a gamepad that carry keys, by SDL's names (the positions
// of an Xbox pad).
constexpr std::array<std::pair<Uint8, PadButton>, 9> kPadButtons = {{
    {SDL_CONTROLLER_BUTTON_DPAD_LEFT, kPadLeft},
    {SDL_CONTROLLER_BUTTON_DPAD_UP, kPadUp},
    {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, kPadRight},
    {SDL_CONTROLLER_BUTTON_DPAD_DOWN, kPadDown},
    {SDL_CONTROLLER_BUTTON_A, kPadA},
    {SDL_CONTROLLER_BUTTON_START, kPadStart},
    {SDL_CONTROLLER_BUTTON_B, kPadB},
    {SDL_CONTROLLER_BUTTON_BACK, kPadBack},
    {SDL_CONTROLLER_BUTTON_X, kPadX},
}};

std::optional<PadButton> PadButtonOf(Uint8 button) {
    for (const auto& [sdl, ours] : kPadButtons) {
        if (sdl == button) return ours;
    }
    return std::nullopt;
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

// The gamepads plugged in, by SDL's instance number. Lives for the run.
class Gamepads {
public:
    Gamepads() = default;
    Gamepads(const Gamepads&) = delete;
    Gamepads& operator=(const Gamepads&) = delete;
    ~Gamepads() {
        for (auto& [id, pad] : pads_) SDL_GameControllerClose(pad);
    }

    // A pad appeared (device index, as SDL_CONTROLLERDEVICEADDED names it).
    // SDL announces the pads plugged in before start-up the same way.
    void Open(int index) {
        const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(index);
        if (id < 0 || pads_.count(id) != 0) return;
        if (SDL_GameController* pad = SDL_GameControllerOpen(index)) pads_[id] = pad;
    }
    // A pad went away (instance number).
    void Close(SDL_JoystickID id) {
        const auto pad = pads_.find(id);
        if (pad == pads_.end()) return;
        SDL_GameControllerClose(pad->second);
        pads_.erase(pad);
    }
    bool IsAnyOpen() const { return !pads_.empty(); }

private:
    std::map<SDL_JoystickID, SDL_GameController*> pads_;
};

class SdlBackend final : public PlayerBackend {
public:
    explicit SdlBackend(const SdlOptions& options)
        : sound_(options.sound),
          frequency_(static_cast<std::int64_t>(SDL_GetPerformanceFrequency())) {}

    // Video only: without a display there is no game. The sound and the
    // gamepads start after the first picture (see FirstPictureShown, Sleep).
    Result<void> Open(const SdlOptions& options) {
        // The signals that ask a program to end become a close request (see
        // CloseSignals), SIGHUP included, which SDL's own handlers leave out.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        ChooseScreenDrivers();
        {
            // What we say about a failure is one line; the libraries SDL
            // probes would add their own diagnostics.
            sdl::QuietStandardError quiet;
            if (SDL_Init(SDL_INIT_VIDEO) != 0) {
                return Failure{std::string("cannot open display: ") + SDL_GetError() +
                               "; is DISPLAY set?"};
            }
        }
        // The game reads keys, never text: no text events, no input method.
        SDL_StopTextInput();
        return video_.Open(options);
    }

    void Pump(NewsSink& news) override {
        SDL_Event event;
        while (NextEvent(event)) Translate(event, news);
    }

    // With a pad plugged in, SDL cannot sleep until an event arrives (its
    // own wait would look every millisecond): asleep between looks, while
    // window events redraw through the video's event watch as SDL sees them.
    // A wait is cut into slices so that a display lost during it is seen.
    void Sleep() override {
        OpenGamepadsOnce();
        if (sdl::DisplayLost()) {
            if (displayLossTaken_) SDL_Delay(10);  // nothing will come: do not spin
            return;
        }
        if (pads_.IsAnyOpen()) {
            SDL_Delay(kPadWaitMilliseconds);
        } else {
            SDL_WaitEventTimeout(nullptr, kWaitSliceMilliseconds);
        }
    }

    std::int64_t TicksPerSecond() const override { return frequency_; }
    std::int64_t Ticks() const override {
        return static_cast<std::int64_t>(SDL_GetPerformanceCounter());
    }
    // No spinning: the few tens of microseconds a sleep overshoots are not
    // worth a busy core.
    void SleepUntil(std::int64_t tick) override {
        for (std::int64_t now = Ticks(); now < tick; now = Ticks()) {
            const double seconds =
                static_cast<double>(tick - now) / static_cast<double>(frequency_);
            std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        }
    }

    PlayerScreen& Screen() override { return video_; }
    const PlayerScreen& Screen() const override { return video_; }
    PlayerVoice& Voice() override { return voice_; }
    // The sound device opens on the voice's own thread once the first picture
    // is on the screen; a cue asked for meanwhile waits for it. The signals'
    // watcher starts then too (see CloseSignals).
    void FirstPictureShown() override {
        closeSignals_.Watch();
        if (sound_) voice_.Start();
    }

private:
    // The gamepads open at the first wait for a key, after the intro's first
    // picture: the subsystem takes milliseconds to start, which the first
    // picture does not wait for. Pads plugged in before are announced then.
    void OpenGamepadsOnce() {
        if (padsTried_) return;
        padsTried_ = true;
        const std::lock_guard<std::mutex> subsystems(sdl::SubsystemLock());
        if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
            Warn(std::string("no gamepads: ") + SDL_GetError() + "; the keyboard plays");
        }
    }

    // The next event waiting, if any. The display lost is a close request,
    // once.
    bool NextEvent(SDL_Event& event) {
        if (sdl::DisplayLost() && !displayLossTaken_) {
            displayLossTaken_ = true;
            event = SDL_Event{};
            event.type = SDL_QUIT;
            return true;
        }
        return SDL_PollEvent(&event) != 0;
    }

    // One SDL event as news. (Window events redraw through the video's event
    // watch; the sound devices are the voice's.)
    void Translate(const SDL_Event& event, NewsSink& news) {
        if (video_.TakeEvent(event)) return;
        switch (event.type) {
            case SDL_QUIT:
                news.OnWindow(WindowNews::Close);
                break;
            case SDL_KEYDOWN:
            case SDL_KEYUP: {
                const SDL_Keysym& key = event.key.keysym;
                news.OnKey(KeyNews{NameOf(key.sym), key.sym, event.type == SDL_KEYDOWN,
                                   event.key.repeat != 0, (key.mod & KMOD_ALT) != 0,
                                   (key.mod & KMOD_NUM) != 0});
                break;
            }
            case SDL_CONTROLLERDEVICEADDED:
                pads_.Open(event.cdevice.which);
                break;
            case SDL_CONTROLLERDEVICEREMOVED:
                news.OnPadGone(event.cdevice.which);
                pads_.Close(event.cdevice.which);
                break;
            case SDL_CONTROLLERBUTTONDOWN:
            case SDL_CONTROLLERBUTTONUP: {
                const bool down = event.type == SDL_CONTROLLERBUTTONDOWN;
                if (event.cbutton.button == SDL_CONTROLLER_BUTTON_GUIDE) {
                    // Where the system lets it through, the pad's own pause key.
                    if (down) news.OnWindow(WindowNews::PadPause);
                } else if (const std::optional<PadButton> button =
                               PadButtonOf(event.cbutton.button)) {
                    news.OnPadButton(event.cbutton.which, *button, down);
                }
                break;
            }
            case SDL_CONTROLLERAXISMOTION:
                if (event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX ||
                    event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY) {
                    news.OnPadStick(event.caxis.which,
                                    event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX,
                                    event.caxis.value);
                }
                break;
            case SDL_DROPFILE: {
                const std::string path = event.drop.file != nullptr ? event.drop.file : "";
                SDL_free(event.drop.file);
                if (!path.empty()) news.OnDrop(path);
                break;
            }
            case SDL_DROPTEXT:
                SDL_free(event.drop.file);
                break;
            case SDL_AUDIODEVICEREMOVED:
                voice_.OnDeviceRemoved(event.adevice.which, event.adevice.iscapture != 0);
                break;
            case SDL_AUDIODEVICEADDED:
                voice_.OnDeviceAdded(event.adevice.iscapture != 0);
                break;
            case SDL_WINDOWEVENT:
                if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
                    news.OnWindow(WindowNews::FocusLost);
                } else if (event.window.event == SDL_WINDOWEVENT_MINIMIZED) {
                    news.OnWindow(WindowNews::Minimised);
                }
                break;
            default:
                break;
        }
    }

    // Destroyed in reverse: pads, voice and window go before SDL itself, and
    // the signal watcher, made before any thread, goes before SDL too.
    SdlLibrary library_;
    CloseSignals closeSignals_;
    sdl::Video video_;
    sdl::Voice voice_;
    Gamepads pads_;
    bool sound_ = true;
    std::int64_t frequency_;         // performance-counter ticks a second
    bool padsTried_ = false;         // the gamepads were opened, or tried
    bool displayLossTaken_ = false;  // the lost display was taken as a close request
};

}  // namespace

Result<std::unique_ptr<PlayerPlatform>> OpenSdlPlatform(const SdlOptions& options) {
    return OpenPlayerPlatform<SdlBackend>(options);
}

}  // namespace platform
