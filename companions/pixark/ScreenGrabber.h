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
// Background captures read the window rather than the screen, anchored on
// the window: a moved window stays whole in the frame. The window's own
// client DC comes first: under Wine 8 BitBlt from it returns the window's
// pixels even when another window covers it, and on Windows with desktop
// composition it reads the window's redirected surface. A window drawn by
// the GPU has no such surface; for it PrintWindow (full content) draws into
// a DIB section of our own, chosen per window as WindowGrabChoice says.

#include <windows.h>

#include <cstdint>
#include <memory>

#include "companions/pixark/CaptureGeometry.h"
#include "companions/pixark/CaptureSettings.h"
#include "companions/pixark/FrameLook.h"
#include "companions/pixark/WindowGrabChoice.h"
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
    // which holds `capacity` bytes; E_INVALIDARG when it cannot hold a frame,
    // S_FALSE (nothing written) when the background window is minimised.
    HRESULT Grab(const pixark::CaptureSettings& s, BYTE* dst, uint32_t capacity);
    uint32_t FrameBytes() const { return m_frameBytes; }

private:
    struct WindowPlan {
        pixark::Rect capture;  // on the screen, carried along with the window
        pixark::BlitPlan plan;
        POINT origin{0, 0};  // of the client area on the screen
    };

    void Clear();
    bool GrabScreen(const pixark::CaptureSettings& s);
    bool PlanWindow(const pixark::CaptureSettings& s, HWND window, WindowPlan& out);
    bool CopyPlanned(HDC source, const pixark::BlitPlan& plan, int offsetX, int offsetY);
    bool GrabWindowDc(const pixark::CaptureSettings& s, HWND window);
    bool GrabPrinted(const pixark::CaptureSettings& s, HWND window);
    // Draws the pointer; where it went in the frame (empty when it is not shown).
    pixark::Rect DrawCursor();
    // One frame into dst the given way (the screen when window is null).
    bool Compose(const pixark::CaptureSettings& s, HWND window, pixark::WindowGrab way, BYTE* dst,
                 pixark::Rect& pointer);

    std::unique_ptr<win::WindowDC> m_screen;
    win::MemoryDC m_memory;
    win::Bitmap m_bitmap;
    BITMAPINFO m_info{};
    int32_t m_width = 0, m_height = 0, m_bitCount = 32;
    uint32_t m_frameBytes = 0;
    POINT m_frameOrigin{0, 0};      // the frame's top-left on the screen
    HWND m_anchorWindow = nullptr;  // the background window, and its client
    POINT m_anchorOrigin{0, 0};     // origin at its first frame
    pixark::Rect m_lastCapture;     // where the window was captured last
    // The PrintWindow way: its DC and DIB section, kept between frames.
    win::MemoryDC m_print;
    win::Bitmap m_printBitmap;
    SIZE m_printSize{0, 0};
    // The choice of way for the window m_chosenFor.
    HWND m_chosenFor = nullptr;
    pixark::WindowGrabChoice m_choice;
    uint64_t m_lastDigest = 0;
};
