// SPDX-License-Identifier: MIT
// test_platform.h -- a platform for unit tests that keeps copies of what was
// shown, records the sound calls, and delivers input the test hands it.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "core/render/framebuffer.h"
#include "core/render/palette.h"
#include "core/seam/platform.h"
#include "platform/journal/input_timeline.h"

struct ShownPicture {
    platform::PictureKind kind;
    std::vector<std::uint8_t> pixels;  // 320 x 200, no padding
    ft::Palette palette;
    std::uint8_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * 320 + x]; }
};

class FakePlatform : public platform::Platform {
public:
    // Events applied at the next delivery point 1 (the first poll after a present).
    std::vector<platform::InputEvent> dueAtNextPoll;
    // Batches handed out one per WaitForInput; when none is left the run ends.
    std::deque<std::vector<platform::InputEvent>> waitBatches;

    std::vector<ShownPicture> pictures;
    std::vector<std::string> sounds;  // "play 116", "loop 117", "stop"
    std::uint32_t clock = 1234;
    int reseeds = 0;
    int waits = 0;

    void ShowPicture(const platform::Picture& picture, const platform::Palette& palette,
                     platform::PictureKind kind) override {
        ShownPicture shown{kind, {}, palette};
        shown.pixels.resize(320 * 200);
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 320; ++x)
                shown.pixels[y * 320 + x] = picture.pixels[y * picture.pitch + x];
        pictures.push_back(std::move(shown));
        if (kind == platform::PictureKind::Present) deliveryDue_ = true;
    }
    void DeliverDueInput(platform::KeyState& keys) override {
        if (!deliveryDue_) return;
        deliveryDue_ = false;
        for (const auto& e : dueAtNextPoll) platform::ApplyInputEvent(keys, e);
        dueAtNextPoll.clear();
    }
    void WaitForInput(platform::KeyState& keys) override {
        ++waits;
        if (waitBatches.empty()) throw platform::RunEnded{platform::EndReason::Script};
        for (const auto& e : waitBatches.front()) platform::ApplyInputEvent(keys, e);
        waitBatches.pop_front();
    }
    void PlayCue(platform::Cue cue) override {
        sounds.push_back("play " + std::to_string(platform::CueNumber(cue)));
    }
    void LoopCue(platform::Cue cue) override {
        sounds.push_back("loop " + std::to_string(platform::CueNumber(cue)));
    }
    void StopSound() override { sounds.push_back("stop"); }
    std::uint32_t CalendarSeconds() override {
        ++reseeds;
        return clock;
    }

private:
    bool deliveryDue_ = true;
};

inline platform::InputEvent Down(platform::Key key) {
    return {0, platform::InputEvent::Kind::KeyDown, key};
}
inline platform::InputEvent Up(platform::Key key) {
    return {0, platform::InputEvent::Kind::KeyUp, key};
}
