// pixark.ax's frame timing in Wine's graph: the number of frames a run
// delivers, stamps that are whole multiples of the period on the stream
// clock, and nothing delivered while paused.

#include <gtest/gtest.h>

#include "framework/win/Handles.h"
#include "tests/wine/pixark/PixarkGraph.h"
#include "tests/wine/pixark/TestWindows.h"

namespace {

class PixarkTimingTest : public ::testing::TestWithParam<int32_t> {
protected:
    win::ScopedComApartment m_com;
};

TEST_P(PixarkTimingTest, AFourSecondRunDeliversEveryPeriodStampedOnTheStreamClock) {
    const int32_t fps = GetParam();
    const REFERENCE_TIME period = 10000000 / fps;
    ComPtr<IBaseFilter> filter = CreatePixark();
    ASSERT_TRUE(filter);
    ASSERT_EQ(Configure(filter.Get(), Rectangle(8, 8, 328, 248, fps, 32)), S_OK);
    CaptureGraph g;
    ASSERT_EQ(g.Build(filter.Get()), S_OK);
    ASSERT_EQ(g.RunFor(4000), S_OK);
    const auto samples = g.sink->Samples();
    const double expected = 4.0 * fps;
    EXPECT_GE(samples.size(), expected * 0.9);
    EXPECT_LE(samples.size(), expected * 1.1);
    LONG delivered = -1, dropped = -1;
    ASSERT_TRUE(FrameCounts(filter.Get(), delivered, dropped));
    EXPECT_EQ(static_cast<size_t>(delivered), samples.size());
    REFERENCE_TIME previous = -1;
    size_t index = 0;
    for (const auto& s : samples) {
        ASSERT_TRUE(s.timed);
        EXPECT_EQ(s.start % period, 0) << "sample " << index;
        EXPECT_EQ(s.stop - s.start, period) << "sample " << index;
        EXPECT_GT(s.start, previous) << "sample " << index;
        EXPECT_EQ(s.length, 320 * 240 * 4);
        previous = s.start;
        ++index;
    }
    // Frame n is stamped n periods: with nothing dropped, the index is n.
    ASSERT_FALSE(samples.empty());
    EXPECT_EQ(samples.front().start, 0);
    EXPECT_EQ(samples.back().start / period, static_cast<REFERENCE_TIME>(samples.size()) - 1 + dropped);
}

INSTANTIATE_TEST_SUITE_P(FrameRates, PixarkTimingTest, ::testing::Values(15, 30));

class PixarkPauseTest : public ::testing::Test {
protected:
    win::ScopedComApartment m_com;
};

TEST_F(PixarkPauseTest, PauseStopsDeliveryAndRunResumesOnTheStreamClock) {
    const REFERENCE_TIME period = 10000000 / 15;
    ComPtr<IBaseFilter> filter = CreatePixark();
    ASSERT_TRUE(filter);
    ASSERT_EQ(Configure(filter.Get(), Rectangle(8, 8, 168, 128, 15, 24)), S_OK);
    CaptureGraph g;
    ASSERT_EQ(g.Build(filter.Get()), S_OK);
    ASSERT_TRUE(SUCCEEDED(g.control->Run()));
    PumpFor(1500);
    ASSERT_TRUE(SUCCEEDED(g.control->Pause()));
    PumpFor(100);
    const size_t atPause = g.sink->Count();
    const REFERENCE_TIME lastBefore = g.sink->Samples().back().start;
    OAFilterState state;
    EXPECT_EQ(g.control->GetState(0, &state), VFW_S_CANT_CUE);
    EXPECT_EQ(state, State_Paused);
    PumpFor(1000);
    EXPECT_EQ(g.sink->Count(), atPause);
    ASSERT_TRUE(SUCCEEDED(g.control->Run()));
    PumpFor(1500);
    ASSERT_EQ(g.control->Stop(), S_OK);
    const auto samples = g.sink->Samples();
    ASSERT_GT(samples.size(), atPause + 15);
    // The second second of pause is not in the stream: the next frame
    // follows the last one, it does not jump a second ahead.
    const REFERENCE_TIME firstAfter = samples[atPause].start;
    EXPECT_GT(firstAfter, lastBefore);
    EXPECT_LE(firstAfter - lastBefore, 4 * period);
    for (size_t i = 1; i < samples.size(); ++i) EXPECT_EQ(samples[i].start % period, 0);
}

}  // namespace
