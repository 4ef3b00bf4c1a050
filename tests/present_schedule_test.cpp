// SPDX-License-Identifier: MIT
// Which frame each refresh of a display shows, for the displays players have:
// the newest finished frame, never one out of order, a 140 Hz display holding
// each frame two refreshes, a variable-refresh one showing each as it comes.
#include "platform/window/present_schedule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/window/frame_schedule.h"

using platform::FrameSchedule;
using platform::ShownAtRefreshes;

namespace {

constexpr std::int64_t kSecond = 1'000'000'000;  // nanoseconds
constexpr std::int64_t kMillisecond = 1'000'000;

// The game's frames over seconds at 70 a second, paced by its own schedule:
// each wait wakes up to lateBy late (a fixed pattern), and the frame finishes
// as the wait ends.
std::vector<std::int64_t> GameFrames(int seconds, std::int64_t lateBy) {
    FrameSchedule schedule(kSecond, 70);
    std::vector<std::int64_t> finished;
    std::int64_t now = 5 * kMillisecond;
    for (int frame = 0; frame < 70 * seconds; ++frame) {
        finished.push_back(now);
        const std::int64_t late = lateBy == 0 ? 0 : (frame * 7919 % 13) * lateBy / 12;
        now = std::max(now, schedule.Next(now)) + late;
    }
    return finished;
}

// A display refreshing hz times a second, its first refresh at phase.
std::vector<std::int64_t> FixedRefreshes(int hz, int seconds, std::int64_t phase) {
    std::vector<std::int64_t> refreshes;
    for (std::int64_t k = 0; k < static_cast<std::int64_t>(hz) * seconds; ++k) {
        refreshes.push_back(phase + k * kSecond / hz);
    }
    return refreshes;
}

// The newest frame finished by each refresh, found by search.
std::optional<std::size_t> NewestBy(const std::vector<std::int64_t>& finished, std::int64_t at) {
    const auto after = std::upper_bound(finished.begin(), finished.end(), at);
    if (after == finished.begin()) return std::nullopt;
    return static_cast<std::size_t>(after - finished.begin() - 1);
}

// How many refreshes showed each frame.
std::vector<int> TimesShown(const std::vector<std::optional<std::size_t>>& shown,
                            std::size_t frames) {
    std::vector<int> times(frames, 0);
    for (const std::optional<std::size_t>& frame : shown) {
        if (frame) ++times[*frame];
    }
    return times;
}

}  // namespace

// At every fixed rate, with the game's waits waking late: each refresh shows
// the newest frame finished by then, and the frames go on in order.
TEST(PresentSchedule, EachRefreshShowsTheNewestFinishedFrameInOrder) {
    const std::vector<std::int64_t> finished = GameFrames(10, 2 * kMillisecond);
    for (const int hz : {60, 75, 120, 140, 144}) {
        SCOPED_TRACE(hz);
        const std::vector<std::int64_t> refreshes = FixedRefreshes(hz, 10, 3 * kMillisecond);
        const std::vector<std::optional<std::size_t>> shown = ShownAtRefreshes(finished, refreshes);
        ASSERT_EQ(shown.size(), refreshes.size());
        for (std::size_t k = 0; k < shown.size(); ++k) {
            ASSERT_EQ(shown[k], NewestBy(finished, refreshes[k])) << "refresh " << k;
            if (k > 0 && shown[k - 1]) {
                ASSERT_GE(shown[k], shown[k - 1]) << "refresh " << k;
            }
        }
    }
}

// On time, a 60 Hz display skips one frame in seven and shows the rest once;
// 140 Hz holds each frame exactly two refreshes, waits waking late or not;
// 120 Hz shows each frame once or twice and never skips one.
TEST(PresentSchedule, FramesHeldAsTheRatesDivide) {
    const std::vector<std::int64_t> onTime = GameFrames(10, 0);
    const std::vector<int> at60 = TimesShown(
        ShownAtRefreshes(onTime, FixedRefreshes(60, 10, 3 * kMillisecond)), onTime.size());
    // The last frames come after the last refresh.
    for (std::size_t first = 0; first + 14 <= at60.size(); first += 7) {
        EXPECT_EQ(std::count(at60.begin() + first, at60.begin() + first + 7, 0), 1) << first;
        EXPECT_EQ(std::count(at60.begin() + first, at60.begin() + first + 7, 1), 6) << first;
    }
    for (const std::int64_t late : {std::int64_t{0}, kMillisecond}) {
        const std::vector<std::int64_t> finished = GameFrames(10, late);
        const std::vector<int> at140 = TimesShown(
            ShownAtRefreshes(finished, FixedRefreshes(140, 10, 3 * kMillisecond)), finished.size());
        for (std::size_t frame = 0; frame + 1 < at140.size(); ++frame) {
            ASSERT_EQ(at140[frame], 2) << "frame " << frame << ", late by " << late;
        }
    }
    const std::vector<int> at120 = TimesShown(
        ShownAtRefreshes(onTime, FixedRefreshes(120, 10, 3 * kMillisecond)), onTime.size());
    for (std::size_t frame = 0; frame + 1 < at120.size(); ++frame) {
        ASSERT_TRUE(at120[frame] == 1 || at120[frame] == 2) << "frame " << frame;
    }
}

// A variable-refresh display (48 to 144 Hz) refreshes as each frame comes,
// and on its own at its slowest rate while none comes (a pause): every frame
// is shown at the moment it finished, and a long gap repeats the last one.
TEST(PresentSchedule, VariableRefreshShowsEachFrameAsItFinishes) {
    std::vector<std::int64_t> finished = GameFrames(5, 2 * kMillisecond);
    const std::int64_t gapEnd = finished.back() + 300 * kMillisecond;  // a pause
    for (const std::int64_t t : GameFrames(5, 2 * kMillisecond)) finished.push_back(gapEnd + t);
    constexpr std::int64_t kFastest = kSecond / 144;
    constexpr std::int64_t kSlowest = kSecond / 48;
    std::vector<std::int64_t> refreshes;
    std::int64_t last = finished.front();
    refreshes.push_back(last);
    for (std::size_t frame = 1; frame < finished.size(); ++frame) {
        while (finished[frame] - last > kSlowest) refreshes.push_back(last += kSlowest);
        last = std::max(finished[frame], last + kFastest);
        refreshes.push_back(last);
    }
    const std::vector<std::optional<std::size_t>> shown = ShownAtRefreshes(finished, refreshes);
    std::vector<int> times = TimesShown(shown, finished.size());
    std::size_t next = 0;
    for (std::size_t k = 0; k < shown.size(); ++k) {
        ASSERT_TRUE(shown[k]);
        if (*shown[k] == next) {
            EXPECT_EQ(refreshes[k], finished[next]) << "frame " << next;
            ++next;
        }
    }
    EXPECT_EQ(next, finished.size());
    const std::size_t beforeGap = finished.size() / 2 - 1;
    // Held through the pause: shown as it came, then once each slowest period.
    const std::int64_t gap = finished[beforeGap + 1] - finished[beforeGap];
    EXPECT_EQ(times[beforeGap], 1 + (gap - 1) / kSlowest);
    EXPECT_GT(times[beforeGap], 10);
    times[beforeGap] = 1;
    EXPECT_EQ(std::count(times.begin(), times.end(), 1), static_cast<long>(times.size()));
}

// The mailbox between the game and the presenter: the newest posted wins, a
// refresh with nothing new takes nothing.
TEST(PresentSchedule, MailboxHandsOverTheNewestOnce) {
    platform::FrameMailbox mailbox;
    EXPECT_EQ(mailbox.Take(), std::nullopt);
    mailbox.Post(1);
    mailbox.Post(2);
    EXPECT_EQ(mailbox.Take(), 2u);
    EXPECT_FALSE(mailbox.HasNew());
    EXPECT_EQ(mailbox.Take(), std::nullopt);
    mailbox.Post(3);
    EXPECT_TRUE(mailbox.HasNew());
    EXPECT_EQ(mailbox.Take(), 3u);
}
