// win32_platform.cpp -- the Windows platform: the window's key messages
// turned into the seven keys and delivered at the delivery points, frame
// pacing on a waitable timer, the window and the single voice put together.
#include "platform/win32/win32_platform.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>

#include "platform/win32/win32_sound.h"
#include "platform/win32/win32_video.h"
#include "platform/window/pad_keys.h"

namespace platform {

namespace {

// CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, which older headers do not name:
// a timer that wakes within a fraction of a millisecond (Windows 10 1803 on).
constexpr DWORD kHighResolutionTimer = 0x00000002;

// Bit 24 of a key message: an extended key (the arrows beside the keypad,
// the keypad's Enter). Bit 29: Alt is held. Bit 30: the key was down already.
constexpr LPARAM kExtendedKey = LPARAM{1} << 24;
constexpr LPARAM kAltHeld = LPARAM{1} << 29;
constexpr LPARAM kWasDown = LPARAM{1} << 30;

// The seven keys. The keypad's arrows count with Num Lock on or off.
std::optional<Key> KeyOf(WPARAM virtualKey) {
    switch (virtualKey) {
        case VK_RETURN:
            return Key::Enter;
        case VK_ESCAPE:
            return Key::Escape;
        case VK_SPACE:
            return Key::Space;
        case VK_LEFT:
        case VK_NUMPAD4:
            return Key::Left;
        case VK_UP:
        case VK_NUMPAD8:
            return Key::Up;
        case VK_RIGHT:
        case VK_NUMPAD6:
            return Key::Right;
        case VK_DOWN:
        case VK_NUMPAD2:
            return Key::Down;
        default:
            return std::nullopt;
    }
}

bool IsKeyMessage(UINT message) {
    return message == WM_KEYDOWN || message == WM_SYSKEYDOWN || message == WM_KEYUP ||
           message == WM_SYSKEYUP;
}

bool IsAltEnter(const MSG& msg) {
    return msg.message == WM_SYSKEYDOWN && msg.wParam == VK_RETURN && (msg.lParam & kAltHeld) != 0;
}

// Frames at a steady rate: after each present, wait on a timer until the next
// slot of the schedule. The slots stay a period apart however late a wait
// ends, so a late wake-up shortens the next wait instead of delaying every
// frame after it; a present more than a period late starts the schedule anew
// instead of racing to catch up. No spinning.
class FramePacer {
public:
    explicit FramePacer(int fps) {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        frequency_ = frequency.QuadPart;
        period_ = frequency_ / std::max(fps, 1);
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

    void WaitForNextSlot() {
        const LONGLONG now = Now();
        if (!started_ || now > nextSlot_ + period_) nextSlot_ = now + period_;
        started_ = true;
        WaitUntil(nextSlot_);
        nextSlot_ += period_;
    }

private:
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

    LONGLONG frequency_ = 1;  // performance-counter ticks per second
    LONGLONG period_ = 1;     // ticks per frame
    LONGLONG nextSlot_ = 0;   // performance-counter time the next wait ends
    bool started_ = false;
    HANDLE timer_ = nullptr;
    bool finePeriod_ = false;  // timeBeginPeriod(1) is in force
};

class Win32Platform final : public Win32Host {
public:
    explicit Win32Platform(const Win32Options& options)
        : journal_(JournalOptions{options.log, options.record,
                                  options.playback.value_or(Script{})}),
          pacer_(options.fps),
          playback_(options.playback.has_value()) {}

    // The program converts and scales the picture itself: as fast as GDI's
    // scaling of the 8-bit picture or a little faster (tools/perf/
    // windows-draw.sh), and the very pixels of the desktop build's window surface.
    bool Open(const Win32Options& options, std::string& error) {
        return screen_.Open(options, win32::DrawMode::Packed, error);
    }

    RunJournal& Journal() override { return journal_; }

    void ShowPicture(const Picture& picture, const Palette& palette,
                     PictureKind kind) override {
        screen_.Show(picture, palette);
        journal_.Picture(picture, palette, kind);
        if (kind == PictureKind::Present) pacer_.WaitForNextSlot();
    }

    void DeliverDueInput(KeyState& keys) override {
        if (!journal_.Input().IsDeliveryDue()) return;
        Pump(journal_.Input().Now());
        if (playbackStopped_) throw RunEnded{EndReason::Quit};
        journal_.Input().DeliverAtPoll(keys);
    }

    void WaitForInput(KeyState& keys) override {
        if (playback_) {
            WaitInPlayback();
        } else if (!journal_.Input().HasPending()) {
            const std::uint64_t time = journal_.BeginLiveWait();
            // Asleep until a message arrives; paints are done meanwhile.
            while (!Pump(time)) WaitMessage();
        }
        journal_.Input().DeliverAtWait(keys);
    }

    void PlayCue(Cue cue) override {
        journal_.PlayCue(cue);
        OpenSoundOnce();
        voice_.Play(cue, false);
    }
    void LoopCue(Cue cue) override {
        journal_.LoopCue(cue);
        OpenSoundOnce();
        voice_.Play(cue, true);
    }
    void StopSound() override {
        journal_.StopSound();
        voice_.Stop();
    }

    std::uint32_t CalendarSeconds() override {
        return journal_.Reseed(static_cast<std::uint32_t>(std::time(nullptr)));
    }

private:
    // A wait during a playback: the recorded player took (next event's time -
    // now) frames to act, so the wait lasts that long in real time; the
    // window stays live and Escape ends the show. With nothing left to play,
    // the show is over.
    void WaitInPlayback() {
        if (!journal_.Input().HasPending()) throw RunEnded{EndReason::Script};
        const std::uint64_t due = journal_.Input().Pending().front().time;
        for (std::uint64_t t = journal_.Input().Now(); t < due; ++t) {
            Pump(journal_.Input().Now());
            if (playbackStopped_) throw RunEnded{EndReason::Quit};
            pacer_.WaitForNextSlot();
        }
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
        }
        AbsorbWindowNews(time, queued);
        return queued;
    }

    // A key message. True when it is the game's or the platform's own, which
    // the window never sees; the rest (Alt+F4 among them) go to the window.
    bool AbsorbKey(const MSG& msg, std::uint64_t time, bool& queued) {
        const bool down = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
        if (IsAltEnter(msg)) {
            // The platform's own key: not Enter for the game.
            if ((msg.lParam & kWasDown) == 0) screen_.ToggleFullscreen();
            return true;
        }
        const std::optional<Key> key = KeyOf(msg.wParam);
        if (!key) return false;
        if (playback_) {
            if (down && *key == Key::Escape) playbackStopped_ = true;
            return true;
        }
        // The main keys and the keypad's are held apart. A held key's
        // auto-repeat arrives as another down and sets its pressed flag again.
        const KeySource source{kKeyboardDevice, static_cast<std::int32_t>(msg.wParam) |
                                                    ((msg.lParam & kExtendedKey) != 0 ? 0x100 : 0)};
        Enqueue(down ? held_.Press(*key, source) : held_.Release(*key, source), time, queued);
        return true;
    }

    // What the window's own messages said: a close request, and the focus
    // gone, which lets go of every key held (their key-ups go elsewhere).
    void AbsorbWindowNews(std::uint64_t time, bool& queued) {
        if (screen_.TakeCloseRequest()) {
            if (playback_) {
                playbackStopped_ = true;
            } else {
                journal_.Input().Enqueue(InputEvent{time, InputEvent::Kind::Close, Key::Enter});
                queued = true;
            }
        }
        if (screen_.TakeFocusLoss()) {
            for (const KeyChange& change : held_.ReleaseDevice(kKeyboardDevice)) {
                Enqueue(change, time, queued);
            }
        }
    }

    // Destroyed in reverse: the voice and the window go last.
    win32::Screen screen_;
    win32::Voice voice_;
    bool soundTried_ = false;  // the sound device was looked for
    HeldKeys held_;
    RunJournal journal_;
    FramePacer pacer_;
    // Playing a recorded script back instead of reading the keyboard.
    bool playback_ = false;
    bool playbackStopped_ = false;  // Escape or a close request during the show
};

}  // namespace

Result<std::unique_ptr<Win32Host>> OpenWin32Platform(const Win32Options& options) {
    auto host = std::make_unique<Win32Platform>(options);
    std::string error;
    if (!host->Open(options, error)) return Failure{error};
    return std::unique_ptr<Win32Host>(std::move(host));
}

}  // namespace platform
