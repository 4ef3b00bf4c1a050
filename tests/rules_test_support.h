// SPDX-License-Identifier: MIT
// rules_test_support.h -- a frame wider than the screen and a platform that
// records cues, for the tests of the font, furniture and game rules.
#pragma once

#include <cstdint>
#include <vector>

#include "core/render/framebuffer.h"
#include "core/seam/platform.h"

namespace rules_test {

// A 320x200 frame on rows of 384 bytes, every byte starting as fill. Bytes past
// column 319 must never change.
struct TestFrame {
    static constexpr std::int32_t kPitch = 384;
    std::vector<std::uint8_t> bytes;
    ft::FrameBuffer fb;

    explicit TestFrame(std::uint8_t fill = 0)
        : bytes(static_cast<std::size_t>(kPitch) * ft::kScreenHeight, fill),
          fb{bytes.data(), kPitch} {}
    TestFrame(const TestFrame&) = delete;
    TestFrame& operator=(const TestFrame&) = delete;

    std::uint8_t At(int x, int y) const { return bytes[static_cast<std::size_t>(y) * kPitch + x]; }
    // Pixels of colour in the rectangle, both corners inclusive.
    int Count(std::uint8_t colour, int x0 = 0, int y0 = 0, int x1 = 319, int y1 = 199) const {
        int n = 0;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) n += At(x, y) == colour ? 1 : 0;
        return n;
    }
    bool MarginsHold(std::uint8_t fill) const {
        for (int y = 0; y < ft::kScreenHeight; ++y)
            for (int x = ft::kScreenWidth; x < kPitch; ++x)
                if (At(x, y) != fill) return false;
        return true;
    }
};

// Records the cues played; the clock stands still.
class CueRecorder : public platform::Platform {
public:
    std::vector<platform::Cue> played;
    std::uint32_t seconds = 777;

    void ShowPicture(const platform::Picture&, const platform::Palette&,
                     platform::PictureKind) override {}
    void DeliverDueInput(platform::KeyState&) override {}
    void WaitForInput(platform::KeyState&) override {}
    void PlayCue(platform::Cue cue) override { played.push_back(cue); }
    void LoopCue(platform::Cue) override {}
    void StopSound() override {}
    std::uint32_t CalendarSeconds() override { return seconds; }
};

}  // namespace rules_test
