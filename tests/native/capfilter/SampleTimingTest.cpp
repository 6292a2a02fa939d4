#include "capfilter/SampleTiming.h"

#include <gtest/gtest.h>

using sonark::ComputeSampleTimes;
using sonark::DataDuration;

TEST(SampleTiming, DurationFollowsTheByteCount) {
    EXPECT_EQ(DataDuration(1920, 192000), 100000);  // 10 ms at 48000 Hz stereo
    EXPECT_EQ(DataDuration(1764, 176400), 100000);  // 10 ms at 44100 Hz stereo
    EXPECT_EQ(DataDuration(3, 192000), 156);        // truncated
    EXPECT_EQ(DataDuration(0, 192000), 0);
    EXPECT_EQ(DataDuration(1920, 0), 0);
    EXPECT_EQ(DataDuration(2000000000, 192000), 104166666666);  // no 32-bit overflow
}

TEST(SampleTiming, ModesZeroAndTwoJumpToTheStreamTimeOnlyAfterTheFirstSecond) {
    for (int mode : {0, 2}) {
        auto early = ComputeSampleTimes(mode, 8000000, 9000000, 1920, 192000);
        EXPECT_EQ(early.start, 8000000) << mode;
        EXPECT_EQ(early.stop, 8100000) << mode;
        EXPECT_EQ(early.nextSampleTime, 8100000) << mode;

        auto late = ComputeSampleTimes(mode, 20000000, 30000000, 1920, 192000);
        EXPECT_EQ(late.start, 30000000) << mode;
        EXPECT_EQ(late.stop, 30100000) << mode;
        EXPECT_EQ(late.nextSampleTime, 30100000) << mode;

        auto ahead = ComputeSampleTimes(mode, 20000000, 15000000, 1920, 192000);
        EXPECT_EQ(ahead.start, 20000000) << mode;
        EXPECT_EQ(ahead.stop, 20100000) << mode;
    }
}

TEST(SampleTiming, ModeOneMovesALateSampleWholeButNotTheClock) {
    auto late = ComputeSampleTimes(1, 20000000, 30000000, 1920, 192000);
    EXPECT_EQ(late.start, 30000000);
    EXPECT_EQ(late.stop, 30100000);  // start moved alone would leave 20100000, before the start
    EXPECT_EQ(late.nextSampleTime, 20100000);
    EXPECT_LE(late.start, late.stop);

    // Within the first second, or not late: uncorrected.
    auto first = ComputeSampleTimes(1, 0, 30000000, 1920, 192000);
    EXPECT_EQ(first.start, 0);
    EXPECT_EQ(first.stop, 100000);
    auto onTime = ComputeSampleTimes(1, 20000000, 20100000, 1920, 192000);
    EXPECT_EQ(onTime.start, 20000000);
    EXPECT_EQ(onTime.stop, 20100000);
}

TEST(SampleTiming, OtherModesFollowTheDataDurationOnly) {
    for (int mode : {3, 4, -1, 99}) {
        auto t = ComputeSampleTimes(mode, 20000000, 90000000, 1920, 192000);
        EXPECT_EQ(t.start, 20000000) << mode;
        EXPECT_EQ(t.stop, 20100000) << mode;
        EXPECT_EQ(t.nextSampleTime, 20100000) << mode;
    }
    auto empty = ComputeSampleTimes(4, 5000, 90000000, 0, 192000);
    EXPECT_EQ(empty.start, 5000);
    EXPECT_EQ(empty.stop, 5000);
}
