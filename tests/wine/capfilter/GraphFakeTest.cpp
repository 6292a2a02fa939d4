// CSonarkStream in Wine's filter graph over scripted endpoints: streaming,
// the abort without parameters, stopping when no packet ever comes, and a
// pause that sends nothing.

#include <gmock/gmock.h>

#include <evcode.h>

#include "tests/wine/capfilter/GraphHelpers.h"
#include "tests/wine/capfilter/StreamFixture.h"

TEST_F(StreamTest, InAGraphPacketsFlowToTheSink) {
    Make();
    sonark::SetCaptureParams(1, 4, 0, L"");
    TestGraph g;
    ASSERT_EQ(g.Build(filter.Get()), S_OK);
    ASSERT_EQ(g.control->Run(), S_OK);
    for (int i = 0; i < 10; ++i) audio->speakers->capture->Queue(StereoPacket(480, 1000, -1000));
    DWORD end = ::GetTickCount() + 3000;
    size_t timed = 0;
    while (::GetTickCount() < end) {
        timed = 0;
        for (auto& s : g.sink->Samples()) timed += s.timed ? 1 : 0;
        if (timed >= 10) break;
        ::Sleep(10);
    }
    EXPECT_EQ(timed, 10u);
    ASSERT_EQ(g.control->Stop(), S_OK);
    REFERENCE_TIME expected = 0;
    for (auto& s : g.sink->Samples()) {
        if (!s.timed) continue;
        EXPECT_EQ(s.bytes.size(), 1920u);
        EXPECT_EQ(s.start, expected);
        EXPECT_EQ(s.stop, expected + 100000);
        expected = s.stop;
    }
}

TEST_F(StreamTest, InAGraphWithoutParametersTheStreamAborts) {
    Make();
    TestGraph g;
    ASSERT_EQ(g.Build(filter.Get()), S_OK);
    ASSERT_EQ(g.control->Run(), S_OK);
    LONG_PTR result = 0;
    EXPECT_TRUE(g.WaitForEvent(EC_ERRORABORT, &result, 3000));
    EXPECT_EQ(static_cast<HRESULT>(result), E_FAIL);
    EXPECT_EQ(g.sink->EndOfStreams(), 1);
    g.control->Stop();
}

TEST_F(StreamTest, StoppingWithNothingRenderingReturnsPromptly) {
    Make();
    sonark::SetCaptureParams(1, 1, 0, L"");
    TestGraph g;
    ASSERT_EQ(g.Build(filter.Get()), S_OK);
    ASSERT_EQ(g.control->Run(), S_OK);
    ::Sleep(500);
    EXPECT_EQ(audio->speakers->startCalls, 1);
    DWORD before = ::GetTickCount();
    EXPECT_EQ(g.control->Stop(), S_OK);
    DWORD took = ::GetTickCount() - before;
    EXPECT_LT(took, 2000u);
    std::printf("stop with nothing rendering took %lu ms\n", took);
    // And it runs again afterwards.
    ASSERT_EQ(g.control->Run(), S_OK);
    audio->speakers->capture->Queue(StereoPacket(480, 0, 0));
    ::Sleep(300);
    EXPECT_EQ(audio->speakers->capture->Queued(), 0u);
    EXPECT_EQ(g.control->Stop(), S_OK);
}

TEST_F(StreamTest, APausedGraphReceivesNothing) {
    Make();
    sonark::SetCaptureParams(1, 1, 0, L"");
    TestGraph g;
    ASSERT_EQ(g.Build(filter.Get()), S_OK);
    ASSERT_EQ(g.control->Pause(), S_OK);
    ::Sleep(500);
    EXPECT_EQ(g.sink->Samples().size(), 0u);
    EXPECT_EQ(audio->speakers->startCalls, 0);
    DWORD before = ::GetTickCount();
    EXPECT_EQ(g.control->Stop(), S_OK);
    EXPECT_LT(::GetTickCount() - before, 1000u);
    EXPECT_EQ(g.sink->Samples().size(), 0u);
}
