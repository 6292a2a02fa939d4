#include "capfilter/DeviceRecovery.h"

#include <gtest/gtest.h>

using sonark::ClassifyEndpointResult;
using sonark::EndpointFault;
using sonark::GapFill;
using sonark::ReopenSchedule;

TEST(DeviceRecovery, ALostDeviceReopensAndAnythingElseEndsTheStream) {
    struct Case {
        uint32_t hr;
        EndpointFault fault;
    };
    const Case cases[] = {
        {0x00000000, EndpointFault::None},        // S_OK
        {0x00000001, EndpointFault::None},        // S_FALSE
        {0x08890001, EndpointFault::None},        // AUDCLNT_S_BUFFER_EMPTY
        {0x88890004, EndpointFault::DeviceLost},  // AUDCLNT_E_DEVICE_INVALIDATED
        {0x8889000A, EndpointFault::DeviceLost},  // AUDCLNT_E_DEVICE_IN_USE
        {0x88890010, EndpointFault::DeviceLost},  // AUDCLNT_E_SERVICE_NOT_RUNNING
        {0x8889000F, EndpointFault::DeviceLost},  // AUDCLNT_E_ENDPOINT_CREATE_FAILED: gone while opened
        {0x88890011, EndpointFault::Fatal},       // AUDCLNT_E_EVENTHANDLE_NOT_EXPECTED
        {0x88890026, EndpointFault::DeviceLost},  // AUDCLNT_E_RESOURCES_INVALIDATED
        {0x80070490, EndpointFault::DeviceLost},  // E_NOTFOUND: no default endpoint now
        {0x80004005, EndpointFault::Fatal},       // E_FAIL
        {0x8007000E, EndpointFault::Fatal},       // E_OUTOFMEMORY
        {0x88890007, EndpointFault::Fatal},       // AUDCLNT_E_OUT_OF_ORDER
        {0x88890008, EndpointFault::Fatal},       // AUDCLNT_E_UNSUPPORTED_FORMAT
        {0x88890006, EndpointFault::Fatal},       // AUDCLNT_E_BUFFER_SIZE_ERROR
    };
    for (const Case& c : cases)
        EXPECT_EQ(ClassifyEndpointResult(static_cast<int32_t>(c.hr)), c.fault) << std::hex << c.hr;
}

TEST(DeviceRecovery, ReopeningIsTriedAtOnceThenEvery500Ms) {
    // Ticks near the wrap of the millisecond counter as well.
    for (uint32_t base : {1000u, 0xFFFFFF00u}) {
        SCOPED_TRACE(base);
        ReopenSchedule s;
        EXPECT_FALSE(s.Pending());
        EXPECT_FALSE(s.Due(base));
        s.Lost(base);
        EXPECT_TRUE(s.Due(base));
        s.Failed(base + 3);
        EXPECT_FALSE(s.Due(base + 502));
        EXPECT_TRUE(s.Due(base + 503));
        // A second loss meanwhile (the default changed again) is due at once
        // and keeps the time of the first.
        s.Lost(base + 600);
        EXPECT_TRUE(s.Due(base + 600));
        s.Failed(base + 600);
        EXPECT_FALSE(s.Due(base + 1099));
        EXPECT_TRUE(s.Due(base + 1100));
        EXPECT_EQ(s.Reopened(base + 1120), 1120u);
        EXPECT_FALSE(s.Pending());
        EXPECT_FALSE(s.Due(base + 5000));
    }
}

TEST(DeviceRecovery, TheGapFillKeepsTheDistanceTheSoundHadToTheStreamTime) {
    struct Case {
        const char* name;
        int64_t clockAtLoss, streamAtLoss;  // Begin
        int64_t clock, stream;              // DueBytes
        int64_t avgBytes;
        size_t blockAlign, capacity, due;
    };
    const Case cases[] = {
        // 30 ms behind at the loss; 200 ms later 200 ms of silence is due.
        {"200ms", 20000000, 20300000, 20000000, 22300000, 192000, 4, 48000, 38400},
        // Nothing due until the stream time has moved past the kept distance.
        {"notYet", 20000000, 20300000, 20000000, 20300000, 192000, 4, 48000, 0},
        // Once the clock is there, nothing more.
        {"caughtUp", 20000000, 20300000, 22000000, 22300000, 192000, 4, 48000, 0},
        // Whole frames, rounded up so the clock reaches the target.
        {"partialFrame", 0, 0, 0, 1, 192000, 4, 48000, 4},
        {"at44100", 0, 0, 0, 100000, 176400, 4, 48000, 1764},
        // No more than the sample holds, in whole frames.
        {"capped", 0, 0, 0, 50000000, 192000, 4, 48002, 48000},
        // Sound ahead of the stream time at the loss keeps no distance.
        {"ahead", 20500000, 20300000, 20500000, 20600000, 192000, 4, 48000, 1920},
        {"noRate", 0, 0, 0, 100000, 0, 4, 48000, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GapFill fill;
        EXPECT_EQ(fill.DueBytes(c.clock, c.stream, c.avgBytes, c.blockAlign, c.capacity), 0u);  // not begun
        fill.Begin(c.clockAtLoss, c.streamAtLoss);
        EXPECT_TRUE(fill.Active());
        EXPECT_EQ(fill.DueBytes(c.clock, c.stream, c.avgBytes, c.blockAlign, c.capacity), c.due);
        fill.End(c.stream);
        EXPECT_EQ(fill.DueBytes(c.clock, c.stream, c.avgBytes, c.blockAlign, c.capacity), 0u);
    }
}

TEST(DeviceRecovery, FillingAGapStepByStepEndsWithTheSameDistance) {
    // The worker fills as the stream time moves on, in steps that are not
    // whole frames (3.3333 ms), and the sample times advance (truncating)
    // by what was filled: the clock never falls behind the kept distance by
    // a frame or more, nor runs ahead of it by more than one.
    GapFill fill;
    int64_t clock = 20000000;
    fill.Begin(clock, 20300000);
    int64_t stream = 20300000;
    for (int step = 0; step < 600; ++step) {
        stream += 33333;
        size_t bytes = fill.DueBytes(clock, stream, 192000, 4, 48000);
        EXPECT_EQ(bytes % 4, 0u);
        clock += static_cast<int64_t>(bytes) * 10000000 / 192000;
        EXPECT_GT(clock, stream - 300000 - 209) << step;  // 209 units: one frame at 48000 Hz
        EXPECT_LT(clock, stream - 300000 + 209) << step;
    }
    EXPECT_EQ(fill.Distance(), 300000);
}

TEST(DeviceRecovery, ANewEndpointsBacklogAfterTheGapIsNotSent) {
    // 30 ms behind at the loss; the first packet (10 ms) came 200 ms later,
    // when the silence had filled up to 2.2 s.
    struct Case {
        const char* name;
        int64_t clock, stream;
        bool backlog;
    };
    const Case cases[] = {
        {"firstPacket", 22000000, 22300000, false},
        {"nextAtOnce", 22100000, 22301000, true},
        {"thirdAtOnce", 22200000, 22302000, true},
        {"halfAPacketAhead", 22050000, 22300000, false},
        {"justOverHalf", 22050001, 22300000, true},
        {"nextInItsTime", 22100000, 22400000, false},
        {"afterTheWindow", 22100000, 22300000 + sonark::kBacklogWindow, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GapFill fill;
        fill.Begin(20000000, 20300000);
        EXPECT_FALSE(fill.Backlog(c.clock, c.stream, 100000));  // still in the gap
        fill.End(22300000);
        EXPECT_EQ(fill.Backlog(c.clock, c.stream, 100000), c.backlog);
    }
    // Only after a gap: not at a start, not after a new stream, not in a new gap.
    GapFill fill;
    EXPECT_FALSE(fill.Backlog(22100000, 22301000, 100000));
    fill.Begin(20000000, 20300000);
    fill.End(22300000);
    fill.Clear();
    EXPECT_FALSE(fill.Backlog(22100000, 22301000, 100000));
    fill.Begin(20000000, 20300000);
    fill.End(22300000);
    fill.Begin(22100000, 22301000);
    EXPECT_FALSE(fill.Backlog(22200000, 22302000, 100000));
}
