// The motion search's screen grab under Wine: the pixels of a window painted
// in known colours come back bottom-up as blue, green, red, unused; the
// recorder window is made layered (not click-through) unless "SetTopWindow"
// is on; an empty rectangle is an error, not a crash.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <vector>

#include "region/ScreenGrab.h"

namespace {

constexpr int kLeft = 300, kTop = 200, kWidth = 160, kHeight = 90;

// Each row y of the window has red = y, each column x green = x, blue 77.
LRESULT CALLBACK PatternProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(hwnd, &ps);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) ::SetPixel(dc, x, y, RGB(y, x, 77));
        ::EndPaint(hwnd, &ps);
        return 0;
    }
    if (msg == WM_ERASEBKGND) return 1;
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

class ScreenGrab : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSW wc{};
        wc.lpfnWndProc = PatternProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"MotionGrabPattern";
        ::RegisterClassW(&wc);
        m_window = ::CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"pattern", WS_POPUP | WS_VISIBLE, kLeft, kTop,
                                     kWidth, kHeight, nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(m_window, nullptr);
        ::UpdateWindow(m_window);
        Pump(500);
    }
    void TearDown() override {
        if (m_window) ::DestroyWindow(m_window);
    }
    static void Pump(DWORD ms) {
        const DWORD end = ::GetTickCount() + ms;
        MSG msg;
        while (static_cast<int>(end - ::GetTickCount()) > 0) {
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
            ::Sleep(10);
        }
    }
    HWND m_window = nullptr;
};

TEST_F(ScreenGrab, RowsComeBottomUpAsBlueGreenRed) {
    std::vector<uint8_t> frame(static_cast<size_t>(kWidth) * kHeight * 4, 0xEE);
    ASSERT_EQ(GrabScreen(frame.data(), {kLeft, kTop, kLeft + kWidth, kTop + kHeight}, nullptr, true), 0);
    int wrong = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const uint8_t* p = &frame[(static_cast<size_t>(kHeight - 1 - y) * kWidth + x) * 4];
            if (p[0] != 77 || p[1] != x || p[2] != y) ++wrong;
        }
    EXPECT_EQ(wrong, 0);
    // A rectangle given right to left and bottom to top is the same area.
    std::vector<uint8_t> flipped(frame.size(), 0);
    ASSERT_EQ(GrabScreen(flipped.data(), {kLeft, kTop, kLeft - kWidth, kTop - kHeight}, nullptr, true), 0);
    EXPECT_TRUE(flipped == frame);
}

TEST_F(ScreenGrab, RecorderWindowIsLayeredUnlessItStaysOnTop) {
    std::vector<uint8_t> frame(4 * 4 * 4, 0);
    const LONG_PTR before = ::GetWindowLongPtrW(m_window, GWL_EXSTYLE);
    ASSERT_EQ(before & WS_EX_LAYERED, 0);
    ASSERT_EQ(GrabScreen(frame.data(), {0, 0, 4, 4}, m_window, true), 0);
    EXPECT_EQ(::GetWindowLongPtrW(m_window, GWL_EXSTYLE), before);
    ASSERT_EQ(GrabScreen(frame.data(), {0, 0, 4, 4}, m_window, false), 0);
    EXPECT_EQ(::GetWindowLongPtrW(m_window, GWL_EXSTYLE), before | WS_EX_LAYERED);
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(::GetLayeredWindowAttributes(m_window, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 255);
    EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA));
}

TEST_F(ScreenGrab, EmptyRectangleIsAnErrorNumber) {
    std::vector<uint8_t> frame(16, 0x5A);
    const int error = GrabScreen(frame.data(), {10, 10, 10, 10}, nullptr, true);
    EXPECT_TRUE(error == kGrabNoBitmap || error == kGrabCopyFailed || error == kGrabReadFailed) << error;
    EXPECT_EQ(frame, std::vector<uint8_t>(16, 0x5A));
}

}  // namespace
