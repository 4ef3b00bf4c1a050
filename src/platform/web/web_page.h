// web_page.h -- the page's side of the web platform, written in JavaScript
// (web_page.js) and called from C++. Used only inside platform/web. Pointers
// are into the program's memory and borrowed for the call.
#pragma once

#include <cstdint>

extern "C" {

// Finds the page's canvas and sets it to width by height pixels, starts
// listening to the keyboard and to the gestures that allow sound.
void WebPageOpen(int width, int height);

// 1 when the page was opened with "?record" (the browser test does so): the
// platform then keeps the keys as a headless script and writes the run log.
int WebPageWantsRecord();

// Draws width * height pixels of 4 bytes (red, green, blue, alpha) into the
// canvas. present is 1 for a presented frame, 0 for a primary picture.
void WebPageShowPicture(const std::uint8_t* rgba, int present);

// Moves up to capacity queued key events into codes, oldest first, and
// returns how many: the key's number (platform::Key) plus 0x80 for a down.
// Never blocks.
int WebPageTakeKeyEvents(std::uint8_t* codes, int capacity);

// Sleeps (Asyncify) until a key event is queued; returns at once when one is.
void WebPageWaitForKeyEvent();

// Keeps a copy of one complete wave file, decoded once sound is allowed.
void WebPageLoadSound(int resource, const std::uint8_t* wave, int size);
// The single voice: starting a sound stops the one playing. loop is 0 or 1.
void WebPagePlaySound(int resource, int loop);
void WebPageStopSound();

// Appends length bytes of text to the recorded script (stream 0) or to the
// run log (stream 1), which the page keeps for its tests.
void WebPageAppendText(int stream, const char* text, int length);

// The program has ended: the page says so.
void WebPageEnded();
}
