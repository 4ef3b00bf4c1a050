// SPDX-License-Identifier: MIT
// random.h -- the game's one random generator, a 32-bit linear congruential
// generator. Its fixed start state makes the first piece, the start palette and
// the intro mosaic the same on every run; games reseed it from the clock.
#pragma once

#include <cstdint>

#include "core/seam/platform.h"

namespace ft {

// Lives for the whole run; 1 at program load.
struct Random {
    std::uint32_t state = 1;

    // A number from 0 to 0x7FFF.
    std::int32_t Next() {
        state = state * 214013u + 2531011u;
        return static_cast<std::int32_t>((state >> 16) & 0x7FFF);
    }
    void Reseed(std::uint32_t seconds) { state = seconds; }
};

// Reseeds the generator from the platform's calendar clock.
inline void ReseedFromClock(Random& random, platform::Platform& platform) {
    random.Reseed(platform.CalendarSeconds());
}

}  // namespace ft
