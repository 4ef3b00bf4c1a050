// SPDX-License-Identifier: MIT
// latency_probe.c -- input-to-picture latency as an X client sees it: sends a
// key press through XTest to the window that has the keyboard and times how
// long until the window's pixels change, polling them every 0.25 ms.
//
//   latency_probe WINDOW PRESSES KEY1 KEY2 [X Y WIDTH HEIGHT]
//
// (keys as keysym names: Left Right). Only the rectangle given of the window
// is polled (the well, where the piece moves), so that the X server spends
// less of its time on the probe; the whole window without one.
// Prints one line per press, "KEY MICROSECONDS", or "KEY timeout" when the
// picture did not change within 250 ms. The keys alternate, so that a piece
// moved one way is moved back the other.
//
// A falling-block game also changes its picture by itself, when gravity
// moves the piece down. Those changes are told apart by their time: the
// probe watches the window before pressing anything, learns the shortest
// time between two changes it did not cause (changes less than 300 ms apart
// are one: a landing, the rows it clears, the next piece), and presses only
// where no change of the game's own is due: from 60 ms after one to 150 ms
// before the next. Changes in the 100 ms after a press's are the press's.
// A key press is held until the picture changes (at most 250 ms), then let go.
//
// A press must fall at a random point of the game's frame, as a player's
// does, or the figures measure the probe's rhythm instead of the game's. So
// each press's time is drawn at random, over many frames, and a time that
// comes where a press may not go is drawn again after the next change of the
// game's own; a press never waits for the moment its window opens, which
// comes at a fixed point of the frame.
#define _POSIX_C_SOURCE 200809L
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/XTest.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <time.h>

static int64_t NowUs(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (int64_t)t.tv_sec * 1000000 + t.tv_nsec / 1000;
}

static void SleepUs(long us) {
    struct timespec t = {us / 1000000, (us % 1000000) * 1000};
    nanosleep(&t, NULL);
}

typedef struct {
    Display* display;
    Window window;
    int x, y;
    XImage* image;
    XShmSegmentInfo shm;
    size_t bytes;
} Grabber;

static int OpenGrabber(Grabber* g, Display* display, Window window, int area[4]) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes)) return 0;
    if (area[2] <= 0) {
        area[0] = area[1] = 0;
        area[2] = attributes.width;
        area[3] = attributes.height;
    }
    if (area[0] < 0 || area[1] < 0 || area[0] + area[2] > attributes.width ||
        area[1] + area[3] > attributes.height) {
        fprintf(stderr, "latency_probe: the rectangle is not inside the window\n");
        return 0;
    }
    if (!XShmQueryExtension(display)) {
        fprintf(stderr, "latency_probe: the X server has no MIT-SHM extension\n");
        return 0;
    }
    g->display = display;
    g->window = window;
    g->x = area[0];
    g->y = area[1];
    g->image = XShmCreateImage(display, attributes.visual, (unsigned)attributes.depth, ZPixmap,
                               NULL, &g->shm, (unsigned)area[2], (unsigned)area[3]);
    if (g->image == NULL) return 0;
    g->bytes = (size_t)g->image->bytes_per_line * (size_t)g->image->height;
    g->shm.shmid = shmget(IPC_PRIVATE, g->bytes, IPC_CREAT | 0600);
    if (g->shm.shmid < 0) return 0;
    g->shm.shmaddr = g->image->data = shmat(g->shm.shmid, NULL, 0);
    g->shm.readOnly = False;
    if (!XShmAttach(display, &g->shm)) return 0;
    shmctl(g->shm.shmid, IPC_RMID, NULL);  // gone once both have let go
    return 1;
}

// The window's pixels now, in the shared image (valid until the next grab).
static const unsigned char* Grab(Grabber* g) {
    if (!XShmGetImage(g->display, g->window, g->image, g->x, g->y, AllPlanes)) return NULL;
    return (const unsigned char*)g->image->data;
}

// A time drawn at random in [from, from + spread).
static int64_t DrawTime(int64_t from, int64_t spread) {
    if (spread <= 1) return from;
    const uint64_t r = (uint64_t)rand() * ((uint64_t)RAND_MAX + 1) + (uint64_t)rand();
    return from + (int64_t)(r % (uint64_t)spread);
}

int main(int argc, char** argv) {
    if (argc != 5 && argc != 9) {
        fprintf(stderr, "usage: latency_probe WINDOW PRESSES KEY1 KEY2 [X Y WIDTH HEIGHT]\n");
        return 2;
    }
    int area[4] = {0, 0, 0, 0};
    for (int i = 0; argc == 9 && i < 4; ++i) area[i] = atoi(argv[5 + i]);
    const Window window = (Window)strtoul(argv[1], NULL, 0);
    const int presses = atoi(argv[2]);
    Display* display = XOpenDisplay(NULL);
    if (display == NULL) {
        fprintf(stderr, "latency_probe: cannot open the display\n");
        return 1;
    }
    int ignored;
    if (!XTestQueryExtension(display, &ignored, &ignored, &ignored, &ignored)) {
        fprintf(stderr, "latency_probe: the X server has no XTest extension\n");
        return 1;
    }
    const KeyCode keys[2] = {XKeysymToKeycode(display, XStringToKeysym(argv[3])),
                             XKeysymToKeycode(display, XStringToKeysym(argv[4]))};
    if (keys[0] == 0 || keys[1] == 0) {
        fprintf(stderr, "latency_probe: no key for %s or %s\n", argv[3], argv[4]);
        return 2;
    }
    Grabber grabber;
    if (!OpenGrabber(&grabber, display, window, area)) {
        fprintf(stderr, "latency_probe: cannot read the pixels of window %s\n", argv[1]);
        return 1;
    }
    unsigned char* before = malloc(grabber.bytes);
    const unsigned char* now = Grab(&grabber);
    if (before == NULL || now == NULL) return 1;
    memcpy(before, now, grabber.bytes);

    const int64_t kPollUs = 250, kAfterUs = 60000, kBeforeUs = 150000, kTimeoutUs = 250000;
    const int64_t kOneChangeUs = 300000, kPressTailUs = 100000;
    // After a press, the next one comes 40 ms later and up to 150 ms more:
    // ten frames of 14.29 ms and more, so that every point of one is as likely.
    const int64_t kGapUs = 40000, kSpreadUs = 150000;
    const int64_t kNever = INT64_MAX;
    int64_t lastOwn = -1;    // the last change the probe did not cause
    int64_t shortest = -1;   // the shortest time seen between two of them
    int64_t pressTail = -1;  // until then, a change is still the last press's
    int64_t nextPress = kNever;
    int done = 0, which = 0;
    srand(12345);
    while (done < presses) {
        SleepUs(kPollUs);
        if ((now = Grab(&grabber)) == NULL) return 1;
        int64_t t = NowUs();
        if (memcmp(now, before, grabber.bytes) != 0) {
            memcpy(before, now, grabber.bytes);
            if (t < pressTail) continue;
            if (lastOwn >= 0 && t - lastOwn >= kOneChangeUs &&
                (shortest < 0 || t - lastOwn < shortest)) {
                shortest = t - lastOwn;
            }
            lastOwn = t;
            // A press not yet placed is drawn anywhere in the window this
            // change opens.
            if (nextPress == kNever && shortest >= kAfterUs + kBeforeUs)
                nextPress = DrawTime(t + kAfterUs, shortest - kAfterUs - kBeforeUs);
            continue;
        }
        if (t < nextPress) continue;
        // Its time has come: a press where the game's own change is near is
        // not made, and drawn again after the next one.
        if (t - lastOwn < kAfterUs || t - lastOwn > shortest - kBeforeUs) {
            nextPress = kNever;
            continue;
        }
        XTestFakeKeyEvent(display, keys[which], True, CurrentTime);
        XFlush(display);
        const int64_t pressed = NowUs();
        int64_t seen = -1;
        while (NowUs() - pressed < kTimeoutUs) {
            SleepUs(kPollUs);
            if ((now = Grab(&grabber)) == NULL) return 1;
            if (memcmp(now, before, grabber.bytes) != 0) {
                seen = NowUs();
                break;
            }
        }
        XTestFakeKeyEvent(display, keys[which], False, CurrentTime);
        XFlush(display);
        if (seen >= 0) {
            printf("%s %lld\n", argv[3 + which], (long long)(seen - pressed));
            memcpy(before, now, grabber.bytes);
            pressTail = seen + kPressTailUs;
        } else {
            printf("%s timeout\n", argv[3 + which]);
        }
        fflush(stdout);
        ++done;
        which = 1 - which;
        nextPress = DrawTime(NowUs() + kGapUs, kSpreadUs);
    }
    XShmDetach(display, &grabber.shm);
    XCloseDisplay(display);
    return 0;
}
