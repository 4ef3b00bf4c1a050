// SPDX-License-Identifier: MIT
// win32_video.h -- the window of the Windows platform: the 320x200 8-bit
// picture scaled, letterboxed, into a window or borderless fullscreen through
// GDI, and the window's own messages (close, focus, size, paint); after the
// desktop compositor's frames from a thread of its own where it runs. Used
// only inside platform/win32.
#pragma once

#include <windows.h>

#include <array>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "core/seam/platform.h"
#include "platform/common/result.h"
#include "platform/win32/win32_platform.h"
#include "platform/window/picture_scale.h"
#include "platform/window/player_backend.h"
#include "platform/window/present_schedule.h"
#include "platform/window/screen_fit.h"

namespace platform::win32 {

// How the picture reaches the window.
enum class DrawMode : std::uint8_t {
    Indexed,  // the 8-bit picture with its palette as a DIB; GDI scales it
    Packed,   // converted and scaled by the program into 32-bit pixels; GDI copies them
};

// What the window shows: the picture, its palette and what lies over it.
struct Scene {
    std::array<std::uint8_t, 320 * 200> pixels{};  // pitch 320
    Palette palette{};
    bool paused = false;
    std::string hint;     // under PAUSED
    std::string note;     // "" when none
    std::string mark;     // "" when none
    std::string readout;  // "" when none
};

// The window and the last picture shown in it. Lives from Open to the end of
// the run, on the thread that pumps its messages. With --present vsync or
// auto, where the desktop's compositor runs, a thread of its own draws into
// the window after each of the compositor's frames, the newest picture
// finished by then; the window's thread then never draws.
class Screen final : public PlayerScreen {
public:
    Screen() = default;
    Screen(const Screen&) = delete;
    Screen& operator=(const Screen&) = delete;
    ~Screen();

    // Creates and shows the window: borderless over the monitor, or
    // PictureSize(fit) times scale. On failure returns false and sets error
    // to one line naming the cause.
    Result<void> Open(const WindowOptions& options, DrawMode mode);

    // Keeps a copy of the picture and its palette and draws it at once, or
    // hands it to the presenting thread. The picture is borrowed for the call.
    void Show(const Picture& picture, const Palette& palette) override;

    // Alt+Enter: between borderless fullscreen and a window.
    void ToggleFullscreen() override;
    bool IsFullscreen() const override { return fullscreen_; }
    // The inside of the window when it is not fullscreen, in pixels.
    std::pair<int, int> WindowedSize() const override;

    // Paused: the kept picture is shown dimmed, with "PAUSED" in the middle
    // in the game's small font, drawn over the scaled picture; the picture
    // kept is untouched.
    void SetPaused(bool paused, std::string_view hint) override;

    // A note over the top of the picture (the volume after a volume key),
    // for the milliseconds asked; a new one replaces it and its time starts again.
    void ShowNote(std::string note, int milliseconds) override;
    void SetMark(std::string_view mark) override;
    void SetReadout(std::string_view line) override;
    // The current mode of the window's monitor.
    int RefreshRate() const override;
    bool PresentsLater() const override { return presenter_.joinable(); }
    std::vector<Presented> TakePresented() override;

    // The picture on the screen and its palette, as the game last showed them.
    Picture Shown() const override { return Picture{scene_.pixels.data(), kScreenWidth}; }
    const Palette& ShownPalette() const override { return scene_.palette; }

    // What the window's messages said since the last call: a request to
    // close it (its close button, Alt+F4), the keyboard focus gone.
    bool TakeCloseRequest();
    bool TakeFocusLoss();
    // The files dropped onto the window since the last call.
    std::vector<std::string> TakeDrops() { return std::exchange(drops_, {}); }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

    // The window rectangle of a window whose inside is width by height,
    // centred on the monitor's work area.
    RECT WindowedRect(int width, int height) const;
    // The scene drawn again, by whichever thread draws.
    void Repaint(bool bars);
    // Draws the scene into the fitted rectangle, and the black bars around
    // it when bars is true.
    void Draw(HDC dc, const Scene& scene, bool bars);
    void DrawIndexed(HDC dc, const Scene& scene);
    void DrawPacked(HDC dc, const Scene& scene);

    // Starts the presenting thread: "" once it runs, else why not (the
    // compositor is off, as under Wine), and the window's thread draws.
    std::string StartPresenter();
    void StopPresenter();
    void Present();

    HWND window_ = nullptr;
    ScreenFit fit_;
    DrawMode mode_ = DrawMode::Indexed;
    bool fullscreen_ = false;
    RECT windowed_{};  // where the window was before going fullscreen
    bool windowedKnown_ = false;
    bool closeRequested_ = false;
    bool focusLost_ = false;
    std::vector<std::string> drops_;
    Scene scene_;                  // as the game last set it
    std::uint64_t showCalls_ = 0;  // the pictures shown so far

    // What drawing needs, used only by the thread that draws.
    ScreenRect target_;  // the picture's place in the window, from its size
    PictureScaler scaler_;
    std::vector<std::uint32_t> buffer_;  // the target's 32-bit pixels, or the prescaled picture's
    BITMAPINFO packedInfo_{};

    // The presenting thread, and what it shares with the window's: all
    // below is under lock_.
    using Flush = HRESULT(WINAPI*)();
    Flush flush_ = nullptr;  // DwmFlush: waits for the compositor's next frame
    HMODULE dwm_ = nullptr;
    std::thread presenter_;
    std::mutex lock_;
    std::condition_variable wake_;
    bool stopping_ = false;
    Scene posted_;
    FrameMailbox mailbox_;
    bool redraw_ = false;  // the scene to be drawn again, new picture or not
    bool bars_ = false;    // and the bars with it
    std::vector<Presented> presented_;
};
}  // namespace platform::win32
