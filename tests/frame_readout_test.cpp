// SPDX-License-Identifier: MIT
// The frame-time readout's figures over the last second, its line, and the
// frame log's microseconds on a long-running clock.
#include "platform/window/frame_readout.h"

#include <gtest/gtest.h>

#include <cstdint>

using platform::FrameTimes;

// A steady 70 a second, then one frame late by 16 ms: the worst interval says
// so for a second and then forgets it; a pause leaves no interval behind.
TEST(FrameReadout, FiguresOfTheLastSecond) {
    constexpr std::int64_t kTicks = 7000;  // 100 ticks a frame at 70 a second
    FrameTimes times(kTicks);
    EXPECT_EQ(times.FramesPerSecond(0), 0);
    EXPECT_EQ(times.WorstIntervalMs(0), 0.0);
    std::int64_t t = 50'000;
    for (int k = 0; k < 140; ++k) times.Finished(t += 100);
    EXPECT_EQ(times.FramesPerSecond(t), 70);
    EXPECT_NEAR(times.WorstIntervalMs(t), 100.0 * 1000 / kTicks, 1e-9);
    times.Finished(t += 212);  // 30.3 ms
    for (int k = 0; k < 68; ++k) times.Finished(t += 100);
    EXPECT_EQ(times.FramesPerSecond(t), 69);
    EXPECT_NEAR(times.WorstIntervalMs(t), 212.0 * 1000 / kTicks, 1e-9);
    times.Finished(t += 100);
    times.Finished(t += 100);
    EXPECT_NEAR(times.WorstIntervalMs(t), 100.0 * 1000 / kTicks, 1e-9);
    // Asked a while after the last frame: only what the last second holds.
    EXPECT_EQ(times.FramesPerSecond(t + kTicks / 2), 35);
    times.Restart();
    times.Finished(t += 30 * kTicks);
    EXPECT_EQ(times.WorstIntervalMs(t), 0.0);
    times.Finished(t += 100);
    EXPECT_NEAR(times.WorstIntervalMs(t), 100.0 * 1000 / kTicks, 1e-9);
}

TEST(FrameReadout, LineAndLogFigures) {
    EXPECT_EQ(platform::ReadoutLine(70, 60, 14.2857), "70 FPS 60 HZ 14.3 MS");
    EXPECT_EQ(platform::ReadoutLine(69, 0, 30.04), "69 FPS -- HZ 30.0 MS");
    EXPECT_EQ(platform::FrameLogLine(12, 171428, 180001), "12 171428 180001\n");
    // A nanosecond clock three weeks on, and one of Windows' 10 MHz.
    constexpr std::int64_t kNano = 1'000'000'000;
    const std::int64_t start = 5 * kNano;
    EXPECT_EQ(platform::MicrosecondsOf(start + 21 * 86400 * kNano + 1'234'567, start, kNano),
              21LL * 86400 * 1'000'000 + 1234);
    EXPECT_EQ(platform::MicrosecondsOf(10'000'007, 0, 10'000'000), 1'000'000);
}
