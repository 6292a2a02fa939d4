// What pixark.ax captures on the Wine desktop (Xvfb 1280x1024): windows of
// known colours at their places in the frame (bottom-up rows), following a
// moved window, black where the rectangle leaves the screen, the pointer
// only when asked for, and a covered window through its own DC.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "framework/win/Handles.h"
#include "tests/wine/pixark/PixarkGraph.h"
#include "tests/wine/pixark/TestWindows.h"

namespace {

std::string Hex(uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "%06X", static_cast<unsigned>(v));
    return text;
}

// Settings for a background capture of `window` (its own DC) over the rectangle.
pixark::CaptureSettings Background(HWND window, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    pixark::CaptureSettings s = Rectangle(left, top, right, bottom);
    s.window = static_cast<int32_t>(reinterpret_cast<LONG_PTR>(window));
    s.background = 1;
    return s;
}

#define EXPECT_PIXEL(frame, x, y, rgb) \
    EXPECT_EQ(Hex((frame).Pixel((x), (y))), Hex(rgb)) << "at (" << (x) << "," << (y) << ")"

class PixarkCaptureTest : public ::testing::Test {
protected:
    // Captures `s` until a frame arrives that was taken after now, with
    // the graph running; returns that frame.
    VideoFrame Capture(const pixark::CaptureSettings& s, CaptureGraph& g) {
        ComPtr<IBaseFilter> filter = CreatePixark();
        EXPECT_TRUE(filter);
        if (!filter) return VideoFrame{};
        EXPECT_EQ(Configure(filter.Get(), s), S_OK);
        EXPECT_EQ(g.Build(filter.Get()), S_OK);
        const DWORD now = ::GetTickCount();
        EXPECT_EQ(SUCCEEDED(g.control->Run()), true);
        EXPECT_TRUE(g.WaitForFrameAfter(now + 150, 5000));
        return g.sink->LastFrame();
    }
    // The first frame taken after `pumpMs` of this thread's messages from now.
    VideoFrame FrameAfter(CaptureGraph& g, DWORD pumpMs = 100) {
        PumpFor(pumpMs);
        EXPECT_TRUE(g.WaitForFrameAfter(::GetTickCount() + 100, 5000));
        return g.sink->LastFrame();
    }
    VideoFrame CaptureOnce(const pixark::CaptureSettings& s) {
        CaptureGraph g;
        return Capture(s, g);
    }

    win::ScopedComApartment m_com;
};

TEST_F(PixarkCaptureTest, QuadrantsLandWhereTheWindowIsAtBothDepths) {
    ColourWindow window(100, 100, 320, 240, 0xFF000000u, true);
    ASSERT_TRUE(window);
    for (int32_t bits : {32, 24}) {
        // The rectangle starts 20 left of and 10 above the window.
        const VideoFrame f = CaptureOnce(Rectangle(80, 90, 80 + 400, 90 + 280, 15, bits));
        ASSERT_EQ(f.width, 400);
        ASSERT_EQ(f.height, 280);
        ASSERT_EQ(f.bitCount, bits);
        EXPECT_PIXEL(f, 20 + 1, 10 + 1, kTopLeft);
        EXPECT_PIXEL(f, 20 + 318, 10 + 1, kTopRight);
        EXPECT_PIXEL(f, 20 + 1, 10 + 238, kBottomLeft);
        EXPECT_PIXEL(f, 20 + 318, 10 + 238, kBottomRight);
        EXPECT_PIXEL(f, 20 + 159, 10 + 119, kTopLeft);
        EXPECT_PIXEL(f, 20 + 160, 10 + 120, kBottomRight);
    }
}

TEST_F(PixarkCaptureTest, MovingTheWindowMovesItsColours) {
    ColourWindow window(100, 100, 160, 120, 0xFF000000u, true);
    ASSERT_TRUE(window);
    CaptureGraph g;
    VideoFrame f = Capture(Rectangle(0, 0, 800, 600, 15, 32), g);
    EXPECT_PIXEL(f, 110, 110, kTopLeft);
    EXPECT_PIXEL(f, 250, 210, kBottomRight);
    window.MoveTo(500, 400);
    f = FrameAfter(g);
    EXPECT_PIXEL(f, 510, 410, kTopLeft);
    EXPECT_PIXEL(f, 650, 510, kBottomRight);
    EXPECT_NE(Hex(f.Pixel(110, 110)), Hex(kTopLeft));
}

TEST_F(PixarkCaptureTest, WhatLiesOffTheScreenIsBlack) {
    {
        ColourWindow window(0, 0, 320, 240, 0xFF000000u, true);
        ASSERT_TRUE(window);
        // 64 columns left of and 32 rows above the screen.
        const VideoFrame f = CaptureOnce(Rectangle(-64, -32, -64 + 320, -32 + 240));
        ASSERT_EQ(f.width, 320);
        for (int x : {0, 30, 63}) EXPECT_PIXEL(f, x, 100, 0x000000);
        for (int y : {0, 15, 31}) EXPECT_PIXEL(f, 100, y, 0x000000);
        EXPECT_PIXEL(f, 64, 32, kTopLeft);
        EXPECT_PIXEL(f, 64 + 200, 32 + 150, kBottomRight);
    }
    {
        ColourWindow window(1280 - 160, 1024 - 120, 160, 120, 0xFF000000u, true);
        ASSERT_TRUE(window);
        // 80 columns right of and 40 rows below the screen.
        const VideoFrame f = CaptureOnce(Rectangle(1280 - 160, 1024 - 120, 1280 + 80, 1024 + 40));
        ASSERT_EQ(f.width, 240);
        ASSERT_EQ(f.height, 160);
        EXPECT_PIXEL(f, 1, 1, kTopLeft);
        EXPECT_PIXEL(f, 159, 119, kBottomRight);
        for (int x : {160, 200, 239}) EXPECT_PIXEL(f, x, 50, 0x000000);
        for (int y : {120, 140, 159}) EXPECT_PIXEL(f, 50, y, 0x000000);
    }
    // Wholly off the screen: a black frame, still delivered.
    const VideoFrame f = CaptureOnce(Rectangle(3000, 3000, 3160, 3120));
    ASSERT_EQ(f.width, 160);
    EXPECT_PIXEL(f, 0, 0, 0x000000);
    EXPECT_PIXEL(f, 80, 60, 0x000000);
}

// Pixels in the 32 x 32 box at (x, y) that differ from rgb.
int Differing(const VideoFrame& f, int x, int y, uint32_t rgb) {
    int n = 0;
    for (int dy = 0; dy < 32; ++dy)
        for (int dx = 0; dx < 32; ++dx)
            if (f.Pixel(x + dx, y + dy) != rgb) ++n;
    return n;
}

TEST_F(PixarkCaptureTest, ThePointerIsDrawnOnlyWithCursorOne) {
    ColourWindow window(200, 200, 320, 240, kTopLeft, true);
    ASSERT_TRUE(window);
    ::SetForegroundWindow(window.Handle());
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    ::ShowCursor(TRUE);
    ASSERT_TRUE(::SetCursorPos(200 + 100, 200 + 80));
    PumpFor(200);
    CURSORINFO info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(::GetCursorInfo(&info));
    ASSERT_TRUE(info.flags & CURSOR_SHOWING) << "no visible pointer on this desktop";
    ASSERT_NE(info.hCursor, nullptr);
    EXPECT_EQ(info.ptScreenPos.x, 300);
    EXPECT_EQ(info.ptScreenPos.y, 280);

    pixark::CaptureSettings s = Rectangle(200, 200, 520, 440);
    const VideoFrame without = CaptureOnce(s);
    EXPECT_EQ(Differing(without, 100, 80, kTopLeft), 0);
    s.cursor = 1;
    const VideoFrame with = CaptureOnce(s);
    // The arrow's hot spot is its tip: it is drawn down and right of it.
    EXPECT_GT(Differing(with, 100, 80, kTopLeft), 20);
    EXPECT_EQ(Differing(with, 100 - 40, 80 - 40, kTopLeft), 0);
    EXPECT_EQ(Differing(with, 100 + 60, 80 + 60, kTopLeft), 0);
}

TEST_F(PixarkCaptureTest, ABackgroundCaptureShowsACoveredWindow) {
    ColourWindow covered(100, 100, 320, 240);
    ASSERT_TRUE(covered);
    ColourWindow cover(60, 60, 400, 320, kCoverColour, true);
    ASSERT_TRUE(cover);
    PumpFor(200);
    pixark::CaptureSettings s = Rectangle(100, 100, 420, 340);
    // From the screen the cover is what shows.
    VideoFrame f = CaptureOnce(s);
    EXPECT_PIXEL(f, 10, 10, kCoverColour);
    EXPECT_PIXEL(f, 300, 200, kCoverColour);
    // From the window's own DC its quadrants do.
    s = Background(covered.Handle(), 100, 100, 420, 340);
    f = CaptureOnce(s);
    EXPECT_PIXEL(f, 10, 10, kTopLeft);
    EXPECT_PIXEL(f, 310, 10, kTopRight);
    EXPECT_PIXEL(f, 10, 230, kBottomLeft);
    EXPECT_PIXEL(f, 310, 230, kBottomRight);
    // At 200 % the frame shows the window's top-left quarter magnified.
    s.scalePercent = 200;
    f = CaptureOnce(s);
    EXPECT_PIXEL(f, 10, 10, kTopLeft);
    EXPECT_PIXEL(f, 300, 220, kTopLeft);
    // The window argument is ignored without background 1.
    s.background = 0;
    s.scalePercent = 100;
    f = CaptureOnce(s);
    EXPECT_PIXEL(f, 10, 10, kCoverColour);
}

// A background capture stays on its window: moved, the window is whole in
// the frame; minimised, it gives no picture and its frames count as dropped.
TEST_F(PixarkCaptureTest, ABackgroundCaptureFollowsItsWindowAndDropsItsMinimisedFrames) {
    ColourWindow window(100, 100, 320, 240);
    ASSERT_TRUE(window);
    PumpFor(200);
    CaptureGraph g;
    VideoFrame f = Capture(Background(window.Handle(), 100, 100, 420, 340), g);
    EXPECT_PIXEL(f, 10, 10, kTopLeft);
    EXPECT_PIXEL(f, 310, 230, kBottomRight);
    window.MoveTo(200, 150);
    f = FrameAfter(g);
    EXPECT_PIXEL(f, 1, 1, kTopLeft);
    EXPECT_PIXEL(f, 10, 10, kTopLeft);
    EXPECT_PIXEL(f, 318, 238, kBottomRight);

    ::ShowWindow(window.Handle(), SW_MINIMIZE);
    PumpFor(300);
    LONG delivered = 0, dropped = 0, deliveredLater = 0, droppedLater = 0;
    ASSERT_TRUE(FrameCounts(g.filter.Get(), delivered, dropped));
    PumpFor(1000);
    ASSERT_TRUE(FrameCounts(g.filter.Get(), deliveredLater, droppedLater));
    EXPECT_EQ(deliveredLater, delivered);
    EXPECT_GE(droppedLater - dropped, 13);  // 15 a second
    ::ShowWindow(window.Handle(), SW_RESTORE);
    EXPECT_PIXEL(FrameAfter(g, 300), 10, 10, kTopLeft);
}

// A window drawn by the GPU is black through its own DC: a second on, the
// capture turns to PrintWindow, the pointer drawn over its picture. Drawn
// for the screen only again, it is read through its DC with no black frame
// between, and all of it at the rate asked for.
TEST_F(PixarkCaptureTest, AWindowDrawnByTheGpuIsReadThroughPrintWindow) {
    ColourWindow window(100, 100, 320, 240, kTopLeft, true);
    ASSERT_TRUE(window);
    window.SetDrawing(ColourWindow::Drawing::ForPrintOnly);
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    ::ShowCursor(TRUE);
    ASSERT_TRUE(::SetCursorPos(100 + 100, 100 + 80));
    PumpFor(200);
    pixark::CaptureSettings s = Background(window.Handle(), 100, 100, 420, 340);
    s.cursor = 1;
    ComPtr<IBaseFilter> filter = CreatePixark();
    ASSERT_TRUE(filter);
    ASSERT_EQ(Configure(filter.Get(), s), S_OK);
    CaptureGraph g;
    ASSERT_EQ(g.Build(filter.Get()), S_OK);
    const DWORD started = ::GetTickCount();
    ASSERT_TRUE(SUCCEEDED(g.control->Run()));
    PumpFor(2500);
    const VideoFrame printed = g.sink->LastFrame();
    EXPECT_EQ(Differing(printed, 10, 10, kTopLeft), 0);
    EXPECT_GT(Differing(printed, 100, 80, kTopLeft), 20);
    const DWORD switched = ::GetTickCount();
    window.SetDrawing(ColourWindow::Drawing::ForScreenOnly);
    PumpFor(1500);
    EXPECT_EQ(Differing(g.sink->LastFrame(), 10, 10, kTopLeft), 0);
    const DWORD stopped = ::GetTickCount();
    g.control->Stop();

    size_t blackFirst = 0, blackLater = 0, later = 0;
    for (const auto& sample : g.sink->Samples()) {
        if (sample.tick < started + 1500) {
            blackFirst += sample.cornerBlack ? 1 : 0;
        } else {
            blackLater += sample.cornerBlack ? 1 : 0;
            ++later;
        }
    }
    EXPECT_GT(blackFirst, 10u);
    EXPECT_EQ(blackLater, 0u) << "after the switch at " << switched - started << " ms";
    const double expected = (stopped - started - 1500) * 15 / 1000.0;
    EXPECT_NEAR(static_cast<double>(later), expected, expected * 0.1);
}

TEST_F(PixarkCaptureTest, ASecondInstanceCapturesTheFirstOnesRectangle) {
    ColourWindow window(300, 200, 320, 240, 0xFF000000u, true);
    ASSERT_TRUE(window);
    {
        ComPtr<IBaseFilter> first = CreatePixark();
        ASSERT_TRUE(first);
        ASSERT_EQ(Configure(first.Get(), Rectangle(300 + 160, 200, 300 + 320, 200 + 240, 15, 24)), S_OK);
    }
    ComPtr<IBaseFilter> second = CreatePixark();
    ASSERT_TRUE(second);
    CaptureGraph g;
    ASSERT_EQ(g.Build(second.Get()), S_OK);
    ASSERT_TRUE(SUCCEEDED(g.control->Run()));
    ASSERT_TRUE(g.WaitForFrameAfter(::GetTickCount() + 150, 5000));
    const VideoFrame f = g.sink->LastFrame();
    ASSERT_EQ(f.width, 160);
    ASSERT_EQ(f.height, 240);
    EXPECT_EQ(f.bitCount, 24);
    EXPECT_PIXEL(f, 5, 5, kTopRight);
    EXPECT_PIXEL(f, 155, 235, kBottomRight);
}

}  // namespace
