// SPDX-License-Identifier: MIT
/* first_picture.c -- how long a program takes to show its first picture, as
 * an X client sees it: starts the program and polls the middle of the screen
 * (160x120 pixels) with XGetImage every 5 ms until it differs from what
 * was there before and holds more than one pixel value; then prints the time
 * since the fork in milliseconds and the program's peak resident memory
 * (VmHWM) by then, and ends the program.
 *
 *   first_picture PROGRAM [ARG...]      prints "MS KB"
 *
 * Built by first_picture.sh: cc -O2 first_picture.c -lX11 */
#define _GNU_SOURCE
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double Now(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec * 1e3 + (double)t.tv_nsec / 1e6;
}

static long PeakRssKb(pid_t pid) {
    char path[64];
    snprintf(path, sizeof path, "/proc/%d/status", (int)pid);
    FILE* status = fopen(path, "r");
    if (status == NULL) return -1;
    char line[256];
    long kb = -1;
    while (fgets(line, sizeof line, status) != NULL) {
        if (strncmp(line, "VmHWM:", 6) == 0) kb = strtol(line + 6, NULL, 10);
    }
    fclose(status);
    return kb;
}

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: first_picture PROGRAM [ARG...]\n");
        return 2;
    }
    Display* display = XOpenDisplay(NULL);
    if (display == NULL) {
        fprintf(stderr, "first_picture: cannot open the display\n");
        return 1;
    }
    const Window root = DefaultRootWindow(display);
    const int width = 160, height = 120;
    const int left = (DisplayWidth(display, DefaultScreen(display)) - width) / 2;
    const int top = (DisplayHeight(display, DefaultScreen(display)) - height) / 2;

    // What the screen shows there before the program starts (Xvfb's root
    // window weave, or black): the program's picture is what differs from it.
    XImage* before = XGetImage(display, root, left, top, width, height, AllPlanes, ZPixmap);
    if (before == NULL) {
        fprintf(stderr, "first_picture: cannot read the screen\n");
        return 1;
    }
    const double start = Now();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    double shown = -1;
    long peak = -1;
    while (Now() - start < 10000) {
        XImage* image = XGetImage(display, root, left, top, width, height, AllPlanes, ZPixmap);
        int varied = 0;
        if (image != NULL) {
            const unsigned long first = XGetPixel(image, 0, 0);
            int changed = 0;
            for (int y = 0; y < height; y += 2) {
                for (int x = 0; x < width; x += 2) {
                    const unsigned long pixel = XGetPixel(image, x, y);
                    varied |= pixel != first;
                    changed |= pixel != XGetPixel(before, x, y);
                }
            }
            varied = varied && changed;
            XDestroyImage(image);
        }
        if (varied) {
            shown = Now() - start;
            peak = PeakRssKb(pid);
            break;
        }
        if (waitpid(pid, NULL, WNOHANG) == pid) break;
        usleep(5000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, NULL, 0);
    XDestroyImage(before);
    XCloseDisplay(display);
    if (shown < 0) {
        fprintf(stderr, "first_picture: %s showed nothing within 10 s\n", argv[1]);
        return 1;
    }
    printf("%.1f %ld\n", shown, peak);
    return 0;
}
