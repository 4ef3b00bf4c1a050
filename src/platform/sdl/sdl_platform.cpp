// SPDX-License-Identifier: MIT
// sdl_platform.cpp -- the players' platform: SDL's keyboard and game
// controller events turned into the seven keys and delivered at the delivery
// points, frame pacing, the window and the single voice put together.
#include "platform/sdl/sdl_platform.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#if defined(__unix__) || defined(__APPLE__)
#include <pthread.h>
#include <signal.h>
#endif

#include "platform/sdl/sdl_quiet.h"
#include "platform/sdl/sdl_sound.h"
#include "platform/sdl/sdl_video.h"
#include "platform/window/comforts.h"
#include "platform/window/frame_schedule.h"
#include "platform/window/key_names.h"
#include "platform/window/pad_keys.h"
#include "platform/window/player_platform.h"
#include "platform/window/screenshot.h"

namespace platform {

namespace {

// How often a wait for a key looks at the gamepads (milliseconds). With a pad
// plugged in, SDL cannot sleep until an event arrives; its own wait would look
// every millisecond.
constexpr Uint32 kPadWaitMilliseconds = 10;

// Control numbers of the stick axes, apart from the buttons' (KeySource).
constexpr std::int32_t kAxisControl = 1000;

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

// The name of a key of the keyboard (key_names.h), by what its label says
// in the keyboard layout in use.
std::optional<std::string_view> NameOf(SDL_Keycode code) {
    if ((code >= SDLK_a && code <= SDLK_z) || (code >= SDLK_0 && code <= SDLK_9)) {
        const char label[2] = {static_cast<char>(code), '\0'};
        return FindKeyName(label);
    }
    if (code >= SDLK_F1 && code <= SDLK_F12) {
        return FindKeyName("F" + std::to_string(code - SDLK_F1 + 1));
    }
    if (code >= SDLK_KP_1 && code <= SDLK_KP_9) {
        return FindKeyName("Keypad" + std::to_string(code - SDLK_KP_1 + 1));
    }
    switch (code) {
        case SDLK_LEFT:
            return "Left";
        case SDLK_RIGHT:
            return "Right";
        case SDLK_UP:
            return "Up";
        case SDLK_DOWN:
            return "Down";
        case SDLK_SPACE:
            return "Space";
        case SDLK_RETURN:
            return "Enter";
        case SDLK_ESCAPE:
            return "Escape";
        case SDLK_TAB:
            return "Tab";
        case SDLK_BACKSPACE:
            return "Backspace";
        case SDLK_INSERT:
            return "Insert";
        case SDLK_DELETE:
            return "Delete";
        case SDLK_HOME:
            return "Home";
        case SDLK_END:
            return "End";
        case SDLK_PAGEUP:
            return "PageUp";
        case SDLK_PAGEDOWN:
            return "PageDown";
        case SDLK_KP_0:
            return "Keypad0";
        case SDLK_KP_ENTER:
            return "KeypadEnter";
        case SDLK_KP_PLUS:
            return "KeypadPlus";
        case SDLK_KP_MINUS:
            return "KeypadMinus";
        case SDLK_KP_MULTIPLY:
            return "KeypadMultiply";
        case SDLK_KP_DIVIDE:
            return "KeypadDivide";
        case SDLK_KP_PERIOD:
            return "KeypadPeriod";
        case SDLK_LSHIFT:
            return "LeftShift";
        case SDLK_RSHIFT:
            return "RightShift";
        case SDLK_LCTRL:
            return "LeftCtrl";
        case SDLK_RCTRL:
            return "RightCtrl";
        case SDLK_LALT:
            return "LeftAlt";
        case SDLK_RALT:
            return "RightAlt";
        case SDLK_PAUSE:
            return "Pause";
        case SDLK_PRINTSCREEN:
            return "PrintScreen";
        case SDLK_COMMA:
            return "Comma";
        case SDLK_PERIOD:
            return "Period";
        case SDLK_SLASH:
            return "Slash";
        case SDLK_SEMICOLON:
            return "Semicolon";
        case SDLK_QUOTE:
            return "Apostrophe";
        case SDLK_LEFTBRACKET:
            return "LeftBracket";
        case SDLK_RIGHTBRACKET:
            return "RightBracket";
        case SDLK_BACKSLASH:
            return "Backslash";
        case SDLK_MINUS:
            return "Minus";
        case SDLK_EQUALS:
            return "Equals";
        case SDLK_BACKQUOTE:
            return "Backquote";
        default:
            return std::nullopt;
    }
}

// The keypad's digits 2, 4, 6 and 8 are its arrows while NumLock is off, as
// the keys' second labels say; with NumLock on they hold none of the game's
// keys, whatever the settings bind to them.
bool IsKeypadArrow(SDL_Keycode code) {
    return code == SDLK_KP_2 || code == SDLK_KP_4 || code == SDLK_KP_6 || code == SDLK_KP_8;
}

// The comfort a key of the keyboard is kept for, if any.
std::optional<Comfort> ComfortKey(SDL_Keycode code) {
    const std::optional<std::string_view> name = NameOf(code);
    return name ? ComfortOfKey(*name) : std::nullopt;
}

// The buttons of a gamepad, by SDL's names (the positions of an Xbox pad).
std::optional<Key> PadKeyOf(SDL_GameControllerButton button) {
    switch (button) {
        case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
            return Key::Left;
        case SDL_CONTROLLER_BUTTON_DPAD_UP:
            return Key::Up;
        case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
            return Key::Right;
        case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
            return Key::Down;
        case SDL_CONTROLLER_BUTTON_A:
        case SDL_CONTROLLER_BUTTON_START:
            return Key::Enter;
        case SDL_CONTROLLER_BUTTON_B:
        case SDL_CONTROLLER_BUTTON_BACK:
            return Key::Escape;
        case SDL_CONTROLLER_BUTTON_X:
            return Key::Space;
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

// Frames at a steady rate (see FrameSchedule) on the performance counter:
// after each present, a sleep until the next slot. No spinning: the few tens
// of microseconds a sleep overshoots are not worth a busy core.
class FramePacer {
public:
    explicit FramePacer(int fps)
        : schedule_(static_cast<FrameSchedule::Tick>(SDL_GetPerformanceFrequency()), fps) {}

    void WaitForNextSlot() { WaitUntil(schedule_.Next(Now())); }

    // Whole frame periods since a performance-counter time.
    std::uint64_t FramesSince(Uint64 counter) const {
        return schedule_.FramesSince(Now(), static_cast<FrameSchedule::Tick>(counter));
    }

private:
    static FrameSchedule::Tick Now() {
        return static_cast<FrameSchedule::Tick>(SDL_GetPerformanceCounter());
    }

    static void WaitUntil(FrameSchedule::Tick deadline) {
        const auto frequency = static_cast<double>(SDL_GetPerformanceFrequency());
        for (;;) {
            const FrameSchedule::Tick now = Now();
            if (now >= deadline) return;
            const double seconds = static_cast<double>(deadline - now) / frequency;
            std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        }
    }

    FrameSchedule schedule_;
};

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

class SdlPlatform final : public PlayerPlatform {
public:
    explicit SdlPlatform(const SdlOptions& options)
        : PlayerPlatform(options),
          pacer_(options.fps),
          sound_(options.sound),
          screenshotFolder_(options.screenshotFolder) {
        voice_.SetVolume(level_.Level());
    }

    // Video only: without a display there is no game. The sound and the
    // gamepads start after the first picture (see ShowPicture, WaitForInput).
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
        Result<void> opened = video_.Open(options);
        NoteWindowAtStart(options.fullscreen);
        return opened;
    }

    void ShowPicture(const Picture& picture, const Palette& palette, PictureKind kind) override {
        video_.Show(picture, palette);
        if (!pictureShown_) {
            // The sound device opens on the voice's own thread once the first
            // picture is on the screen; a cue asked for meanwhile waits for
            // it. The signals' watcher starts then too (see CloseSignals).
            pictureShown_ = true;
            closeSignals_.Watch();
            if (sound_) voice_.Start();
        }
        journal_.Picture(picture, palette, kind);
        if (kind == PictureKind::Present) pacer_.WaitForNextSlot();
    }

    void DeliverDueInput(KeyState& keys) override {
        if (!journal_.Input().IsDeliveryDue()) return;
        PollAll(journal_.Input().Now());
        EndPlaybackIfStopped();
        journal_.Input().DeliverAtPoll(keys);
    }

    void WaitForInput(KeyState& keys) override {
        OpenGamepadsOnce();
        if (IsPlayback()) {
            voice_.SetWaiting(true);  // the sound device rests here too
            WaitInPlayback();
            voice_.SetWaiting(false);
        } else if (!journal_.Input().HasPending()) {
            // What arrives is stamped with the frames that passed while the
            // game waited (one at least), so that a playback of the recording
            // waits as long as the player did; a replay delivers it at this
            // same wait all the same.
            const std::uint64_t start = journal_.BeginLiveWait();
            const Uint64 startCounter = SDL_GetPerformanceCounter();
            const Uint64 pausedBefore = pausedTicks_;
            const auto stamp = [&] {
                // Time spent paused is no time in the game.
                return LiveWaitStamp(
                    start, pacer_.FramesSince(startCounter + (pausedTicks_ - pausedBefore)));
            };
            std::uint64_t time = start;
            // A wait can be long: once its cue has sounded out, the sound
            // device rests instead of writing silence all the while.
            voice_.SetWaiting(true);
            bool arrived = false;
            SDL_Event event;
            while (!arrived) {
                if (pads_.IsAnyOpen()) {
                    // Asleep between looks; window events redraw meanwhile
                    // through the video's event watch as soon as SDL sees them.
                    if (!NextEvent(event)) {
                        SDL_Delay(kPadWaitMilliseconds);
                        continue;
                    }
                } else if (!WaitForEvent(event)) {
                    continue;
                }
                time = stamp();
                arrived = Absorb(event, time);
                if (pauseRequested_) Pause(time);
                arrived = arrived || journal_.Input().HasPending();
            }
            PollAll(time);
            voice_.SetWaiting(false);
        }
        journal_.Input().DeliverAtWait(keys);
    }

private:
    void Sound(Cue cue, bool loop) override { voice_.Play(cue, loop); }
    void Silence() override { voice_.Stop(); }
    bool IsFullscreen() const override { return video_.IsFullscreen(); }
    std::pair<int, int> WindowedSize() const override { return video_.WindowedSize(); }
    void LookAround(std::uint64_t time) override { PollAll(time); }
    void WaitForFrame() override { pacer_.WaitForNextSlot(); }

    // The gamepads open at the first wait for a key, right after the intro's
    // first picture: the subsystem takes milliseconds to start, which the first
    // picture does not wait for. Pads plugged in before are announced then.
    void OpenGamepadsOnce() {
        if (padsTried_) return;
        padsTried_ = true;
        const std::lock_guard<std::mutex> subsystems(sdl::SubsystemLock());
        if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
            std::fprintf(stderr, "fompy-talden: no gamepads: %s; the keyboard plays\n",
                         SDL_GetError());
        }
    }

    void Enqueue(const std::optional<KeyChange>& change, std::uint64_t time, bool& queued) {
        if (!change) return;
        const auto kind = change->down ? InputEvent::Kind::KeyDown : InputEvent::Kind::KeyUp;
        journal_.Input().Enqueue(InputEvent{time, kind, change->key});
        queued = true;
    }

    // Handles one SDL event: the seven keys from the keyboard and the pads,
    // and a close request, are queued as input due at time. True when it
    // queued input. (Window events redraw through the video's event watch.)
    bool Absorb(const SDL_Event& event, std::uint64_t time) {
        if (video_.TakeEvent(event)) return false;
        if (IsPlayback()) {
            // The script is the keyboard; Escape or closing the window ends the show.
            if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) {
                StopPlayback(EndReason::Quit);
            } else if (event.type == SDL_QUIT) {
                StopPlayback(EndReason::Close);
            } else if (event.type == SDL_KEYDOWN && IsAltEnter(event.key) &&
                       event.key.repeat == 0) {
                video_.ToggleFullscreen();
            } else if (event.type == SDL_KEYDOWN) {
                if (const std::optional<Comfort> comfort = ComfortKey(event.key.keysym.sym)) {
                    UseComfort(*comfort, event.key.repeat != 0);
                }
            }
            return false;
        }
        bool queued = false;
        switch (event.type) {
            case SDL_QUIT:
                queued = Close(time);
                break;
            case SDL_KEYDOWN:
            case SDL_KEYUP:
                AbsorbKey(event.key, time, queued);
                break;
            case SDL_CONTROLLERDEVICEADDED:
                pads_.Open(event.cdevice.which);
                break;
            case SDL_CONTROLLERDEVICEREMOVED:
                // Whatever the pad held is let go.
                for (const KeyChange& change : held_.ReleaseDevice(event.cdevice.which)) {
                    Enqueue(change, time, queued);
                }
                pads_.Close(event.cdevice.which);
                break;
            case SDL_CONTROLLERBUTTONDOWN:
            case SDL_CONTROLLERBUTTONUP: {
                const auto button = static_cast<SDL_GameControllerButton>(event.cbutton.button);
                if (button == SDL_CONTROLLER_BUTTON_GUIDE) {
                    // Where the system lets it through, the pad's own pause key.
                    if (event.type == SDL_CONTROLLERBUTTONDOWN) pauseRequested_ = true;
                    break;
                }
                const std::optional<Key> key = PadKeyOf(button);
                if (!key) break;
                const KeySource source{event.cbutton.which, event.cbutton.button};
                Enqueue(event.type == SDL_CONTROLLERBUTTONDOWN ? held_.Press(*key, source)
                                                               : held_.Release(*key, source),
                        time, queued);
                break;
            }
            case SDL_CONTROLLERAXISMOTION: {
                const KeySource source{event.caxis.which, kAxisControl + event.caxis.axis};
                std::vector<KeyChange> changes;
                if (event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX) {
                    changes = held_.MoveAxis(source, event.caxis.value, Key::Left, Key::Right);
                } else if (event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY) {
                    changes = held_.MoveAxis(source, event.caxis.value, Key::Up, Key::Down);
                }
                for (const KeyChange& change : changes) Enqueue(change, time, queued);
                break;
            }
            case SDL_AUDIODEVICEREMOVED:
                voice_.OnDeviceRemoved(event.adevice.which, event.adevice.iscapture != 0);
                break;
            case SDL_AUDIODEVICEADDED:
                voice_.OnDeviceAdded(event.adevice.iscapture != 0);
                break;
            case SDL_WINDOWEVENT:
                // A player who switches away, or hides the window, finds the
                // game where it was.
                if (autopause_ && (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST ||
                                   event.window.event == SDL_WINDOWEVENT_MINIMIZED)) {
                    pauseRequested_ = true;
                }
                break;
            default:
                break;
        }
        return queued;
    }

    // A key of the keyboard. Alt+Enter is the platform's own key: its Enter
    // is not the game's, nor are the auto-repeats that go on arriving, without
    // Alt, when Alt is let go first; that Enter is swallowed until released.
    void AbsorbKey(const SDL_KeyboardEvent& key, std::uint64_t time, bool& queued) {
        const SDL_Keycode code = key.keysym.sym;
        const auto swallowed = std::find(swallowed_.begin(), swallowed_.end(), code);
        if (key.type == SDL_KEYUP) {
            if (swallowed != swallowed_.end()) {
                swallowed_.erase(swallowed);
                return;
            }
            // Whatever the key stood for when it went down, it lets go of.
            if (const std::optional<Key> released = KeyOf(code, false)) {
                Enqueue(held_.Release(*released, KeySource{kKeyboardDevice, code}), time, queued);
            }
            return;
        }
        if (swallowed != swallowed_.end()) return;
        if (IsAltEnter(key)) {
            if (key.repeat == 0) {
                swallowed_.push_back(code);
                video_.ToggleFullscreen();
            }
            return;
        }
        if (const std::optional<Comfort> comfort = ComfortKey(code)) {
            UseComfort(*comfort, key.repeat != 0);
            return;
        }
        const std::optional<Key> pressed = KeyOf(code, (key.keysym.mod & KMOD_NUM) != 0);
        if (!pressed) return;
        // A held key's auto-repeat arrives as another down and sets its
        // pressed flag again, but only for a key the game sees held by it.
        const KeySource source{kKeyboardDevice, code};
        Enqueue(key.repeat != 0 ? held_.Repeat(*pressed, source) : held_.Press(*pressed, source),
                time, queued);
    }

    // A key of the keyboard as the game's key it holds, by the settings'
    // bindings.
    std::optional<Key> KeyOf(SDL_Keycode code, bool numLock) const {
        if (numLock && IsKeypadArrow(code)) return std::nullopt;
        const std::optional<std::string_view> name = NameOf(code);
        if (!name) return std::nullopt;
        return BoundKey(keys_, *name);
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

    // The next event, waited for a while: false when none came. The wait
    // is cut into slices so that a display lost during it is seen.
    bool WaitForEvent(SDL_Event& event) {
        constexpr int kWaitSliceMilliseconds = 100;
        if (NextEvent(event)) return true;
        if (sdl::DisplayLost()) {
            SDL_Delay(10);  // nothing will come from the display: do not spin
            return false;
        }
        return SDL_WaitEventTimeout(&event, kWaitSliceMilliseconds) != 0;
    }

    // Takes every event waiting, as input due at time; a pause asked for
    // among them is carried out before the events after it are looked at.
    void PollAll(std::uint64_t time) {
        SDL_Event event;
        while (NextEvent(event)) {
            Absorb(event, time);
            if (pauseRequested_) Pause(time);
        }
    }

    void UseSoundLevel() override {
        voice_.SetVolume(level_.Level());
        video_.ShowNote(level_.Note());
    }

    void SaveScreenshotNow() override {
        // Looked for at the first screenshot, not at start-up.
        if (screenshotFolder_.empty()) screenshotFolder_ = ScreenshotFolder();
        SaveScreenshotAndSay(screenshotFolder_, video_.Shown(), video_.ShownPalette(),
                             video_.Fit().aspect);
    }

    // The game stands still until P, Pause or the pad's Guide button: no
    // picture is presented, no time passes in the run, the cue playing
    // waits. The keys held are let go for the game at once, at time (in the
    // run's time, the input of the delivery point the game is at), so that a
    // recording holds the same; everything else pressed meanwhile is not the
    // game's. The pause leaves no other trace in the run. A close request
    // or a signal ends the pause and is the game's.
    void Pause(std::uint64_t time) {
        pauseRequested_ = false;
        const Uint64 began = SDL_GetPerformanceCounter();
        bool queued = false;
        for (const KeyChange& change : held_.ReleaseAll()) Enqueue(change, time, queued);
        voice_.SetPaused(true);
        video_.SetPaused(true);
        bool paused = true;
        while (paused) {
            SDL_Event event;
            if (!WaitForEvent(event)) continue;
            if (video_.TakeEvent(event)) continue;
            switch (event.type) {
                case SDL_QUIT:
                    Close(time);
                    paused = false;
                    break;
                case SDL_KEYDOWN:
                    if (IsAltEnter(event.key)) {
                        if (event.key.repeat == 0) video_.ToggleFullscreen();
                    } else if (const auto comfort = ComfortKey(event.key.keysym.sym)) {
                        if (*comfort == Comfort::Pause) {
                            paused = event.key.repeat != 0;
                        } else {
                            UseComfort(*comfort, event.key.repeat != 0);
                        }
                    } else if (IsPlayback() && event.key.keysym.sym == SDLK_ESCAPE) {
                        StopPlayback(EndReason::Quit);
                        paused = false;
                    }
                    break;
                case SDL_KEYUP: {
                    // The Enter of an Alt+Enter let go: no longer swallowed.
                    const auto swallowed =
                        std::find(swallowed_.begin(), swallowed_.end(), event.key.keysym.sym);
                    if (swallowed != swallowed_.end()) swallowed_.erase(swallowed);
                    break;
                }
                case SDL_CONTROLLERBUTTONDOWN:
                    if (event.cbutton.button == SDL_CONTROLLER_BUTTON_GUIDE) paused = false;
                    break;
                case SDL_CONTROLLERDEVICEADDED:
                case SDL_CONTROLLERDEVICEREMOVED:
                case SDL_AUDIODEVICEADDED:
                case SDL_AUDIODEVICEREMOVED:
                    Absorb(event, time);  // nothing held: nothing for the game
                    break;
                default:
                    break;
            }
        }
        // A focus lost on the way back is not a new pause.
        pauseRequested_ = false;
        video_.SetPaused(false);
        voice_.SetPaused(false);
        pausedTicks_ += SDL_GetPerformanceCounter() - began;
    }

    // Destroyed in reverse: pads, voice and window go before SDL itself, and
    // the signal watcher, made before any thread, goes before SDL too.
    SdlLibrary library_;
    CloseSignals closeSignals_;
    sdl::Video video_;
    sdl::Voice voice_;
    Gamepads pads_;
    bool padsTried_ = false;  // the gamepads were opened, or tried
    HeldKeys held_;
    std::vector<SDL_Keycode> swallowed_;  // the Enter keys of an Alt+Enter still down
    FramePacer pacer_;
    // The comforts.
    bool sound_ = true;
    bool pictureShown_ = false;      // the first picture is on the screen
    bool displayLossTaken_ = false;  // the lost display was taken as a close request
    std::string screenshotFolder_;   // the options', else found at the first screenshot
    Uint64 pausedTicks_ = 0;         // performance-counter ticks spent paused in the run
};

}  // namespace

Result<std::unique_ptr<WindowPlatform>> OpenSdlPlatform(const SdlOptions& options) {
    auto sdlPlatform = std::make_unique<SdlPlatform>(options);
    if (Result<void> opened = sdlPlatform->Open(options); !opened) return Failure{opened.reason()};
    return std::unique_ptr<WindowPlatform>(std::move(sdlPlatform));
}

}  // namespace platform
