// SPDX-License-Identifier: MIT
// intro.cpp -- the tile mosaic, the jingle and the title words.
#include "core/frontend/intro.h"

#include "core/game/stamp.h"
#include "core/render/font.h"

namespace ft {

namespace {

constexpr std::int32_t kMosaicStamps = 50001;

}  // namespace

void IntroScreen(Keyboard& keyboard, Display& display, Random& random,
                 platform::Platform& platform) {
    WaitKeyReleased(keyboard, Key::Enter);

    // The screen is not cleared first: 50001 random stamps over the 64 by 40
    // cells happen to cover every one of them.
    FrameBuffer fb = LockPrimary(display);
    for (std::int32_t i = 0; i < kMosaicStamps; ++i) {
        const std::int32_t r1 = random.Next();
        const std::int32_t r2 = random.Next();
        const std::int32_t r3 = random.Next();
        StampTile(fb, StampMode::Draw, (r3 % 64) * 5, (r2 % 40) * 5, r1 % 7 + 1);
    }
    UnlockPrimary(display, platform);

    platform.PlayCue(platform::Cue::Intro);  // left playing; the menu tune cuts it off

    fb = LockPrimary(display);
    DrawBigText(fb, "F O M P Y", 9, 40, 25, 0);
    DrawBigText(fb, "T A L D E N", 11, 20, 125, 0);
    UnlockPrimary(display, platform);

    WaitAnyKeyActive(keyboard, {Key::Enter});
}

}  // namespace ft
