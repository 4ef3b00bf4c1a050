// SPDX-License-Identifier: MIT
// win32_video.cpp -- the window and the picture in it, through GDI.
//
// Presenting after the compositor's frames: the desktop window manager
// composes the desktop once a refresh from what each window drew. A picture
// drawn straight after one composition is shown whole at the next, never
// torn; DwmFlush waits for that moment, up to a refresh period, which the
// game's frames must never wait for. So a thread of its own waits in it and
// then draws the newest picture the game finished, through a mailbox of one
// as on the desktop's GPU path; older ones are never drawn. That thread is
// then the only one that draws into the window (its device context belongs
// to the window, whoever asks): the window's thread hands it every picture
// and every redraw. Where the compositor is off (Windows 7 with it turned
// off, Wine) each picture is drawn at once on the game's thread.
#include "platform/win32/win32_video.h"

#include <shellapi.h>  // after windows.h, whose types it uses

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

#include "platform/common/warning.h"
#include "platform/window/paused_picture.h"

namespace platform::win32 {

namespace {

constexpr const wchar_t* kWindowClass = L"FompyTalden";
constexpr const wchar_t* kWindowTitle = L"FOMPY TALDEN";
constexpr DWORD kWindowedStyle = WS_OVERLAPPEDWINDOW;
constexpr DWORD kFullscreenStyle = WS_POPUP;
constexpr int kIconResource = 1;  // the program's icon, in its resources
constexpr ScreenRect kWholePicture{0, 0, kScreenWidth, kScreenHeight};
constexpr UINT_PTR kNoteTimer = 1;  // the window's timer that takes a note away

RECT MonitorArea(HWND window, bool workArea) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    const HMONITOR monitor = window != nullptr
                                 ? MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST)
                                 : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    if (GetMonitorInfoW(monitor, &info) == 0) {
        return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    return workArea ? info.rcWork : info.rcMonitor;
}

void FillBlack(HDC dc, int left, int top, int right, int bottom) {
    if (right <= left || bottom <= top) return;
    const RECT area{left, top, right, bottom};
    FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

// A black box with white blocks over it.
void FillBoxes(HDC dc, const ScreenRect& box, const std::vector<ScreenRect>& blocks) {
    const RECT backing{box.x, box.y, box.x + box.width, box.y + box.height};
    FillRect(dc, &backing, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    const auto white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    for (const ScreenRect& block : blocks) {
        const RECT area{block.x, block.y, block.x + block.width, block.y + block.height};
        FillRect(dc, &area, white);
    }
}

}  // namespace

Screen::~Screen() {
    StopPresenter();  // it draws into the window
    if (window_ != nullptr) DestroyWindow(window_);
}

Result<void> Screen::Open(const WindowOptions& options, DrawMode mode) {
    fit_ = options.fit;
    mode_ = mode;
    fullscreen_ = options.fullscreen;

    packedInfo_.bmiHeader.biSize = sizeof packedInfo_.bmiHeader;
    packedInfo_.bmiHeader.biPlanes = 1;
    packedInfo_.bmiHeader.biBitCount = 32;
    packedInfo_.bmiHeader.biCompression = BI_RGB;

    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = &Screen::WindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kIconResource));
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.lpszClassName = kWindowClass;
    if (RegisterClassExW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return Failure{"cannot open a window: the window class was refused (error " +
                       std::to_string(GetLastError()) + ")"};
    }

    const ScreenRect size = PictureSize(fit_);
    const int scale = std::clamp(options.scale, 1, 16);
    if (options.windowWidth > 0 && options.windowHeight > 0) {
        windowed_ = WindowedRect(std::max(options.windowWidth, size.width),
                                 std::max(options.windowHeight, size.height));
    } else {
        windowed_ = WindowedRect(size.width * scale, size.height * scale);
    }
    windowedKnown_ = true;
    const RECT area = fullscreen_ ? MonitorArea(nullptr, false) : windowed_;
    window_ = CreateWindowExW(WS_EX_ACCEPTFILES, kWindowClass, kWindowTitle,
                              fullscreen_ ? kFullscreenStyle : kWindowedStyle, area.left, area.top,
                              area.right - area.left, area.bottom - area.top, nullptr, nullptr,
                              instance, this);
    if (window_ == nullptr) {
        return Failure{"cannot open a window (error " + std::to_string(GetLastError()) + ")"};
    }
    if (options.present != PresentMode::Immediate) {
        const std::string why = StartPresenter();
        if (!why.empty() && options.present == PresentMode::Vsync) {
            Warn("cannot present after the compositor's frames: " + why + "; presenting at once");
        }
    }
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    return {};
}

std::string Screen::StartPresenter() {
    dwm_ = LoadLibraryW(L"dwmapi.dll");
    if (dwm_ == nullptr) return "there is no desktop window manager";
    using IsEnabled = HRESULT(WINAPI*)(BOOL*);
    const auto isEnabled = reinterpret_cast<IsEnabled>(
        reinterpret_cast<void (*)()>(GetProcAddress(dwm_, "DwmIsCompositionEnabled")));
    flush_ =
        reinterpret_cast<Flush>(reinterpret_cast<void (*)()>(GetProcAddress(dwm_, "DwmFlush")));
    BOOL enabled = FALSE;
    if (isEnabled == nullptr || flush_ == nullptr || FAILED(isEnabled(&enabled)) || !enabled) {
        FreeLibrary(dwm_);
        dwm_ = nullptr;
        flush_ = nullptr;
        return "the desktop's compositor is off";
    }
    presenter_ = std::thread([this] { Present(); });
    return {};
}

void Screen::StopPresenter() {
    if (presenter_.joinable()) {
        {
            const std::lock_guard<std::mutex> hold(lock_);
            stopping_ = true;
        }
        wake_.notify_one();
        presenter_.join();
    }
    if (dwm_ != nullptr) FreeLibrary(dwm_);
    dwm_ = nullptr;
}

void Screen::Present() {
    Scene scene;
    for (;;) {
        {
            std::unique_lock<std::mutex> hold(lock_);
            wake_.wait(hold, [this] { return stopping_ || mailbox_.HasNew() || redraw_; });
            if (stopping_) return;
        }
        // The compositor's frame has gone by: what is drawn now is shown
        // whole at the next one. The newest picture by then is taken.
        flush_();
        std::optional<std::uint64_t> shown;
        bool bars = false;
        {
            const std::lock_guard<std::mutex> hold(lock_);
            if (stopping_) return;
            shown = mailbox_.Take();
            bars = std::exchange(bars_, false);
            redraw_ = false;
            scene = posted_;
        }
        const HDC dc = GetDC(window_);
        Draw(dc, scene, bars);
        GdiFlush();  // into the window's surface now, not at the next GDI call
        ReleaseDC(window_, dc);
        if (shown) {
            LARGE_INTEGER now;
            QueryPerformanceCounter(&now);
            const std::lock_guard<std::mutex> hold(lock_);
            constexpr std::size_t kMostKept = 1024;  // nobody asks: keep no more
            if (presented_.size() < kMostKept) presented_.push_back({*shown, now.QuadPart});
        }
    }
}

std::vector<PlayerScreen::Presented> Screen::TakePresented() {
    const std::lock_guard<std::mutex> hold(lock_);
    return std::exchange(presented_, {});
}

int Screen::RefreshRate() const {
    MONITORINFOEXW info{};
    info.cbSize = sizeof info;
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    if (window_ == nullptr ||
        GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST), &info) == 0 ||
        EnumDisplaySettingsW(info.szDevice, ENUM_CURRENT_SETTINGS, &mode) == 0) {
        return 0;
    }
    // 0 and 1 stand for the hardware's default rate, which it does not tell.
    return mode.dmDisplayFrequency > 1 ? static_cast<int>(mode.dmDisplayFrequency) : 0;
}

void Screen::Repaint(bool bars) {
    if (window_ == nullptr) return;
    if (presenter_.joinable()) {
        {
            const std::lock_guard<std::mutex> hold(lock_);
            posted_ = scene_;
            redraw_ = true;
            bars_ = bars_ || bars;
        }
        wake_.notify_one();
        return;
    }
    const HDC dc = GetDC(window_);
    Draw(dc, scene_, bars);
    ReleaseDC(window_, dc);
}

RECT Screen::WindowedRect(int width, int height) const {
    RECT rect{0, 0, width, height};
    AdjustWindowRectEx(&rect, kWindowedStyle, FALSE, 0);
    const RECT work = MonitorArea(window_, true);
    const LONG outerWidth = rect.right - rect.left;
    const LONG outerHeight = rect.bottom - rect.top;
    const LONG left = work.left + std::max<LONG>(0, (work.right - work.left - outerWidth) / 2);
    const LONG top = work.top + std::max<LONG>(0, (work.bottom - work.top - outerHeight) / 2);
    return RECT{left, top, left + outerWidth, top + outerHeight};
}

std::pair<int, int> Screen::WindowedSize() const {
    if (!fullscreen_ && window_ != nullptr) {
        RECT client{};
        GetClientRect(window_, &client);
        return {client.right - client.left, client.bottom - client.top};
    }
    // The window as it was before going fullscreen, less its frame.
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, kWindowedStyle, FALSE, 0);
    return {(windowed_.right - windowed_.left) - (frame.right - frame.left),
            (windowed_.bottom - windowed_.top) - (frame.bottom - frame.top)};
}

void Screen::SetPaused(bool paused, std::string_view hint) {
    if (paused == scene_.paused && hint == scene_.hint) return;
    scene_.paused = paused;
    scene_.hint = hint;
    Repaint(false);
}

void Screen::SetMark(std::string_view mark) {
    if (mark == scene_.mark) return;
    scene_.mark = mark;
    Repaint(false);
}

void Screen::SetReadout(std::string_view line) {
    if (line == scene_.readout) return;
    scene_.readout = line;
    Repaint(false);
}

void Screen::ShowNote(std::string note, int milliseconds) {
    if (window_ == nullptr) return;
    scene_.note = std::move(note);
    SetTimer(window_, kNoteTimer, static_cast<UINT>(milliseconds), nullptr);  // anew if it runs
    InvalidateRect(window_, nullptr, FALSE);
}

void Screen::Show(const Picture& picture, const Palette& palette) {
    for (int y = 0; y < kScreenHeight; ++y) {
        std::memcpy(scene_.pixels.data() + y * kScreenWidth,
                    picture.pixels + static_cast<std::ptrdiff_t>(y) * picture.pitch, kScreenWidth);
    }
    scene_.palette = palette;
    ++showCalls_;
    if (window_ == nullptr) return;
    if (presenter_.joinable()) {
        // Every picture goes to the presenter, to be drawn after the
        // compositor's next frame unless a newer one comes first.
        {
            const std::lock_guard<std::mutex> hold(lock_);
            posted_ = scene_;
            mailbox_.Post(showCalls_);
        }
        wake_.notify_one();
        return;
    }
    const HDC dc = GetDC(window_);
    Draw(dc, scene_, false);
    ReleaseDC(window_, dc);
}

void Screen::Draw(HDC dc, const Scene& scene, bool bars) {
    RECT client{};
    GetClientRect(window_, &client);
    target_ = FitPicture(client.right, client.bottom, fit_);
    if (bars) {
        const ScreenRect& t = target_;
        FillBlack(dc, 0, 0, client.right, t.y);
        FillBlack(dc, 0, t.y + t.height, client.right, client.bottom);
        FillBlack(dc, 0, t.y, t.x, t.y + t.height);
        FillBlack(dc, t.x + t.width, t.y, client.right, t.y + t.height);
    }
    if (target_.IsEmpty()) return;
    if (mode_ == DrawMode::Indexed) {
        DrawIndexed(dc, scene);
    } else {
        DrawPacked(dc, scene);
    }
    if (scene.paused) {
        const auto white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        for (const ScreenRect& block : PausedBlocks(scene.hint, target_)) {
            const RECT area{block.x, block.y, block.x + block.width, block.y + block.height};
            FillRect(dc, &area, white);
        }
    }
    if (!scene.note.empty() && !scene.paused) {  // a note waits behind a pause
        FillBoxes(dc, NoteBox(scene.note, target_), NoteBlocks(scene.note, target_));
    }
    if (!scene.mark.empty()) {
        FillBoxes(dc, MarkBox(scene.mark, target_), MarkBlocks(scene.mark, target_));
    }
    if (!scene.readout.empty()) {
        FillBoxes(dc, ReadoutBox(scene.readout, target_), ReadoutBlocks(scene.readout, target_));
    }
}

void Screen::DrawIndexed(HDC dc, const Scene& scene) {
    struct IndexedInfo {
        BITMAPINFOHEADER header;
        RGBQUAD colours[256];
    } info{};
    info.header.biSize = sizeof info.header;
    info.header.biWidth = kScreenWidth;
    info.header.biHeight = -kScreenHeight;  // top-down rows
    info.header.biPlanes = 1;
    info.header.biBitCount = 8;
    info.header.biCompression = BI_RGB;
    info.header.biClrUsed = 256;
    const Palette palette = scene.paused ? DimmedPalette(scene.palette) : scene.palette;
    for (std::size_t i = 0; i < palette.size(); ++i) {
        info.colours[i] = RGBQUAD{palette[i].blue, palette[i].green, palette[i].red, 0};
    }
    SetStretchBltMode(dc, COLORONCOLOR);  // nearest neighbour
    StretchDIBits(dc, target_.x, target_.y, target_.width, target_.height, 0, 0, kScreenWidth,
                  kScreenHeight, scene.pixels.data(), reinterpret_cast<const BITMAPINFO*>(&info),
                  DIB_RGB_COLORS, SRCCOPY);
}

void Screen::DrawPacked(HDC dc, const Scene& scene) {
    // Sharp: the picture enlarged by whole factors, which GDI's halftone
    // stretch smooths onto the target; else scaled onto the target itself.
    const Prescale prescale = SharpPrescale(target_);
    const bool sharp = IsSharp(fit_) && prescale.smooths;
    const ScreenRect size = sharp ? ScreenRect{0, 0, prescale.width, prescale.height}
                                  : ScreenRect{0, 0, target_.width, target_.height};
    if (!(scaler_.Target() == size) || buffer_.empty()) {
        scaler_.SetTarget(size);
        buffer_.assign(static_cast<std::size_t>(size.width) * size.height, 0);
        packedInfo_.bmiHeader.biWidth = size.width;
        packedInfo_.bmiHeader.biHeight = -size.height;  // top-down rows
    }
    const Picture picture{scene.pixels.data(), kScreenWidth};
    const PackedPalette colours =
        PackPalette(scene.paused ? DimmedPalette(scene.palette) : scene.palette, PixelLayout{});
    scaler_.Draw(picture, colours, kWholePicture, buffer_.data(),
                 size.width * static_cast<int>(sizeof(std::uint32_t)));
    if (sharp) {
        SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);  // as HALFTONE asks, after setting it
        StretchDIBits(dc, target_.x, target_.y, target_.width, target_.height, 0, 0, size.width,
                      size.height, buffer_.data(), &packedInfo_, DIB_RGB_COLORS, SRCCOPY);
        return;
    }
    SetDIBitsToDevice(dc, target_.x, target_.y, static_cast<DWORD>(size.width),
                      static_cast<DWORD>(size.height), 0, 0, 0, static_cast<UINT>(size.height),
                      buffer_.data(), &packedInfo_, DIB_RGB_COLORS);
}

void Screen::ToggleFullscreen() {
    if (fullscreen_) {
        SetWindowLongPtrW(window_, GWL_STYLE, kWindowedStyle | WS_VISIBLE);
        const RECT& r = windowed_;
        SetWindowPos(window_, HWND_NOTOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_FRAMECHANGED | SWP_SHOWWINDOW);
    } else {
        GetWindowRect(window_, &windowed_);
        const RECT r = MonitorArea(window_, false);
        SetWindowLongPtrW(window_, GWL_STYLE, kFullscreenStyle | WS_VISIBLE);
        SetWindowPos(window_, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_FRAMECHANGED | SWP_SHOWWINDOW);
    }
    fullscreen_ = !fullscreen_;
    InvalidateRect(window_, nullptr, FALSE);
}

bool Screen::TakeCloseRequest() {
    return std::exchange(closeRequested_, false);
}

bool Screen::TakeFocusLoss() {
    return std::exchange(focusLost_, false);
}

LRESULT CALLBACK Screen::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        auto* screen = static_cast<Screen*>(create->lpCreateParams);
        screen->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(screen));
    }
    auto* screen = reinterpret_cast<Screen*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (screen == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    return screen->Handle(message, wParam, lParam);
}

LRESULT Screen::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CLOSE:  // the close button, Alt+F4: the game decides
            closeRequested_ = true;
            return 0;
        case WM_KILLFOCUS:
            focusLost_ = true;
            break;
        case WM_DROPFILES: {
            // In the narrow code page, as the C library's file names are.
            const auto drop = reinterpret_cast<HDROP>(wParam);
            const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
            for (UINT i = 0; i < count; ++i) {
                std::wstring wide(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
                DragQueryFileW(drop, i, wide.data(), static_cast<UINT>(wide.size()));
                const int size =
                    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
                if (size <= 1) continue;
                std::string path(static_cast<std::size_t>(size), '\0');
                WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, path.data(), size, nullptr,
                                    nullptr);
                path.resize(static_cast<std::size_t>(size - 1));
                drops_.push_back(std::move(path));
            }
            DragFinish(drop);
            return 0;
        }
        case WM_ERASEBKGND:  // the bars are drawn with the picture
            return 1;
        case WM_TIMER:
            if (wParam != kNoteTimer) break;
            KillTimer(window_, kNoteTimer);
            scene_.note.clear();
            InvalidateRect(window_, nullptr, FALSE);
            return 0;
        case WM_PAINT: {
            if (presenter_.joinable()) {
                // The presenter draws it all again; nothing here touches
                // the window's device context meanwhile.
                ValidateRect(window_, nullptr);
                Repaint(true);
                return 0;
            }
            PAINTSTRUCT paint;
            const HDC dc = BeginPaint(window_, &paint);
            Draw(dc, scene_, true);
            EndPaint(window_, &paint);
            return 0;
        }
        case WM_SETCURSOR:
            if (fullscreen_ && LOWORD(lParam) == HTCLIENT) {
                SetCursor(nullptr);  // no pointer over a fullscreen game
                return TRUE;
            }
            break;
        case WM_GETMINMAXINFO: {
            const ScreenRect size = PictureSize(fit_);
            RECT rect{0, 0, size.width, size.height};
            AdjustWindowRectEx(&rect, kWindowedStyle, FALSE, 0);
            auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
            if (!fullscreen_) {
                limits->ptMinTrackSize = POINT{rect.right - rect.left, rect.bottom - rect.top};
            }
            return 0;
        }
        case WM_SYSCOMMAND:
            // Alt alone would enter the (absent) menu and swallow the next key.
            if ((wParam & 0xFFF0) == SC_KEYMENU) return 0;
            break;
        default:
            break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace platform::win32
