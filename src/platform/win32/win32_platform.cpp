// SPDX-License-Identifier: MIT
// win32_platform.cpp -- the Windows platform: the window's key messages
// turned into the seven keys and delivered at the delivery points, frame
// pacing on a waitable timer, the window and the single voice put together.
#include "platform/win32/win32_platform.h"

#include <windows.h>
// After windows.h, whose types they use.
#include <knownfolders.h>
#include <shlobj.h>
#include <xinput.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/win32/win32_sound.h"
#include "platform/win32/win32_video.h"
#include "platform/window/comforts.h"
#include "platform/window/frame_schedule.h"
#include "platform/window/key_names.h"
#include "platform/window/pad_keys.h"
#include "platform/window/player_platform.h"
#include "platform/window/screenshot.h"

namespace platform {

namespace {

// CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, which older headers do not name:
// a timer that wakes within a fraction of a millisecond (Windows 10 1803 on).
constexpr DWORD kHighResolutionTimer = 0x00000002;

// Bits 16 to 23 of a key message: the key's scan code. Bit 24: an extended
// key (the arrows beside the keypad, the keypad's Enter). Bit 29: Alt is
// held. Bit 30: the key was down already (an auto-repeat).
constexpr int kScanCodeShift = 16;
constexpr LPARAM kScanCodeBits = LPARAM{0x1FF} << kScanCodeShift;  // with the extended bit
constexpr LPARAM kAltHeld = LPARAM{1} << 29;
constexpr LPARAM kWasDown = LPARAM{1} << 30;
constexpr std::int32_t kExtendedScanCode = 0x100;

// How often a wait for a key looks at the pads plugged in (milliseconds), and
// how often at the empty slots for a pad plugged in meanwhile: XInput reports
// no events, and asking about an empty slot is slow.
constexpr DWORD kPadLookMilliseconds = 10;
constexpr ULONGLONG kPadProbeMilliseconds = 1000;

// The name of a key of the keyboard (key_names.h), by its virtual-key code
// and the extended bit of its message, which tells the keys beside the keypad
// (arrows, Home, the right Ctrl and Alt, the keypad's Enter and /) from the
// keypad's own, which arrive with the same codes while Num Lock is off.
std::optional<std::string_view> NameOf(WPARAM virtualKey, bool extended, int scanCode) {
    if ((virtualKey >= 'A' && virtualKey <= 'Z') || (virtualKey >= '0' && virtualKey <= '9')) {
        const char label[2] = {static_cast<char>(virtualKey), '\0'};
        return FindKeyName(label);
    }
    if (virtualKey >= VK_F1 && virtualKey <= VK_F12) {
        return FindKeyName("F" + std::to_string(virtualKey - VK_F1 + 1));
    }
    if (virtualKey >= VK_NUMPAD0 && virtualKey <= VK_NUMPAD9) {
        return FindKeyName("Keypad" + std::to_string(virtualKey - VK_NUMPAD0));
    }
    const auto extendedOr = [&](std::string_view withBit, std::string_view without) {
        return std::optional<std::string_view>(extended ? withBit : without);
    };
    switch (virtualKey) {
        case VK_LEFT:
            return extendedOr("Left", "Keypad4");
        case VK_RIGHT:
            return extendedOr("Right", "Keypad6");
        case VK_UP:
            return extendedOr("Up", "Keypad8");
        case VK_DOWN:
            return extendedOr("Down", "Keypad2");
        case VK_HOME:
            return extendedOr("Home", "Keypad7");
        case VK_END:
            return extendedOr("End", "Keypad1");
        case VK_PRIOR:
            return extendedOr("PageUp", "Keypad9");
        case VK_NEXT:
            return extendedOr("PageDown", "Keypad3");
        case VK_INSERT:
            return extendedOr("Insert", "Keypad0");
        case VK_DELETE:
            return extendedOr("Delete", "KeypadPeriod");
        case VK_CLEAR:
            return "Keypad5";
        case VK_RETURN:
            return extendedOr("KeypadEnter", "Enter");
        case VK_SPACE:
            return "Space";
        case VK_ESCAPE:
            return "Escape";
        case VK_TAB:
            return "Tab";
        case VK_BACK:
            return "Backspace";
        case VK_ADD:
            return "KeypadPlus";
        case VK_SUBTRACT:
            return "KeypadMinus";
        case VK_MULTIPLY:
            return "KeypadMultiply";
        case VK_DIVIDE:
            return "KeypadDivide";
        case VK_DECIMAL:
            return "KeypadPeriod";
        case VK_SHIFT:
            return scanCode == 0x36 ? "RightShift" : "LeftShift";
        case VK_CONTROL:
            return extendedOr("RightCtrl", "LeftCtrl");
        case VK_MENU:
            return extendedOr("RightAlt", "LeftAlt");
        case VK_PAUSE:
            return "Pause";
        case VK_SNAPSHOT:
            return "PrintScreen";
        case VK_OEM_COMMA:
            return "Comma";
        case VK_OEM_PERIOD:
            return "Period";
        case VK_OEM_2:
            return "Slash";
        case VK_OEM_1:
            return "Semicolon";
        case VK_OEM_7:
            return "Apostrophe";
        case VK_OEM_4:
            return "LeftBracket";
        case VK_OEM_6:
            return "RightBracket";
        case VK_OEM_5:
            return "Backslash";
        case VK_OEM_MINUS:
            return "Minus";
        case VK_OEM_PLUS:
            return "Equals";
        case VK_OEM_3:
            return "Backquote";
        default:
            return std::nullopt;
    }
}

// The keypad's digits 2, 4, 6 and 8 are its arrows while Num Lock is off,
// when they arrive as the arrows themselves; with Num Lock on they are digits
// that hold none of the game's keys, whatever the settings bind to them.
bool IsKeypadDigitArrow(WPARAM virtualKey) {
    return virtualKey == VK_NUMPAD2 || virtualKey == VK_NUMPAD4 || virtualKey == VK_NUMPAD6 ||
           virtualKey == VK_NUMPAD8;
}

// The user's Pictures folder, wherever the system keeps it, and our folder
// in it; empty when the system does not say.
std::string PicturesFolder() {
    PWSTR wide = nullptr;
    std::string folder;
    if (SHGetKnownFolderPath(FOLDERID_Pictures, 0, nullptr, &wide) == S_OK) {
        // In the narrow code page, as the C library's file names are.
        const int size = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
        if (size > 1) {
            folder.resize(static_cast<std::size_t>(size));
            WideCharToMultiByte(CP_ACP, 0, wide, -1, folder.data(), size, nullptr, nullptr);
            folder.resize(static_cast<std::size_t>(size - 1));
            folder += "\\fompy-talden";
        }
    }
    CoTaskMemFree(wide);
    return folder;
}

bool IsKeyMessage(UINT message) {
    return message == WM_KEYDOWN || message == WM_SYSKEYDOWN || message == WM_KEYUP ||
           message == WM_SYSKEYUP;
}

bool IsAltEnter(const MSG& msg) {
    return msg.message == WM_SYSKEYDOWN && msg.wParam == VK_RETURN && (msg.lParam & kAltHeld) != 0;
}

// Frames at a steady rate (see FrameSchedule) on the performance counter:
// after each present, a wait on a timer until the next slot. No spinning.
class FramePacer {
public:
    explicit FramePacer(int fps) : frequency_(Frequency()), schedule_(frequency_, fps) {
        timer_ = CreateWaitableTimerExW(nullptr, nullptr, kHighResolutionTimer, TIMER_ALL_ACCESS);
        if (timer_ == nullptr) {
            // An older system: a plain timer, with the system's timer
            // resolution raised to a millisecond for the run.
            timer_ = CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
            finePeriod_ = timeBeginPeriod(1) == TIMERR_NOERROR;
        }
    }
    FramePacer(const FramePacer&) = delete;
    FramePacer& operator=(const FramePacer&) = delete;
    ~FramePacer() {
        if (finePeriod_) timeEndPeriod(1);
        if (timer_ != nullptr) CloseHandle(timer_);
    }

    void WaitForNextSlot() { WaitUntil(schedule_.Next(Now())); }

    static LONGLONG Now() {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return now.QuadPart;
    }

    // Whole frame periods since a performance-counter time.
    std::uint64_t FramesSince(LONGLONG counter) const {
        return schedule_.FramesSince(Now(), counter);
    }

private:
    static LONGLONG Frequency() {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return frequency.QuadPart;
    }

    void WaitUntil(LONGLONG deadline) const {
        for (;;) {
            const LONGLONG left = deadline - Now();
            if (left <= 0) return;
            // Relative due times are negative, in units of 100 nanoseconds.
            const LONGLONG units = std::max<LONGLONG>(1, left * 10'000'000 / frequency_);
            if (timer_ == nullptr) {
                Sleep(static_cast<DWORD>(std::max<LONGLONG>(1, units / 10'000)));
                continue;
            }
            LARGE_INTEGER due;
            due.QuadPart = -units;
            if (SetWaitableTimer(timer_, &due, 0, nullptr, nullptr, FALSE) == 0) {
                Sleep(1);
                continue;
            }
            WaitForSingleObject(timer_, INFINITE);
        }
    }

    LONGLONG frequency_;  // performance-counter ticks per second
    FrameSchedule schedule_;
    HANDLE timer_ = nullptr;
    bool finePeriod_ = false;  // timeBeginPeriod(1) is in force
};

// The XInput pads, in its four slots, read whole at each look. XInput's DLL
// is looked for at the first look (xinput1_4 from Windows 8 on, xinput9_1_0
// before), so that the first picture does not wait for it and the program
// imports none but the system's own DLLs; without it the keyboard plays.
class Gamepads {
public:
    Gamepads() = default;
    Gamepads(const Gamepads&) = delete;
    Gamepads& operator=(const Gamepads&) = delete;
    // XInput's DLL stays loaded for the rest of the process: an XInput may
    // keep a thread of its own reading the devices (Wine's does), which
    // would run on into unloaded code and crash the program as it ends.
    ~Gamepads() = default;

    bool IsAvailable() const { return getState_ != nullptr; }
    bool IsAnyPlugged() const {
        return std::any_of(slots_.begin(), slots_.end(), [](const Slot& s) { return s.plugged; });
    }
    // Milliseconds until the empty slots are next looked at.
    DWORD UntilProbe() const {
        const ULONGLONG now = GetTickCount64();
        if (now >= nextProbe_) return 0;
        return static_cast<DWORD>(nextProbe_ - now);
    }

    // Reads the pads plugged in, and the empty slots when it is time, into
    // the changes of the keys: a pad gone lets go of all it held, a pad come
    // starts from nothing held.
    std::vector<KeyChange> Look(HeldKeys& held) {
        std::vector<KeyChange> changes;
        OpenOnce();
        if (getState_ == nullptr) return changes;
        const ULONGLONG now = GetTickCount64();
        const bool probe = now >= nextProbe_;
        if (probe) nextProbe_ = now + kPadProbeMilliseconds;
        for (DWORD i = 0; i < slots_.size(); ++i) {
            Slot& slot = slots_[i];
            if (!slot.plugged && !probe) continue;
            const auto device = static_cast<std::int32_t>(i);
            XINPUT_STATE state{};
            if (getState_(i, &state) != ERROR_SUCCESS) {
                if (slot.plugged) {
                    for (const KeyChange& change : held.ReleaseDevice(device)) {
                        changes.push_back(change);
                    }
                }
                slot = Slot{};
                continue;
            }
            if (slot.plugged && state.dwPacketNumber == slot.packet) continue;
            const XINPUT_GAMEPAD& pad = state.Gamepad;
            const PadReading reading = ReadingOfXInput(pad.wButtons, pad.sThumbLX, pad.sThumbLY);
            for (const KeyChange& change : held.MovePad(device, slot.reading, reading)) {
                changes.push_back(change);
            }
            slot = Slot{true, state.dwPacketNumber, reading};
        }
        return changes;
    }

private:
    using GetState = DWORD(WINAPI*)(DWORD, XINPUT_STATE*);

    void OpenOnce() {
        if (tried_) return;
        tried_ = true;
        for (const wchar_t* name : {L"xinput1_4.dll", L"xinput9_1_0.dll", L"xinput1_3.dll"}) {
            library_ = LoadLibraryW(name);
            if (library_ != nullptr) break;
        }
        if (library_ == nullptr) return;
        getState_ = reinterpret_cast<GetState>(
            reinterpret_cast<void (*)()>(GetProcAddress(library_, "XInputGetState")));
    }

    struct Slot {
        bool plugged = false;
        DWORD packet = 0;  // XInput's count of the pad's changes
        PadReading reading;
    };

    bool tried_ = false;  // the DLL was looked for
    HMODULE library_ = nullptr;
    GetState getState_ = nullptr;
    std::array<Slot, XUSER_MAX_COUNT> slots_{};
    ULONGLONG nextProbe_ = 0;  // GetTickCount64 time to look at the empty slots
};

class Win32Platform final : public PlayerPlatform {
public:
    explicit Win32Platform(const WindowOptions& options)
        : PlayerPlatform(options),
          pacer_(options.fps),
          soundTried_(!options.sound),
          screenshotFolder_(options.screenshotFolder) {
        voice_.SetVolume(level_.Level());
    }

    // The program converts and scales the picture itself: as fast as GDI's
    // scaling of the 8-bit picture or a little faster (tools/perf/
    // windows-draw.sh), and the very pixels of the desktop build's window surface.
    Result<void> Open(const WindowOptions& options) {
        fitAspect_ = options.fit.aspect;
        Result<void> opened = screen_.Open(options, win32::DrawMode::Packed);
        NoteWindowAtStart(options.fullscreen);
        return opened;
    }

    void ShowPicture(const Picture& picture, const Palette& palette, PictureKind kind) override {
        screen_.Show(picture, palette);
        journal_.Picture(picture, palette, kind);
        if (kind == PictureKind::Present) pacer_.WaitForNextSlot();
    }

    void DeliverDueInput(KeyState& keys) override {
        if (!journal_.Input().IsDeliveryDue()) return;
        Pump(journal_.Input().Now());
        LookAtPads(journal_.Input().Now());
        EndPlaybackIfStopped();
        journal_.Input().DeliverAtPoll(keys);
    }

    void WaitForInput(KeyState& keys) override {
        if (IsPlayback()) {
            WaitInPlayback();
        } else if (!journal_.Input().HasPending()) {
            // What arrives is stamped with the frames that passed while the
            // game waited (one at least), so that a playback of the recording
            // waits as long as the player did; a replay delivers it at this
            // same wait all the same.
            const std::uint64_t start = journal_.BeginLiveWait();
            const LONGLONG startCounter = FramePacer::Now();
            const LONGLONG pausedBefore = pausedTicks_;
            const auto stamp = [&] {
                // Time spent paused is no time in the game.
                return LiveWaitStamp(
                    start, pacer_.FramesSince(startCounter + (pausedTicks_ - pausedBefore)));
            };
            // Asleep until a message arrives, or the pads' next look is due;
            // paints are done meanwhile.
            bool arrived = Pump(start);
            arrived = LookAtPads(start) || arrived;
            arrived = arrived || journal_.Input().HasPending();
            while (!arrived) {
                DWORD timeout = INFINITE;
                if (pads_.IsAnyPlugged()) {
                    timeout = kPadLookMilliseconds;
                } else if (pads_.IsAvailable()) {
                    timeout = pads_.UntilProbe();
                }
                MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
                const std::uint64_t time = stamp();
                arrived = Pump(time);
                arrived = LookAtPads(time) || arrived;
                // Keys let go at a pause are input too.
                arrived = arrived || journal_.Input().HasPending();
            }
        }
        journal_.Input().DeliverAtWait(keys);
    }

private:
    void Sound(Cue cue, bool loop) override {
        OpenSoundOnce();
        voice_.Play(cue, loop);
    }
    void Silence() override { voice_.Stop(); }
    bool IsFullscreen() const override { return screen_.IsFullscreen(); }
    std::pair<int, int> WindowedSize() const override { return screen_.WindowedSize(); }
    void LookAround(std::uint64_t time) override { Pump(time); }
    void WaitForFrame() override { pacer_.WaitForNextSlot(); }

    // The pads' changes queued as input due at time. True when it queued
    // input. During a playback the script is the only player.
    bool LookAtPads(std::uint64_t time) {
        if (IsPlayback()) return false;
        bool queued = false;
        for (const KeyChange& change : pads_.Look(held_)) Enqueue(change, time, queued);
        return queued;
    }

    // The sound device is looked for at the first cue rather than at
    // start-up, so that the first picture does not wait for it.
    void OpenSoundOnce() {
        if (soundTried_) return;
        soundTried_ = true;
        const std::string noSound = voice_.Open();
        if (!noSound.empty()) {
            std::fprintf(stderr, "fompy-talden: no sound: %s; playing silently\n", noSound.c_str());
        }
    }

    void Enqueue(const std::optional<KeyChange>& change, std::uint64_t time, bool& queued) {
        if (!change) return;
        const auto kind = change->down ? InputEvent::Kind::KeyDown : InputEvent::Kind::KeyUp;
        journal_.Input().Enqueue(InputEvent{time, kind, change->key});
        queued = true;
    }

    // Handles every message waiting for the window: the seven keys and a
    // close request are queued as input due at time, everything else goes
    // to the window. True when it queued input.
    bool Pump(std::uint64_t time) {
        bool queued = false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE) != 0) {
            // No TranslateMessage: the game reads keys, never characters.
            if (!IsKeyMessage(msg.message) || !AbsorbKey(msg, time, queued)) {
                DispatchMessageW(&msg);
            }
            AbsorbWindowNews(time, queued);
            if (pauseRequested_) Pause(time);
        }
        AbsorbWindowNews(time, queued);
        if (pauseRequested_) Pause(time);
        return queued;
    }

    // A key message. True when it is the game's or the platform's own, which
    // the window never sees; the rest (Alt+F4 among them) go to the window.
    bool AbsorbKey(const MSG& msg, std::uint64_t time, bool& queued) {
        const bool down = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
        const bool repeat = (msg.lParam & kWasDown) != 0;
        if (IsAltEnter(msg)) {
            // The platform's own key: not Enter for the game, nor are the
            // auto-repeats that go on arriving, without Alt, when Alt is let
            // go first (a repeat starts no press; see HeldKeys::Repeat).
            if (!repeat) screen_.ToggleFullscreen();
            return true;
        }
        const auto scanCode =
            static_cast<std::int32_t>((msg.lParam & kScanCodeBits) >> kScanCodeShift);
        const std::optional<std::string_view> name =
            NameOf(msg.wParam, (scanCode & kExtendedScanCode) != 0, scanCode & 0xFF);
        if (!name) return false;
        if (const std::optional<Comfort> comfort = ComfortOfKey(*name)) {
            if (*name == "PrintScreen") {
                // The system takes Print Screen's key-down for itself: its
                // key-up is the press.
                if (!down) UseComfort(*comfort, false);
            } else if (down) {
                UseComfort(*comfort, repeat);
            }
            return true;
        }
        if (IsPlayback()) {
            if (down && *name == "Escape") StopPlayback(EndReason::Quit);
            return BoundKey(keys_, *name).has_value();
        }
        if (down && IsKeypadDigitArrow(msg.wParam)) return false;
        const std::optional<Key> key = BoundKey(keys_, *name);
        if (!key) return false;
        // A key by where it is on the keyboard (its scan code), so that the
        // main keys and the keypad's are held apart and a keypad arrow let go
        // after Num Lock changed is let go all the same. A held key's
        // auto-repeat sets its pressed flag again, but only for a key the game
        // sees held by it.
        const KeySource source{kKeyboardDevice, scanCode};
        if (!down) {
            Enqueue(held_.Release(*key, source), time, queued);
        } else {
            Enqueue(repeat ? held_.Repeat(*key, source) : held_.Press(*key, source), time, queued);
        }
        return true;
    }

    // What the window's own messages said: a close request, and the focus
    // gone, which lets go of every key held (their key-ups go elsewhere).
    void AbsorbWindowNews(std::uint64_t time, bool& queued) {
        if (screen_.TakeCloseRequest() && Close(time)) queued = true;
        if (screen_.TakeFocusLoss()) {
            for (const KeyChange& change : held_.ReleaseDevice(kKeyboardDevice)) {
                Enqueue(change, time, queued);
            }
            // A player who switches away, or hides the window, finds the
            // game where it was.
            if (autopause_) pauseRequested_ = true;
        }
    }

    void UseSoundLevel() override {
        voice_.SetVolume(level_.Level());
        screen_.ShowNote(level_.Note());
    }

    void SaveScreenshotNow() override {
        // Looked for at the first screenshot, not at start-up.
        if (screenshotFolder_.empty()) screenshotFolder_ = PicturesFolder();
        if (screenshotFolder_.empty()) screenshotFolder_ = ScreenshotFolder();
        SaveScreenshotAndSay(screenshotFolder_, screen_.Shown(), screen_.ShownPalette(),
                             fitAspect_);
    }

    // The game stands still until P or Pause: no picture is presented, no
    // time passes in the run, the cue playing waits. The keys held are let
    // go for the game at once, at time (in the run's time, the input of the
    // delivery point the game is at), so that a recording holds the same;
    // everything else pressed meanwhile is not the game's. The pause leaves
    // no other trace in the run. A close request ends the pause and is the
    // game's.
    void Pause(std::uint64_t time) {
        pauseRequested_ = false;
        const LONGLONG began = FramePacer::Now();
        bool queued = false;
        for (const KeyChange& change : held_.ReleaseAll()) Enqueue(change, time, queued);
        voice_.SetPaused(true);
        screen_.SetPaused(true);
        bool paused = true;
        while (paused) {
            MSG msg;
            const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
            if (got == 0 || got == -1) {
                PostQuitMessage(0);  // for the loops after this one
                break;
            }
            if (IsKeyMessage(msg.message)) {
                paused = AbsorbKeyWhilePaused(msg);
            } else {
                DispatchMessageW(&msg);
            }
            if (screen_.TakeCloseRequest()) {
                Close(time);
                paused = false;
            }
        }
        // A focus lost on the way back is not a new pause.
        screen_.TakeFocusLoss();
        pauseRequested_ = false;
        screen_.SetPaused(false);
        voice_.SetPaused(false);
        pausedTicks_ += FramePacer::Now() - began;
    }

    // A key message during a pause: Alt+Enter and the comforts work, P and
    // Pause resume (false), Escape ends a playback; nothing reaches the game.
    bool AbsorbKeyWhilePaused(const MSG& msg) {
        const bool down = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
        const bool repeat = (msg.lParam & kWasDown) != 0;
        if (IsAltEnter(msg)) {
            if (!repeat) screen_.ToggleFullscreen();
            return true;
        }
        const auto scanCode =
            static_cast<std::int32_t>((msg.lParam & kScanCodeBits) >> kScanCodeShift);
        const std::optional<std::string_view> name =
            NameOf(msg.wParam, (scanCode & kExtendedScanCode) != 0, scanCode & 0xFF);
        const std::optional<Comfort> comfort = name ? ComfortOfKey(*name) : std::nullopt;
        if (comfort == Comfort::Pause) return !down || repeat;
        if (comfort) {
            if (*name == "PrintScreen") {
                if (!down) UseComfort(*comfort, false);
            } else if (down) {
                UseComfort(*comfort, repeat);
            }
        } else if (IsPlayback() && down && name == "Escape") {
            StopPlayback(EndReason::Quit);
            return false;
        } else {
            DispatchMessageW(&msg);  // Alt+F4 among them
        }
        return true;
    }

    // Destroyed in reverse: the voice and the window go last.
    win32::Screen screen_;
    win32::Voice voice_;
    Gamepads pads_;
    HeldKeys held_;
    FramePacer pacer_;
    // The comforts.
    bool soundTried_ = false;  // the sound device was looked for (or is not wanted)
    bool fitAspect_ = true;
    std::string screenshotFolder_;  // the options', else found at the first screenshot
    LONGLONG pausedTicks_ = 0;      // performance-counter ticks spent paused in the run
};

}  // namespace

Result<std::unique_ptr<WindowPlatform>> OpenWin32Platform(const WindowOptions& options) {
    auto host = std::make_unique<Win32Platform>(options);
    if (Result<void> opened = host->Open(options); !opened) return Failure{opened.reason()};
    return std::unique_ptr<WindowPlatform>(std::move(host));
}

}  // namespace platform
