// SPDX-License-Identifier: MIT
// intro.h -- the opening screen: a mosaic of random tiles, the jingle and the
// title cut into it in black; it waits for Enter.
#pragma once

#include "core/display/display.h"
#include "core/seam/platform.h"
#include "core/state/keyboard.h"
#include "core/state/random.h"

namespace ft {

// Shown once per run, straight into the visible picture.
void IntroScreen(Keyboard& keyboard, Display& display, Random& random,
                 platform::Platform& platform);

}  // namespace ft
