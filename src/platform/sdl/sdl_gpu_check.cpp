// SPDX-License-Identifier: MIT
// sdl_gpu_check.cpp -- whether the GPU should scale the picture, decided at
// start-up without loading OpenGL.
//
// Asking OpenGL itself (make a context, read GL_RENDERER, look for "llvmpipe")
// would load the GL driver just to learn that it should not have been loaded:
// under Xvfb that is Mesa's software rasteriser, tens of milliseconds of
// start-up and several megabytes that stay mapped, and then a software GL that
// draws slower than the window surface does. The X server tells enough for
// nothing: a display with direct GPU rendering offers DRI3 or DRI2 (Mesa's
// hardware drivers) or NV-GLX (NVIDIA's), and Xvfb, Xvnc, or a server without a
// GPU driver offers none of them. --renderer overrides the guess either way.
#include "platform/sdl/sdl_video.h"

// After our own headers: Xlib's macros (None, Bool, Status...) would clash.
#include <SDL_syswm.h>

#include <cstring>
#include <string>

namespace platform::sdl {

namespace {

#if defined(SDL_VIDEO_DRIVER_X11)

constexpr const char* kGpuExtensions[] = {"DRI3", "DRI2", "NV-GLX"};

// Two Xlib calls, taken from the library SDL has loaded already.
using QueryExtensionCall = Bool (*)(Display*, const char*, int*, int*, int*);
using DisplayStringCall = char* (*)(Display*);

// ":0" and "unix:0" are on this machine; "host:10" is a display across the
// network (ssh -X), where OpenGL has no direct way to the GPU.
bool IsLocalDisplay(const char* name) {
    if (name == nullptr) return false;
    const char* colon = std::strrchr(name, ':');
    if (colon == nullptr) return false;
    const std::string host(name, colon);
    return host.empty() || host == "unix" || host[0] == '/';
}

bool OffersGpuRendering(Display* display) {
    void* xlib = SDL_LoadObject("libX11.so.6");  // one more reference, no new load
    if (xlib == nullptr) return false;
    const auto queryExtension =
        reinterpret_cast<QueryExtensionCall>(SDL_LoadFunction(xlib, "XQueryExtension"));
    const auto displayString =
        reinterpret_cast<DisplayStringCall>(SDL_LoadFunction(xlib, "XDisplayString"));
    bool offers = false;
    if (queryExtension != nullptr && displayString != nullptr &&
        IsLocalDisplay(displayString(display))) {
        for (const char* name : kGpuExtensions) {
            int opcode = 0;
            int firstEvent = 0;
            int firstError = 0;
            if (queryExtension(display, name, &opcode, &firstEvent, &firstError)) {
                offers = true;
                break;
            }
        }
    }
    SDL_UnloadObject(xlib);
    return offers;
}

#endif

}  // namespace

bool IsGpuWorthIt(SDL_Window* window) {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr || std::strcmp(driver, "x11") != 0) {
        // Wayland and KMSDRM have no window surface without OpenGL; Windows
        // and macOS have a GPU renderer of their own.
        return true;
    }
#if defined(SDL_VIDEO_DRIVER_X11)
    const char* softwareGl = SDL_getenv("LIBGL_ALWAYS_SOFTWARE");
    if (softwareGl != nullptr && *softwareGl != '\0' && std::strcmp(softwareGl, "0") != 0) {
        return false;
    }
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    return OffersGpuRendering(info.info.x11.display);
#else
    (void)window;
    return false;
#endif
}

}  // namespace platform::sdl
