// SPDX-License-Identifier: MIT
// win32_platform.cpp -- the Windows platform: the window's key messages
// turned into the seven keys and delivered at the delivery points, frame
// pacing on a waitable timer, the window and the single voice put together.
#include "platform/win32/win32_platform.h"

#include <windows.h>
// After windows.h, whose types it uses.
#include <xinput.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/win32_sound.h"
#include "platform/win32/win32_video.h"
#include "platform/window/pad_keys.h"

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

// How often a wait for a key looks at the pads plugged in (milliseconds), and
// how often at the empty slots for a pad plugged in meanwhile: XInput reports
// no events, and asking about an empty slot is slow.
constexpr DWORD kPadLookMilliseconds = 10;
constexpr ULONGLONG kPadProbeMilliseconds = 1000;

// A key of the keyboard. The keypad's 4, 8, 6 and 2 are its arrows while Num
// Lock is off, when they arrive as the arrows themselves; with Num Lock on
// they are digits, which the game does not read. A key let go is let go
// whatever Num Lock says (released true).
std::optional<Key> KeyOf(WPARAM virtualKey, bool released) {
    switch (virtualKey) {
        case VK_RETURN:
            return Key::Enter;
        case VK_ESCAPE:
            return Key::Escape;
        case VK_SPACE:
            return Key::Space;
        case VK_LEFT:
            return Key::Left;
        case VK_UP:
            return Key::Up;
        case VK_RIGHT:
            return Key::Right;
        case VK_DOWN:
            return Key::Down;
        case VK_NUMPAD4:
            return released ? std::optional<Key>(Key::Left) : std::nullopt;
        case VK_NUMPAD8:
            return released ? std::optional<Key>(Key::Up) : std::nullopt;
        case VK_NUMPAD6:
            return released ? std::optional<Key>(Key::Right) : std::nullopt;
        case VK_NUMPAD2:
            return released ? std::optional<Key>(Key::Down) : std::nullopt;
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

    static LONGLONG Now() {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return now.QuadPart;
    }

    // Whole frame periods since a performance-counter time.
    std::uint64_t FramesSince(LONGLONG counter) const {
        const LONGLONG now = Now();
        if (now <= counter) return 0;
        return static_cast<std::uint64_t>((now - counter) / period_);
    }

private:
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

// The XInput pads, in its four slots, read whole at each look. XInput's DLL
// is looked for at the first look (xinput1_4 from Windows 8 on, xinput9_1_0
// before), so that the first picture does not wait for it and the program
// imports none but the system's own DLLs; without it the keyboard plays.
class Gamepads {
public:
    Gamepads() = default;
    Gamepads(const Gamepads&) = delete;
    Gamepads& operator=(const Gamepads&) = delete;
    ~Gamepads() {
        if (library_ != nullptr) FreeLibrary(library_);
    }

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

class Win32Platform final : public Win32Host {
public:
    explicit Win32Platform(const Win32Options& options)
        : journal_(
              JournalOptions{options.log, options.record, options.playback.value_or(Script{})}),
          pacer_(options.fps),
          playback_(options.playback.has_value()) {}

    // The program converts and scales the picture itself: as fast as GDI's
    // scaling of the 8-bit picture or a little faster (tools/perf/
    // windows-draw.sh), and the very pixels of the desktop build's window surface.
    bool Open(const Win32Options& options, std::string& error) {
        return screen_.Open(options, win32::DrawMode::Packed, error);
    }

    RunJournal& Journal() override { return journal_; }

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
        if (playback_) {
            WaitInPlayback();
        } else if (!journal_.Input().HasPending()) {
            // What arrives is stamped with the frames that passed while the
            // game waited (one at least), so that a playback of the recording
            // waits as long as the player did; a replay delivers it at this
            // same wait all the same.
            const std::uint64_t start = journal_.BeginLiveWait();
            const LONGLONG startCounter = FramePacer::Now();
            const auto stamp = [&] {
                const std::uint64_t frames = pacer_.FramesSince(startCounter);
                return start + (frames > 1 ? frames - 1 : 0);
            };
            // Asleep until a message arrives, or the pads' next look is due;
            // paints are done meanwhile.
            bool arrived = Pump(start);
            arrived = LookAtPads(start) || arrived;
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
            }
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
            EndPlaybackIfStopped();
            pacer_.WaitForNextSlot();
        }
    }

    // Escape (Quit) or a close request (Close) ends a playback at once.
    void EndPlaybackIfStopped() const {
        if (playbackStop_) throw RunEnded{*playbackStop_};
    }

    // The pads' changes queued as input due at time. True when it queued
    // input. During a playback the script is the only player.
    bool LookAtPads(std::uint64_t time) {
        if (playback_) return false;
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
        }
        AbsorbWindowNews(time, queued);
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
        const std::optional<Key> key = KeyOf(msg.wParam, !down);
        if (!key) return false;
        if (playback_) {
            if (down && *key == Key::Escape && !playbackStop_) playbackStop_ = EndReason::Quit;
            return true;
        }
        // A key by where it is on the keyboard (its scan code), so that the
        // main keys and the keypad's are held apart and a keypad arrow let go
        // after Num Lock changed is let go all the same. A held key's
        // auto-repeat sets its pressed flag again, but only for a key the game
        // sees held by it.
        const KeySource source{
            kKeyboardDevice,
            static_cast<std::int32_t>((msg.lParam & kScanCodeBits) >> kScanCodeShift)};
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
        if (screen_.TakeCloseRequest()) {
            if (playback_) {
                if (!playbackStop_) playbackStop_ = EndReason::Close;
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
    Gamepads pads_;
    HeldKeys held_;
    RunJournal journal_;
    FramePacer pacer_;
    // Playing a recorded script back instead of reading the keyboard.
    bool playback_ = false;
    std::optional<EndReason> playbackStop_;  // Escape or a close request during the show
};

}  // namespace

Result<std::unique_ptr<Win32Host>> OpenWin32Platform(const Win32Options& options) {
    auto host = std::make_unique<Win32Platform>(options);
    std::string error;
    if (!host->Open(options, error)) return Failure{error};
    return std::unique_ptr<Win32Host>(std::move(host));
}

}  // namespace platform
