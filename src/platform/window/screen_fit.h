// SPDX-License-Identifier: MIT
// screen_fit.h -- where the 320x200 picture goes on a window or a screen of any
// size: its shape (4:3 as on a monitor of its day, or square pixels), whole
// multiples only or any size, centred, with black bars around it.
#pragma once

namespace platform {

// A rectangle of window pixels: left and top inclusive, width and height in pixels.
struct ScreenRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool IsEmpty() const { return width <= 0 || height <= 0; }
    friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

// How the picture is fitted. Set from the command line; lives for the run.
struct ScreenFit {
    // Each pixel 1.2 times as tall as wide, so that the 320x200 picture fills
    // a 4:3 screen as it did on the monitors of its day; false: square pixels.
    bool aspect = true;
    // Only whole multiples of the picture's size at scale 1 (see PictureSize).
    bool integerScale = false;
    // Sharp scaling: whole multiples first, then smoothed to the rest of the
    // size (see SharpPrescale); integerScale wins over it. False: nearest
    // neighbour all the way.
    bool sharp = false;
};

// The first step of sharp scaling: the 320x200 picture enlarged nearest
// neighbour by whole factors, across and down apart, the largest that fit the
// target's width and height (1 where the target is smaller), into an
// intermediate picture that is then smoothed (bilinear) onto the target. Each
// game row thus shows as rows of one height with at most one blended row
// between two game rows, where plain nearest neighbour would make some game
// rows a window row taller than others (200 rows onto 960 is 4.8 each).
struct Prescale {
    int across = 1;    // whole factor of the picture's columns
    int down = 1;      // whole factor of its rows
    int width = 320;   // the intermediate picture, pixels: 320 times across
    int height = 200;  // 200 times down
    // Whether the smoothing has anything left to do: false when the target
    // is the intermediate's own size, which is then the picture as shown.
    bool smooths = false;
    friend bool operator==(const Prescale&, const Prescale&) = default;
};
Prescale SharpPrescale(const ScreenRect& target);

// Whether the picture is drawn sharp: asked for, and not left to whole
// multiples, which are even already.
bool IsSharp(const ScreenFit& fit);

// The picture's size at scale 1 in window pixels: 320x240 with aspect (the
// 4:3 shape), 320x200 without.
ScreenRect PictureSize(const ScreenFit& fit);

// The largest rectangle of the picture's shape that fits an area of areaWidth
// by areaHeight pixels, centred (the bars share the rest, the odd pixel going
// to the right and bottom). With integerScale, the largest whole multiple of
// PictureSize that fits; an area smaller than scale 1 gets the plain fit, so
// that something is always shown. Empty when the area is.
ScreenRect FitPicture(int areaWidth, int areaHeight, const ScreenFit& fit);

// The largest window scale from 1 to scale at which the picture's size
// (PictureSize times the scale) fits an area of areaWidth by areaHeight pixels,
// the usable part of a screen; 1 when not even that fits.
int ScaleThatFits(const ScreenFit& fit, int scale, int areaWidth, int areaHeight);

}  // namespace platform
