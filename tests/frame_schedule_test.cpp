// SPDX-License-Identifier: MIT
// The frame schedule the desktop, Windows and the page present at: slots a
// period apart through late wake-ups, a fresh start after a present more than
// a period late or a pause, and the counters' own period arithmetic.
#include "platform/window/frame_schedule.h"

#include <gtest/gtest.h>

#include <cstdint>

using platform::FrameSchedule;

namespace {

// 7000 ticks a second at 70 frames a second: a period of 100 ticks.
constexpr FrameSchedule::Tick kTicksPerSecond = 7000;
constexpr FrameSchedule::Tick kPeriod = 100;

}  // namespace

// A present's slot is where the schedule has come to; a present on time
// comes a period before it, right as the wait for the frame before ended.
TEST(FrameSchedule, SlotsStayAPeriodApartThroughLateWakeUps) {
    FrameSchedule schedule(kTicksPerSecond, 70);
    // The first present starts the schedule a period after itself.
    EXPECT_EQ(schedule.Next(1234), 1234 + kPeriod);
    // On time: one period after another.
    EXPECT_EQ(schedule.Next(1334), 1434);
    EXPECT_EQ(schedule.Next(1434), 1534);
    // The wait that ended at 1534 woke 30 ticks late: the next wait is 30
    // shorter and the slot stays.
    EXPECT_EQ(schedule.Next(1564), 1634);
    // A frame that took longer than a period: its present, at 1754, is past
    // its slot (1734) and does not wait; the frame after it waits the rest
    // of its period and is back on the schedule, no frame lost.
    EXPECT_EQ(schedule.Next(1754), 1734);
    EXPECT_EQ(schedule.Next(1754), 1834);
    EXPECT_EQ(schedule.Next(1834), 1934);

    // A counter that has run for a long time: the nanoseconds of weeks.
    FrameSchedule nanoseconds(1'000'000'000, 70);
    const FrameSchedule::Tick weeks = 3'000'000'000'000'000;
    EXPECT_EQ(nanoseconds.Next(weeks), weeks + 14'285'714);
    EXPECT_EQ(nanoseconds.Next(weeks + 14'285'714), weeks + 2 * 14'285'714);
}

TEST(FrameSchedule, APresentMoreThanAPeriodLateOrAPauseStartsAnew) {
    FrameSchedule schedule(kTicksPerSecond, 70);
    EXPECT_EQ(schedule.Next(0), 100);
    EXPECT_EQ(schedule.Next(100), 200);
    // The next slot is 300: a present at 401, more than a period after it,
    // starts again from itself instead of hurrying through the lost frames.
    EXPECT_EQ(schedule.Next(401), 401 + kPeriod);
    EXPECT_EQ(schedule.Next(501), 601);
    // Exactly a period past its slot (701) still keeps the schedule: that
    // present and the next go without a wait, the third waits again.
    EXPECT_EQ(schedule.Next(801), 701);
    EXPECT_EQ(schedule.Next(801), 801);
    EXPECT_EQ(schedule.Next(801), 901);

    // After a restart (the page's pause) even a present within its period
    // starts the schedule again, a period after itself: 1050, not 1001.
    schedule.Restart();
    EXPECT_EQ(schedule.Next(950), 1050);
    EXPECT_EQ(schedule.Next(1050), 1150);
}

TEST(FrameSchedule, PeriodIsTheCountersTicksPerFrameWithTheRemainderDropped) {
    // 1 MHz: 1000000 / 70 = 14285 ticks, 10 MHz (Windows' counter): 142857.
    FrameSchedule microseconds(1'000'000, 70);
    EXPECT_EQ(microseconds.Next(0), 14'285);
    EXPECT_EQ(microseconds.Next(14'285), 28'570);
    FrameSchedule tenths(10'000'000, 70);
    FrameSchedule::Tick slot = 0;
    for (int frame = 0; frame < 70; ++frame) slot = tenths.Next(slot);
    // Seventy frames on time end 70 * 142857 ticks on, 10 short of a second:
    // the dropped remainder is never made up.
    EXPECT_EQ(slot, 9'999'990);
    // The page's clock, in millionths of a frame: a whole period, exactly.
    FrameSchedule page(70'000'000, 70);
    EXPECT_EQ(page.Next(5), 1'000'005);
    // No frames a second or fewer are taken as one.
    EXPECT_EQ(FrameSchedule(1'000'000, 0).Next(3), 1'000'003);
    EXPECT_EQ(FrameSchedule(1'000'000, -4).Next(3), 1'000'003);

    // Whole periods since a time, whatever the schedule has done meanwhile.
    EXPECT_EQ(tenths.FramesSince(500 + 3 * 142'857 - 1, 500), 2u);
    EXPECT_EQ(tenths.FramesSince(500 + 3 * 142'857, 500), 3u);
    EXPECT_EQ(tenths.FramesSince(500 + 142'856, 500), 0u);
    EXPECT_EQ(tenths.FramesSince(500, 500), 0u);
    EXPECT_EQ(tenths.FramesSince(500 - 3 * 142'857, 500), 0u);  // since after now
    EXPECT_EQ(FrameSchedule(10'000'000, 70).FramesSince(10'000'000, 0), 70u);
    // A clock too coarse for a period of one tick counts no frames at all.
    FrameSchedule coarse(50, 70);
    EXPECT_EQ(coarse.FramesSince(1'000, 0), 0u);
    EXPECT_EQ(coarse.Next(40), 40);
}
