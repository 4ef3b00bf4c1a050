// SPDX-License-Identifier: MIT
// win32_platform.cpp -- the players' backend on Windows: the window's
// messages and the XInput pads translated into the player platform's news,
// the clock and a waitable timer, the window and the single voice.
#include "platform/win32/win32_platform.h"

#include <windows.h>
// After windows.h, whose types they use.
#include <knownfolders.h>
#include <shlobj.h>
#include <xinput.h>

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/win32/win32_sound.h"
#include "platform/win32/win32_video.h"
#include "platform/window/key_names.h"
#include "platform/window/pad_keys.h"
#include "platform/window/player_backend.h"

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

// The keys of the keyboard by their names (key_names.h), by virtual-key code:
// the name with the extended bit of the message, and without. The bit tells
// the keys beside the keypad (arrows, Home, the right Ctrl and Alt, the
// keypad's Enter) from the keypad's own, which arrive with the same codes
// while Num Lock is off. The letters, digits, F1 to F12 and the keypad's
// digits under Num Lock are reckoned below.
struct KeyName {
    WPARAM virtualKey;
    std::string_view extended;
    std::string_view plain;
};
constexpr std::array<KeyName, 37> kKeyNames = {{
    {VK_LEFT, "Left", "Keypad4"},
    {VK_RIGHT, "Right", "Keypad6"},
    {VK_UP, "Up", "Keypad8"},
    {VK_DOWN, "Down", "Keypad2"},
    {VK_HOME, "Home", "Keypad7"},
    {VK_END, "End", "Keypad1"},
    {VK_PRIOR, "PageUp", "Keypad9"},
    {VK_NEXT, "PageDown", "Keypad3"},
    {VK_INSERT, "Insert", "Keypad0"},
    {VK_DELETE, "Delete", "KeypadPeriod"},
    {VK_CLEAR, "Keypad5", "Keypad5"},
    {VK_RETURN, "KeypadEnter", "Enter"},
    {VK_SPACE, "Space", "Space"},
    {VK_ESCAPE, "Escape", "Escape"},
    {VK_TAB, "Tab", "Tab"},
    {VK_BACK, "Backspace", "Backspace"},
    {VK_ADD, "KeypadPlus", "KeypadPlus"},
    {VK_SUBTRACT, "KeypadMinus", "KeypadMinus"},
    {VK_MULTIPLY, "KeypadMultiply", "KeypadMultiply"},
    {VK_DIVIDE, "KeypadDivide", "KeypadDivide"},
    {VK_DECIMAL, "KeypadPeriod", "KeypadPeriod"},
    {VK_CONTROL, "RightCtrl", "LeftCtrl"},
    {VK_MENU, "RightAlt", "LeftAlt"},
    {VK_PAUSE, "Pause", "Pause"},
    {VK_SNAPSHOT, "PrintScreen", "PrintScreen"},
    {VK_OEM_COMMA, "Comma", "Comma"},
    {VK_OEM_PERIOD, "Period", "Period"},
    {VK_OEM_2, "Slash", "Slash"},
    {VK_OEM_1, "Semicolon", "Semicolon"},
    {VK_OEM_7, "Apostrophe", "Apostrophe"},
    {VK_OEM_4, "LeftBracket", "LeftBracket"},
    {VK_OEM_6, "RightBracket", "RightBracket"},
    {VK_OEM_5, "Backslash", "Backslash"},
    {VK_OEM_MINUS, "Minus", "Minus"},
    {VK_OEM_PLUS, "Equals", "Equals"},
    {VK_OEM_3, "Backquote", "Backquote"},
    {VK_SHIFT, "LeftShift", "LeftShift"},  // the right one by its scan code, below
}};

std::string_view NameOf(WPARAM virtualKey, bool extended, int scanCode) {
    std::optional<std::string_view> name;
    if ((virtualKey >= 'A' && virtualKey <= 'Z') || (virtualKey >= '0' && virtualKey <= '9')) {
        const char label[2] = {static_cast<char>(virtualKey), '\0'};
        name = FindKeyName(label);
    } else if (virtualKey >= VK_F1 && virtualKey <= VK_F12) {
        name = FindKeyName("F" + std::to_string(virtualKey - VK_F1 + 1));
    } else if (virtualKey >= VK_NUMPAD0 && virtualKey <= VK_NUMPAD9) {
        name = FindKeyName("Keypad" + std::to_string(virtualKey - VK_NUMPAD0));
    } else if (virtualKey == VK_SHIFT && scanCode == 0x36) {
        name = "RightShift";
    }
    if (name) return *name;
    for (const KeyName& key : kKeyNames) {
        if (key.virtualKey == virtualKey) return extended ? key.extended : key.plain;
    }
    return {};
}

// The user's Pictures folder, wherever the system keeps it, and our folder
// in it; empty when the system does not say.
std::string KnownPicturesFolder() {
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

// A wait on a timer until a performance-counter time, for the frames'
// steady rate. No spinning.
class Timer {
public:
    Timer() {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        frequency_ = frequency.QuadPart;
        timer_ = CreateWaitableTimerExW(nullptr, nullptr, kHighResolutionTimer, TIMER_ALL_ACCESS);
        if (timer_ == nullptr) {
            // An older system: a plain timer, with the system's timer
            // resolution raised to a millisecond for the run.
            timer_ = CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
            finePeriod_ = timeBeginPeriod(1) == TIMERR_NOERROR;
        }
    }
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;
    ~Timer() {
        if (finePeriod_) timeEndPeriod(1);
        if (timer_ != nullptr) CloseHandle(timer_);
    }

    LONGLONG Frequency() const { return frequency_; }
    static LONGLONG Now() {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return now.QuadPart;
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

private:
    LONGLONG frequency_ = 1;  // performance-counter ticks per second
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

    // Reads the pads plugged in, and the empty slots when it is time, as
    // news: a pad gone, a pad's reading changed (a pad come starts from
    // nothing held).
    void Look(NewsSink& news) {
        OpenOnce();
        if (getState_ == nullptr) return;
        const ULONGLONG now = GetTickCount64();
        const bool probe = now >= nextProbe_;
        if (probe) nextProbe_ = now + kPadProbeMilliseconds;
        for (DWORD i = 0; i < slots_.size(); ++i) {
            Slot& slot = slots_[i];
            if (!slot.plugged && !probe) continue;
            const auto pad = static_cast<std::int32_t>(i);
            XINPUT_STATE state{};
            if (getState_(i, &state) != ERROR_SUCCESS) {
                if (slot.plugged) news.OnPadGone(pad);
                slot = Slot{};
                continue;
            }
            if (slot.plugged && state.dwPacketNumber == slot.packet) continue;
            const XINPUT_GAMEPAD& gamepad = state.Gamepad;
            const PadReading reading =
                ReadingOfXInput(gamepad.wButtons, gamepad.sThumbLX, gamepad.sThumbLY);
            const PadReading before = slot.reading;
            slot = Slot{true, state.dwPacketNumber, reading};
            news.OnPadRead(pad, before, reading);
        }
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

class Win32Backend final : public PlayerBackend {
public:
    explicit Win32Backend(const WindowOptions& options) : voice_(options.sound) {}

    // The program converts and scales the picture itself: as fast as GDI's
    // scaling of the 8-bit picture or a little faster (tools/perf/
    // windows-draw.sh), and the very pixels of the desktop build's window surface.
    Result<void> Open(const WindowOptions& options) {
        return screen_.Open(options, win32::DrawMode::Packed);
    }

    // Every message waiting for the window, then the pads. No
    // TranslateMessage: the game reads keys, never characters.
    void Pump(NewsSink& news) override {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE) != 0) {
            if (msg.message == WM_QUIT) {
                news.OnWindow(WindowNews::Close);
            } else if (!IsKeyMessage(msg.message) || !TranslateKey(msg, news)) {
                DispatchMessageW(&msg);
            }
            TellWindowNews(news);
        }
        TellWindowNews(news);
        pads_.Look(news);
    }

    // Asleep until a message arrives, or the pads' next look is due; paints
    // are done meanwhile.
    void Sleep() override {
        DWORD timeout = INFINITE;
        if (pads_.IsAnyPlugged()) {
            timeout = kPadLookMilliseconds;
        } else if (pads_.IsAvailable()) {
            timeout = pads_.UntilProbe();
        }
        MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }

    std::int64_t TicksPerSecond() const override { return timer_.Frequency(); }
    std::int64_t Ticks() const override { return Timer::Now(); }
    void SleepUntil(std::int64_t tick) override { timer_.WaitUntil(tick); }

    PlayerScreen& Screen() override { return screen_; }
    const PlayerScreen& Screen() const override { return screen_; }
    PlayerVoice& Voice() override { return voice_; }
    std::string PicturesFolder() const override { return KnownPicturesFolder(); }

private:
    // A key message as news; true when it was taken, which the window then
    // never sees. The rest (Alt+F4 among them) go to the window.
    bool TranslateKey(const MSG& msg, NewsSink& news) {
        const bool down = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
        const auto scanCode =
            static_cast<std::int32_t>((msg.lParam & kScanCodeBits) >> kScanCodeShift);
        KeyNews key{NameOf(msg.wParam, (scanCode & kExtendedScanCode) != 0, scanCode & 0xFF),
                    scanCode,
                    down,
                    (msg.lParam & kWasDown) != 0,
                    (msg.lParam & kAltHeld) != 0,
                    msg.wParam >= VK_NUMPAD0 && msg.wParam <= VK_NUMPAD9};
        if (key.name == "PrintScreen") {
            // The system takes Print Screen's key-down for itself: its key-up
            // is the press.
            if (down) return true;
            key.down = true;
            key.repeat = false;
        }
        return news.OnKey(key);
    }

    // What the window's own messages said: a close request, the focus gone.
    void TellWindowNews(NewsSink& news) {
        if (screen_.TakeCloseRequest()) news.OnWindow(WindowNews::Close);
        if (screen_.TakeFocusLoss()) news.OnWindow(WindowNews::FocusLost);
        for (std::string& path : screen_.TakeDrops()) news.OnDrop(std::move(path));
    }

    // Destroyed in reverse: the voice and the window go last.
    win32::Screen screen_;
    win32::Voice voice_;
    Gamepads pads_;
    Timer timer_;
};

}  // namespace

Result<std::unique_ptr<PlayerPlatform>> OpenWin32Platform(const WindowOptions& options) {
    return OpenPlayerPlatform<Win32Backend>(options);
}

}  // namespace platform
