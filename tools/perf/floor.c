// SPDX-License-Identifier: MIT
/* floor.c -- the floor of the start-up measurements: a bare SDL2 program that
 * only opens a window and fills it, as the game opens its own (framebuffer
 * acceleration off, drawing into the window surface), then waits to be ended.
 * No sound, no gamepads. The fill is vertical stripes of two colours, so that
 * its first picture has more than one pixel value, as the game's has.
 *
 *   floor [--fullscreen]     640x480 window, or desktop fullscreen
 *
 * Built by startup.sh: cc -O2 floor.c $(sdl2-config --cflags --libs) */
#include <SDL.h>
#include <string.h>

int main(int argc, char** argv) {
    const int fullscreen = argc > 1 && strcmp(argv[1], "--fullscreen") == 0;
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
    SDL_Window* window = SDL_CreateWindow("floor", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                          640, 480, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    if (window == NULL) return 1;
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    if (surface == NULL) return 1;
    const Uint32 colours[2] = {SDL_MapRGB(surface->format, 200, 40, 40),
                               SDL_MapRGB(surface->format, 40, 40, 200)};
    for (int x = 0; x < surface->w; x += 8) {
        const SDL_Rect stripe = {x, 0, 8, surface->h};
        SDL_FillRect(surface, &stripe, colours[(x / 8) % 2]);
    }
    SDL_UpdateWindowSurface(window);
    for (;;) {
        SDL_Event event;
        if (SDL_WaitEvent(&event) && event.type == SDL_QUIT) break;
    }
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
