// SPDX-License-Identifier: MIT
// win32_video.h -- the window of the Windows platform: the 320x200 8-bit
// picture scaled, letterboxed, into a window or borderless fullscreen through
// GDI, and the window's own messages (close, focus, size, paint). Used only
// inside platform/win32.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/seam/platform.h"
#include "platform/common/result.h"
#include "platform/win32/win32_platform.h"
#include "platform/window/picture_scale.h"
#include "platform/window/player_backend.h"
#include "platform/window/screen_fit.h"

namespace platform::win32 {

// How the picture reaches the window.
enum class DrawMode : std::uint8_t {
    Indexed,  // the 8-bit picture with its palette as a DIB; GDI scales it
    Packed,   // converted and scaled by the program into 32-bit pixels; GDI copies them
};

// The window and the last picture shown in it. Lives from Open to the end of
// the run, on the thread that pumps its messages.
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

    // Keeps a copy of the picture and its palette and draws it at once. The
    // picture is borrowed for the call.
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

    // The picture on the screen and its palette, as the game last showed them.
    Picture Shown() const override { return Picture{pixels_.data(), kScreenWidth}; }
    const Palette& ShownPalette() const override { return palette_; }

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
    // Draws the picture into the fitted rectangle, and the black bars around
    // it when bars is true.
    void Draw(HDC dc, bool bars);
    void DrawIndexed(HDC dc);
    void DrawPacked(HDC dc);

    HWND window_ = nullptr;
    ScreenFit fit_;
    DrawMode mode_ = DrawMode::Indexed;
    bool fullscreen_ = false;
    RECT windowed_{};  // where the window was before going fullscreen
    bool windowedKnown_ = false;
    bool closeRequested_ = false;
    bool focusLost_ = false;
    bool paused_ = false;
    std::string hint_;  // under PAUSED
    std::string note_;  // "" when none
    std::string mark_;  // "" when none
    std::vector<std::string> drops_;

    // The last picture (pitch 320) and the palette it was shown with.
    std::array<std::uint8_t, 320 * 200> pixels_{};
    Palette palette_{};
    ScreenRect target_;  // the picture's place in the window, from its size

    // The 8-bit DIB's header and palette.
    struct IndexedInfo {
        BITMAPINFOHEADER header;
        RGBQUAD colours[256];
    } indexed_{};

    // The 32-bit pixels of the target rectangle, and their header.
    PackedPalette packed_{};
    PictureScaler scaler_;
    std::vector<std::uint32_t> buffer_;
    BITMAPINFO packedInfo_{};
};

}  // namespace platform::win32
