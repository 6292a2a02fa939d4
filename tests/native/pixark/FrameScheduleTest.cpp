#include <gtest/gtest.h>

#include "companions/pixark/FrameSchedule.h"

namespace pixark {
namespace {

TEST(FrameScheduleTest, PeriodIsTruncatedTenthsOfMicroseconds) {
    EXPECT_EQ(FramePeriod(30), 333333);
    EXPECT_EQ(FramePeriod(15), 666666);
    EXPECT_EQ(FramePeriod(29), 344827);
    EXPECT_EQ(FramePeriod(5), 2000000);
    EXPECT_EQ(FramePeriod(1), 10000000);
    EXPECT_EQ(FramePeriod(1000), 10000);
    EXPECT_EQ(FramePeriod(0), 10000000);  // never a zero period
}

struct StepCase {
    int64_t next, now;
    bool due;
    int64_t frame, dropped, waitUntil;
};

TEST(FrameScheduleTest, WaitsDeliversOrDrops) {
    const int64_t p = 1000;
    const StepCase cases[] = {
        {0, -500, false, 0, 0, 0},     // run starts in the future
        {0, 0, true, 0, 0, 0},         // frame 0 at once
        {3, 2999, false, 3, 0, 3000},  // one tick early: wait
        {3, 3000, true, 3, 0, 3000},   // exactly due
        {3, 3999, true, 3, 0, 3000},   // late by less than a period
        {3, 4000, true, 3, 0, 3000},   // late by exactly one period: still delivered
        {3, 4001, true, 4, 1, 3000},   // more than one period: 3 dropped
        {3, 5500, true, 5, 2, 3000},   // 3 and 4 dropped, 5 is current
        {3, 13000, true, 12, 9, 3000}, {0, 2500, true, 2, 2, 0},
    };
    for (const auto& c : cases) {
        const FrameStep s = NextFrame(c.next, c.now, p);
        EXPECT_EQ(s.due, c.due) << c.next << " @ " << c.now;
        EXPECT_EQ(s.frame, c.frame) << c.next << " @ " << c.now;
        EXPECT_EQ(s.dropped, c.dropped) << c.next << " @ " << c.now;
        EXPECT_EQ(s.waitUntil, c.waitUntil) << c.next << " @ " << c.now;
    }
}

TEST(FrameScheduleTest, ASteadyClockDeliversEveryFrameOnce) {
    // Waking a little late each time (as a timer does) loses nothing.
    const int64_t p = FramePeriod(30);
    int64_t next = 0, delivered = 0, dropped = 0;
    for (int64_t now = 0; now < 4 * kUnitsPerSecond; now += 1000) {
        const FrameStep s = NextFrame(next, now, p);
        if (!s.due) continue;
        EXPECT_EQ(s.frame * p, delivered * p);
        dropped += s.dropped;
        ++delivered;
        next = s.frame + 1;
    }
    EXPECT_EQ(delivered, 120);
    EXPECT_EQ(dropped, 0);
}

TEST(FrameScheduleTest, WaitRoundsUpAndIsBounded) {
    EXPECT_EQ(WaitMilliseconds(0, 0, 200), 0u);
    EXPECT_EQ(WaitMilliseconds(500, 0, 200), 0u);
    EXPECT_EQ(WaitMilliseconds(0, 1, 200), 1u);
    EXPECT_EQ(WaitMilliseconds(0, 10000, 200), 1u);
    EXPECT_EQ(WaitMilliseconds(0, 10001, 200), 2u);
    EXPECT_EQ(WaitMilliseconds(0, 333333, 200), 34u);
    EXPECT_EQ(WaitMilliseconds(0, 10000000, 200), 200u);
}

}  // namespace
}  // namespace pixark
