// SPDX-License-Identifier: MIT
/* first_frame_shim.c -- preloaded into fompy-talden by startup.sh: at the
 * first window update that puts the intro's mosaic on the screen (most of
 * the window lit; the updates before it are black), writes the time since
 * exec and the peak resident memory so far, then ends the process at once.
 *
 * The time of exec comes from the launcher, in FT_EXEC_NS (CLOCK_MONOTONIC,
 * nanoseconds, read just before its execv); the line goes to the file named
 * by FT_FIRST_FRAME_OUT:  "first mosaic MS ms, peak RSS KB kB". Both the
 * window-surface path (SDL_UpdateWindowSurface, ...Rects) and SDL's renderer
 * (SDL_RenderPresent, whose picture is read back before it is shown) are
 * watched. */
#define _GNU_SOURCE
#include <SDL.h>
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

/* A picture counts as shown when at least half of the pixels sampled (one in
 * eight across and down) are not black. */
static int IsLit(const Uint8* pixels, int width, int height, int pitch, int bytes,
                 Uint32 colourMask) {
    long lit = 0;
    long seen = 0;
    for (int y = 0; y < height; y += 8) {
        const Uint8* row = pixels + (long)y * pitch;
        for (int x = 0; x < width; x += 8) {
            Uint32 pixel = 0;
            memcpy(&pixel, row + (long)x * bytes, (size_t)bytes);
            lit += (pixel & colourMask) != 0;
            ++seen;
        }
    }
    return seen > 0 && 2 * lit >= seen;
}

static long PeakRssKb(void) {
    FILE* status = fopen("/proc/self/status", "r");
    if (status == NULL) return -1;
    char line[256];
    long kb = -1;
    while (fgets(line, sizeof line, status) != NULL) {
        if (strncmp(line, "VmHWM:", 6) == 0) kb = strtol(line + 6, NULL, 10);
    }
    fclose(status);
    return kb;
}

static void ReportAndEnd(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    const char* start = getenv("FT_EXEC_NS");
    const double execNs = start != NULL ? strtod(start, NULL) : 0.0;
    const double ms = ((double)now.tv_sec * 1e9 + (double)now.tv_nsec - execNs) / 1e6;
    const char* path = getenv("FT_FIRST_FRAME_OUT");
    FILE* out = path != NULL ? fopen(path, "a") : NULL;
    fprintf(out != NULL ? out : stderr, "first mosaic %.3f ms, peak RSS %ld kB\n", ms, PeakRssKb());
    if (out != NULL) fclose(out);
    _exit(0);
}

static int IsWindowLit(SDL_Window* window) {
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    if (surface == NULL || surface->pixels == NULL) return 0;
    const SDL_PixelFormat* format = surface->format;
    return IsLit(surface->pixels, surface->w, surface->h, surface->pitch, format->BytesPerPixel,
                 format->Rmask | format->Gmask | format->Bmask);
}

int SDL_UpdateWindowSurface(SDL_Window* window) {
    static int (*real)(SDL_Window*);
    if (real == NULL) real = (int (*)(SDL_Window*))dlsym(RTLD_NEXT, "SDL_UpdateWindowSurface");
    const int result = real(window);
    if (result == 0 && IsWindowLit(window)) ReportAndEnd();
    return result;
}

int SDL_UpdateWindowSurfaceRects(SDL_Window* window, const SDL_Rect* rects, int count) {
    static int (*real)(SDL_Window*, const SDL_Rect*, int);
    if (real == NULL) {
        real = (int (*)(SDL_Window*, const SDL_Rect*, int))dlsym(RTLD_NEXT,
                                                                 "SDL_UpdateWindowSurfaceRects");
    }
    const int result = real(window, rects, count);
    if (result == 0 && IsWindowLit(window)) ReportAndEnd();
    return result;
}

void SDL_RenderPresent(SDL_Renderer* renderer) {
    static void (*real)(SDL_Renderer*);
    if (real == NULL) real = (void (*)(SDL_Renderer*))dlsym(RTLD_NEXT, "SDL_RenderPresent");
    int lit = 0;
    int width = 0;
    int height = 0;
    if (SDL_GetRendererOutputSize(renderer, &width, &height) == 0 && width > 0 && height > 0) {
        Uint8* pixels = malloc((size_t)width * (size_t)height * 4);
        if (pixels != NULL && SDL_RenderReadPixels(renderer, NULL, SDL_PIXELFORMAT_ARGB8888, pixels,
                                                   width * 4) == 0) {
            lit = IsLit(pixels, width, height, width * 4, 4, 0x00FFFFFF);
        }
        free(pixels);
    }
    real(renderer);
    if (lit) ReportAndEnd();
}
