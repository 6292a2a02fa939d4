#pragma once
// ScreenGrabber: the GDI side of a capture. It owns, for the life of one
// streaming session, the screen DC, a memory DC and a bitmap compatible
// with the screen of the frame's size, so a frame costs one BitBlt (or
// StretchBlt) into the bitmap, the optional cursor and one GetDIBits
// straight into the sample's buffer (bottom-up, at the sample's depth): no
// copy of our own. Converting from the screen's format is GetDIBits' work,
// which is cheaper than a BitBlt into a 24-bit DIB section under Wine. It
// belongs to the streaming thread: nothing else touches it.
//
// Background captures read the window's own client DC rather than the
// screen: under Wine 8 PrintWindow gives black for a window that paints only
// in WM_PAINT, while BitBlt from the window's DC returns its pixels even when
// another window covers it; on Windows with desktop composition the window's
// DC reads its redirected surface, which is also there when it is covered.

#include <windows.h>

#include <cstdint>
#include <memory>

#include "companions/pixark/CaptureSettings.h"
#include "framework/win/Handles.h"

class ScreenGrabber {
public:
    ScreenGrabber() = default;
    ScreenGrabber(const ScreenGrabber&) = delete;
    ScreenGrabber& operator=(const ScreenGrabber&) = delete;
    ~ScreenGrabber();

    // Frames of width x height at 24 or 32 bits, bottom-up.
    HRESULT Init(int32_t width, int32_t height, int32_t bitCount);
    // Captures the rectangle of `s` (at the size given to Init) into dst,
    // which holds `capacity` bytes; E_INVALIDARG when it cannot hold a frame.
    HRESULT Grab(const pixark::CaptureSettings& s, BYTE* dst, uint32_t capacity);
    uint32_t FrameBytes() const { return m_frameBytes; }

private:
    void Clear();
    bool GrabScreen(const pixark::CaptureSettings& s);
    bool GrabWindow(const pixark::CaptureSettings& s, HWND window);
    void DrawCursor(const pixark::CaptureSettings& s);

    std::unique_ptr<win::WindowDC> m_screen;
    win::MemoryDC m_memory;
    win::Bitmap m_bitmap;
    BITMAPINFO m_info{};
    int32_t m_width = 0, m_height = 0;
    uint32_t m_frameBytes = 0;
};
