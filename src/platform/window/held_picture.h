// SPDX-License-Identifier: MIT
// held_picture.h -- the last picture a fast playback left unshown, kept to be
// shown when the playback stands still, slows down or ends.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/seam/platform.h"

namespace platform {

class HeldPicture {
public:
    // A copy of the picture and its palette, held until taken or dropped.
    void Hold(const Picture& picture, const Palette& palette) {
        pixels_.resize(static_cast<std::size_t>(kScreenWidth) * kScreenHeight);
        for (int y = 0; y < kScreenHeight; ++y) {
            std::copy_n(picture.pixels + static_cast<std::ptrdiff_t>(y) * picture.pitch,
                        kScreenWidth,
                        pixels_.begin() + static_cast<std::ptrdiff_t>(y) * kScreenWidth);
        }
        palette_ = palette;
        held_ = true;
    }
    bool IsHeld() const { return held_; }
    // The picture held, held no longer; it stays readable until the next Hold.
    Picture Take() {
        held_ = false;
        return Picture{pixels_.data(), kScreenWidth};
    }
    const Palette& HeldPalette() const { return palette_; }
    // A newer picture was shown: the held one is no longer worth showing.
    void Drop() { held_ = false; }

private:
    std::vector<std::uint8_t> pixels_;
    Palette palette_{};
    bool held_ = false;
};

}  // namespace platform
