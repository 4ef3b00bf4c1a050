// SPDX-License-Identifier: MIT
// wave_resources.h -- the five wave recordings built into the program. The
// build generates them (see resources/); the program reads no files.
#pragma once

#include <cstdint>
#include <span>

namespace ft {

// The complete RIFF WAVE file of resource number (106, 107, 111, 116 or 117),
// or an empty span for any other number.
std::span<const std::uint8_t> WaveResource(int number);

}  // namespace ft
