// The attempts of one search against a scripted system: the pauses, the
// limits, the first qualifying attempt, the errors, cancelling and the trace.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "region/MotionSearchLoop.h"
#include "tests/native/region/SyntheticFrames.h"

namespace {

constexpr SearchMetrics kMetrics{19, 2, 1};

// What a grab shows: the n-th grab of the search (from 0) into a frame of
// the area's size.
using Screen = std::function<void(int grab, std::vector<uint8_t>& frame, int width, int height)>;

void StillScreen(int, std::vector<uint8_t>& frame, int width, int height) {
    SyntheticFrames::Fill(frame, width, height, {0, 0, width, height}, kGrey);
}

Screen VideoAt(ScreenRect video) {
    return [video](int grab, std::vector<uint8_t>& frame, int width, int height) {
        StillScreen(grab, frame, width, height);
        SyntheticFrames::Fill(frame, width, height, video, grab % 2 ? kVideoB : kVideoA);
    };
}

class FakeSystem : public MotionSearchSystem {
public:
    // The memory this machine has for a grab.
    static constexpr size_t kMemory = size_t{1} << 30;

    SearchArea Area() override {
        ++attempts;
        return area;
    }
    bool Allocate(FrameBuffer& frame, size_t bytes) override {
        requested.push_back(bytes);
        if (failAllocationAt == ++allocations || bytes > kMemory) return false;
        return frame.Allocate(bytes);
    }
    int Grab(uint8_t* frame, const ScreenRect& rect) override {
        const int n = grabs++;
        calls.push_back("grab");
        if (n < static_cast<int>(grabErrors.size()) && grabErrors[n] != 0) return grabErrors[n];
        const int width = rect.right - rect.left;
        const int height = rect.bottom - rect.top;
        std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
        screen(n, pixels, width, height);
        std::memcpy(frame, pixels.data(), pixels.size());
        if (cancelAtGrab == grabs && cancel) *cancel = true;
        return 0;
    }
    void Sleep(int ms) override { calls.push_back("sleep " + std::to_string(ms)); }
    void WaitPumping(int ms) override { calls.push_back("pump " + std::to_string(ms)); }
    void ShowMessage(const std::wstring& text) override {
        calls.push_back("message " + std::string(text.begin(), text.end()));
    }
    void Report(const MotionReport& report) override {
        ++reports;
        last = report;
        calls.push_back("report " + std::to_string(report.Code()));
    }
    bool Tracing() override { return tracing; }
    void Trace(const std::wstring& text) override { trace += text; }

    SearchArea area{{0, 0, 1000, 600}, 1024};
    Screen screen = StillScreen;
    std::vector<int> grabErrors;
    int failAllocationAt = 0;
    int cancelAtGrab = 0;
    std::atomic<bool>* cancel = nullptr;
    bool tracing = false;

    int attempts = 0;
    int allocations = 0;
    int grabs = 0;
    int reports = 0;
    std::vector<size_t> requested;
    MotionReport last;
    std::vector<std::string> calls;
    std::wstring trace;
};

struct Search {
    FakeSystem system;
    std::atomic<bool> cancel{false};
    void Run() {
        system.cancel = &cancel;
        MotionSearchLoop loop(system, kMetrics, cancel);
        loop.Run();
    }
};

std::vector<std::string> Attempt(int delay, bool quiet) {
    std::vector<std::string> calls{"grab", "sleep " + std::to_string(delay), "grab"};
    if (quiet) calls.push_back("sleep 150");
    return calls;
}

TEST(GrabDelay, ShortensBy100AndStartsOverAfter200) {
    std::vector<int> delays;
    int delay = 1000;
    for (int i = 0; i < 11; ++i) delays.push_back(delay = NextGrabDelay(delay));
    EXPECT_EQ(delays, (std::vector<int>{900, 800, 700, 600, 500, 400, 300, 200, 1000, 900, 800}));
}

TEST(MotionSearchLoop, StillScreenEndsAfterTwentyQuietAttempts) {
    Search s;
    s.Run();
    std::vector<std::string> expected;
    const int delays[] = {900, 800, 700, 600, 500, 400, 300, 200,  1000, 900,
                          800, 700, 600, 500, 400, 300, 200, 1000, 900,  800};
    for (int delay : delays) {
        const auto attempt = Attempt(delay, true);
        expected.insert(expected.end(), attempt.begin(), attempt.end());
    }
    expected.push_back("report 1111");
    expected.push_back("pump 2000");
    EXPECT_EQ(s.system.calls, expected);
    EXPECT_EQ(s.system.attempts, 20);
    EXPECT_EQ(s.system.last.end, MotionEnd::NoVideo);
    // Two buffers of exactly the area's size at every attempt.
    EXPECT_EQ(s.system.requested, std::vector<size_t>(40, size_t{1000} * 600 * 4));
}

TEST(MotionSearchLoop, VideoIsAcceptedAtTheSecondQualifyingAttempt) {
    Search s;
    s.system.area = SearchArea{{100, 50, 1100, 650}, 768};
    s.system.screen = VideoAt({100, 80, 740, 440});
    s.Run();
    std::vector<std::string> expected = Attempt(900, false);
    const auto second = Attempt(800, false);
    expected.insert(expected.end(), second.begin(), second.end());
    expected.push_back("report 777");
    EXPECT_EQ(s.system.calls, expected);
    EXPECT_EQ(s.system.last.end, MotionEnd::Found);
    // Offsets within the area plus its corner; the edges within edgeX.
    EXPECT_EQ(s.system.last.region, (ScreenRect{100 + 102, 50 + 81, 100 + 738, 50 + 440}));
}

TEST(MotionSearchLoop, NarrowMotionEndsAfterElevenQualifyingAttempts) {
    Search s;
    s.system.screen = VideoAt({100, 80, 350, 440});  // 250 wide
    s.system.tracing = true;
    s.Run();
    // The trace ends with the figures of all eleven.
    const std::wstring& trace = s.system.trace;
    const std::wstring last = L"\r\n10. max=360 max1=360\r\n10. x1=102 y1=348 x2=82 y2=439";
    ASSERT_GE(trace.size(), last.size());
    EXPECT_EQ(trace.substr(trace.size() - last.size()), last);
    EXPECT_NE(trace.find(L"\r\n\r\n0. max=360"), std::wstring::npos);
    EXPECT_EQ(trace.find(L"11. max="), std::wstring::npos);
    EXPECT_EQ(s.system.attempts, 11);
    EXPECT_EQ(s.system.grabs, 22);
    EXPECT_EQ(s.system.reports, 1);
    EXPECT_EQ(s.system.last.end, MotionEnd::NoVideo);
    EXPECT_EQ(s.system.calls.back(), "report 1111");
    EXPECT_EQ(s.system.calls[s.system.calls.size() - 2], "grab");  // no pause, no wait
}

TEST(MotionSearchLoop, QualifyingAttemptResetsTheQuietCount) {
    Search s;
    // Nineteen still attempts, one with narrow motion, then still again.
    s.system.screen = [](int grab, std::vector<uint8_t>& frame, int width, int height) {
        StillScreen(grab, frame, width, height);
        if (grab == 39) SyntheticFrames::Fill(frame, width, height, {100, 80, 350, 440}, kVideoB);
    };
    s.Run();
    EXPECT_EQ(s.system.attempts, 40);
    EXPECT_EQ(s.system.last.end, MotionEnd::NoVideo);
    EXPECT_EQ(s.system.calls.back(), "pump 2000");
}

struct ErrorCase {
    std::vector<int> grabErrors;
    int failAllocationAt;
    std::vector<std::string> calls;
    MotionEnd end;
};

class MotionSearchErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(MotionSearchErrors, EndWithTheirMessageAndOneReport) {
    Search s;
    s.system.grabErrors = GetParam().grabErrors;
    s.system.failAllocationAt = GetParam().failAllocationAt;
    s.Run();
    EXPECT_EQ(s.system.calls, GetParam().calls);
    EXPECT_EQ(s.system.last.end, GetParam().end);
    EXPECT_EQ(s.system.reports, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, MotionSearchErrors,
    ::testing::Values(
        ErrorCase{{1}, 0, {"grab", "message \r\nERROR errorBitmap=1", "report 1111", "pump 1000"}, MotionEnd::Error},
        ErrorCase{{3}, 0, {"grab", "message \r\nERROR errorBitmap=3", "report 1111", "pump 1000"}, MotionEnd::Error},
        ErrorCase{{0, 5},
                  0,
                  {"grab", "sleep 900", "grab", "message \r\nERROR errorBitmap=5", "report 1111", "pump 1000"},
                  MotionEnd::Error},
        // A later attempt's grab: the pause schedule went on meanwhile.
        ErrorCase{{0, 0, 0, 4},
                  0,
                  {"grab", "sleep 900", "grab", "sleep 150", "grab", "sleep 800", "grab",
                   "message \r\nERROR errorBitmap=4", "report 1111", "pump 1000"},
                  MotionEnd::Error},
        ErrorCase{{}, 1, {"message Out Of Memory", "report 1111", "pump 1000"}, MotionEnd::NoVideo},
        ErrorCase{{}, 2, {"message Out Of Memory", "report 1111", "pump 1000"}, MotionEnd::NoVideo},
        ErrorCase{{},
                  4,
                  {"grab", "sleep 900", "grab", "sleep 150", "message Out Of Memory", "report 1111", "pump 1000"},
                  MotionEnd::NoVideo}));

TEST(MotionSearchLoop, AreaTooLargeForMemoryIsOutOfMemory) {
    Search s;
    // Right to left and bottom to top: the sizes are absolute.
    s.system.area = SearchArea{{40000, 30000, 0, 0}, 1024};
    s.Run();
    EXPECT_EQ(s.system.calls, (std::vector<std::string>{"message Out Of Memory", "report 1111", "pump 1000"}));
    // 4.8 GB: asked for where size_t holds it, and not even asked for in a 32-bit build.
    constexpr uint64_t kBytes = uint64_t{40000} * 30000 * 4;
    if (kBytes <= std::numeric_limits<size_t>::max())
        EXPECT_EQ(s.system.requested, std::vector<size_t>{static_cast<size_t>(kBytes)});
    else
        EXPECT_EQ(s.system.requested, std::vector<size_t>{});
}

TEST(MotionSearchLoop, CancelDuringAnAttemptReportsAfterItsScans) {
    Search s;
    s.system.screen = VideoAt({100, 80, 740, 440});
    s.system.cancelAtGrab = 4;  // while the second attempt grabs
    s.system.tracing = true;
    s.Run();
    EXPECT_EQ(s.system.grabs, 4);
    EXPECT_EQ(s.system.calls.back(), "report 1111");
    EXPECT_EQ(s.system.last.end, MotionEnd::Cancelled);
    // The second attempt's scans stopped before their first pixel.
    const std::wstring second = s.system.trace.substr(s.system.trace.rfind(L"hd=600"));
    EXPECT_EQ(second.find(L"xLeft="), std::wstring::npos);
    EXPECT_EQ(second.find(L"Right to Left"), std::wstring::npos);
}

TEST(MotionSearchLoop, TraceOfAQuietAttempt) {
    Search s;
    s.system.tracing = true;
    s.system.area = SearchArea{{10, 20, 35, 24}, 1024};  // 25 x 4
    s.system.screen = [](int grab, std::vector<uint8_t>& frame, int width, int height) {
        StillScreen(grab, frame, width, height);
        // 21 changed pixels in the second row from the top: a span opens.
        if (grab % 2) SyntheticFrames::Fill(frame, width, height, {1, 1, 22, 2}, kVideoB);
    };
    s.Run();
    const std::wstring attempt =
        L"\r\nhd=4 lines wd=25 columns hTask=1020 size=400\r\n"
        L"\r\nsize=400"
        L"\r\n10,20,35,24 (width=25 height=4\r\n\r\n)"
        L"\r\n\r\n/////////////Left to Right //////////////////////////\r\n\r\n"
        L" xLeft=0, width=0 xLeft=0, width=0"
        L"\r\n\r\nline=2 xLeft=1, width=21"
        L" xLeft=0, width=0"
        L"\r\n\r\n/////////////Right to Left //////////////////////////\r\n\r\n"
        L" xLeft=0, xRight=0 xLeft=1, xRight=0 xLeft=0, xRight=0 xLeft=0, xRight=0"
        L"\r\n\r\n///////////// END SCAN j=4 ////////////////\r\n\r\n"
        L"\r\n\r\nEND (FAILED) x=100 diff=21 j=4";
    std::wstring expected;
    for (int i = 0; i < 20; ++i) expected += attempt;
    EXPECT_EQ(s.system.trace, expected);
}

TEST(MotionSearchLoop, TraceOfAnAcceptedAttemptEndsWithEveryAttemptsFigures) {
    Search s;
    s.system.tracing = true;
    s.system.screen = VideoAt({100, 80, 740, 440});
    s.Run();
    const std::wstring& trace = s.system.trace;
    const std::wstring figures =
        L"\r\nj=600\r\n"
        L"\r\nmax=360 k=161 rowLeft=100 top=81\r\n"
        L"\r\nmax=360 k=81 rowRight1=740 top=81\r\n"
        L"\r\nmax=360 k=161 rowRight=740 bottom=440\r\n\r\n"
        L"\r\n\r\nEND x=600000 diff=230400 38%"
        L"\r\n\r\nxTop=102 yTop=81 xBottom=738 yBottom=440 width=636 height=359";
    const std::wstring history =
        L"\r\n"
        L"\r\n0. max=360 max1=360\r\n0. x1=102 y1=738 x2=82 y2=439"
        L"\r\n1. max=360 max1=360\r\n1. x1=102 y1=738 x2=82 y2=439";
    EXPECT_EQ(trace.substr(trace.size() - figures.size() - history.size()), figures + history);
    EXPECT_NE(trace.find(L"\r\n\r\nline=520 xLeft=100, xRight=740"), std::wstring::npos);
    EXPECT_NE(trace.find(L"\r\n\r\nline=440 xLeft=100, width=640"), std::wstring::npos);
}

}  // namespace
