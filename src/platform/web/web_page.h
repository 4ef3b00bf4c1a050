// SPDX-License-Identifier: MIT
// web_page.h -- the page's side of the web platform, written in JavaScript
// (web_page.js) and called from C++. Used only inside platform/web. Pointers
// are into the program's memory and borrowed for the call.
#pragma once

#include <cstdint>

extern "C" {

// Finds the page's canvas and sets it to width by height pixels. The page
// listens to the keyboard, the touch controls and the gamepads for the life of
// the page; each run of the program starts with an empty queue of key events.
void WebPageOpen(int width, int height);

// 1 when the page was opened with "?record" (the browser test does so): the
// platform then writes the run log for the page too.
int WebPageWantsRecord();

// The recording the page has this run play instead of the player (one
// chosen, dropped or watched): its size in bytes, 0 for a live run; then
// its bytes, size of them, into text.
int WebPagePlaybackSize();
void WebPagePlaybackText(char* text, int size);
// For the watch of one game of the recording: span gets the run's time at
// the game's start and at its last frame and 1 when it ended on its
// game-over screen (else 0), and 1 is returned; 0 when the whole recording
// plays.
int WebPageWatchSpan(double* span);
// A playback's mark at each of its speeds (PlayerPlatform::kSpeeds, slowest
// first), drawn over the picture as the desktop draws it: the black box and
// the white blocks.
void WebPageSetMark(int speed, const std::int32_t* box, const std::int32_t* blocks, int count);
// The speed the player has chosen for the playback (an index into kSpeeds),
// and 1 once Escape has ended it.
int WebPagePlaybackSpeed();
int WebPagePlaybackStopped();
// 1 while the page is paused (the program is held at its next frame).
int WebPagePaused();
// Sleeps (Asyncify) for ever: the run is over before the program's end (a
// playback stopped or run out), and the page drops this instance.
void WebPageHalt();

// Draws width * height pixels of 4 bytes (red, green, blue, alpha) into the
// canvas. present is 1 for a presented frame, 0 for a primary picture.
void WebPageShowPicture(const std::uint8_t* rgba, int present);
// The white blocks of "PAUSED" and a hint under it over the picture, four
// numbers a block (x, y, width, height in picture pixels), for the page's
// pause overlay: hint 0 after a pause that began by itself ("PRESS ANY
// KEY"), 1 after one by a key ("PRESS P"), 2 on a touch screen ("TAP TO GO
// ON").
void WebPageSetPausedHint(int hint, const std::int32_t* blocks, int count);
// The note of a volume (0 to 100; -1 for the sound off) as the desktop draws
// it: the black box (four numbers) and the white blocks over it.
void WebPageSetNote(int volume, const std::int32_t* box, const std::int32_t* blocks, int count);

// The page's key events, kWebKeyEventSize numbers each: the kind (a
// WebKeyEventKind), the key (platform::Key) or, for a stick, the axis's value
// (-32768 to 32767), the device (-1 the keyboard, -2 the touch controls, 0 or
// more a gamepad) and the control on that device (a key code's number, a
// button, an axis).
enum WebKeyEventKind : std::int32_t {
    kWebKeyPress = 0,       // a source went down
    kWebKeyRepeat = 1,      // the keyboard's auto-repeat of a held key
    kWebKeyRelease = 2,     // a source let go
    kWebKeyAxis = 3,        // a stick axis moved: axis 0 left and right, 1 up and down
    kWebKeyDeviceGone = 4,  // everything the device held is let go (a pause, a lost pad)
};
inline constexpr int kWebKeyEventSize = 4;

// Moves up to capacity queued key events into events (capacity *
// kWebKeyEventSize numbers), oldest first, and returns how many. Never blocks.
int WebPageTakeKeyEvents(std::int32_t* events, int capacity);

// Sleeps (Asyncify) until a key event is queued; returns at once when one is.
// While the page is paused, it sleeps on until the pause is over.
void WebPageWaitForKeyEvent();

// Sleeps (Asyncify) while the page is paused. Returns 1 when it slept, 0 when
// the page was not paused.
int WebPageWaitWhilePaused();

// Keeps a copy of one complete wave file and decodes it for the page's sound.
void WebPageLoadSound(int resource, const std::uint8_t* wave, int size);
// Sleeps (Asyncify) until every wave handed over is decoded (or has failed):
// the first cue is heard from its start.
void WebPageWaitForSounds();
// The single voice: starting a sound stops the one playing. loop is 0 or 1.
void WebPagePlaySound(int resource, int loop);
void WebPageStopSound();

// Appends length bytes of text to the recorded script (stream 0) or to the
// run log (stream 1), which the page keeps for its tests.
void WebPageAppendText(int stream, const char* text, int length);

// The program has ended: the page says so.
void WebPageEnded();
}
