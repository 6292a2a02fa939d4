#include "companions/pixark/ScreenGrabber.h"

#include "companions/pixark/FrameLayout.h"
#include "companions/pixark/PixarkLog.h"
#include "framework/win/RgbBitmapInfo.h"

#ifndef PW_RENDERFULLCONTENT
#define PW_RENDERFULLCONTENT 0x00000002
#endif

namespace {

pixark::Rect CaptureRect(const pixark::CaptureSettings& s, int32_t width, int32_t height) {
    // The size is the connection's; the settings give the position.
    return pixark::Rect{s.left, s.top, static_cast<int32_t>(int64_t{s.left} + width),
                        static_cast<int32_t>(int64_t{s.top} + height)};
}

pixark::Rect VirtualScreen() {
    const int x = ::GetSystemMetrics(SM_XVIRTUALSCREEN), y = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    return pixark::Rect{x, y, x + ::GetSystemMetrics(SM_CXVIRTUALSCREEN), y + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

// Whether a shown window above `window` (its top-level one) lies on `r`.
bool CoveredOn(HWND window, const pixark::Rect& r) {
    HWND top = ::GetAncestor(window, GA_ROOT);
    for (HWND w = ::GetWindow(top ? top : window, GW_HWNDPREV); w; w = ::GetWindow(w, GW_HWNDPREV)) {
        RECT other{};
        if (!::IsWindowVisible(w) || ::IsIconic(w) || !::GetWindowRect(w, &other)) continue;
        if (!pixark::Intersect(r, pixark::Rect{other.left, other.top, other.right, other.bottom}).Empty()) return true;
    }
    return false;
}

}  // namespace

ScreenGrabber::~ScreenGrabber() = default;

HRESULT ScreenGrabber::Init(int32_t width, int32_t height, int32_t bitCount) {
    m_frameBytes = pixark::FrameBytes(width, height, bitCount);
    if (m_frameBytes == 0) return E_INVALIDARG;
    m_screen = std::make_unique<win::WindowDC>(nullptr);
    if (!*m_screen) return E_FAIL;
    m_memory.Reset(::CreateCompatibleDC(m_screen->Get()));
    if (!m_memory) return E_FAIL;
    m_bitmap.Reset(::CreateCompatibleBitmap(m_screen->Get(), width, height));
    if (!m_bitmap) return E_OUTOFMEMORY;
    // Bottom-up, as the sample carries it.
    m_info = win::RgbBitmapInfo(width, height, static_cast<WORD>(bitCount));
    m_width = width;
    m_height = height;
    m_bitCount = bitCount;
    return S_OK;
}

void ScreenGrabber::Clear() { ::PatBlt(m_memory.Get(), 0, 0, m_width, m_height, BLACKNESS); }

bool ScreenGrabber::GrabScreen(const pixark::CaptureSettings& s) {
    m_frameOrigin = POINT{s.left, s.top};
    const pixark::BlitPlan plan = pixark::PlanScreenBlit(CaptureRect(s, m_width, m_height), VirtualScreen());
    if (!plan.covered) Clear();
    if (!plan.any) return true;
    return ::BitBlt(m_memory.Get(), plan.dst.left, plan.dst.top, static_cast<int>(plan.dst.Width()),
                    static_cast<int>(plan.dst.Height()), m_screen->Get(), plan.src.left, plan.src.top,
                    SRCCOPY) != FALSE;
}

bool ScreenGrabber::PlanWindow(const pixark::CaptureSettings& s, HWND window, WindowPlan& out) {
    RECT client{};
    POINT origin{0, 0};
    if (!::GetClientRect(window, &client) || !::ClientToScreen(window, &origin)) return false;
    const pixark::Rect onScreen{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
    // The capture rectangle stays on the part of the window it covered at
    // the window's first frame: a moved window takes it along.
    if (window != m_anchorWindow) {
        m_anchorWindow = window;
        m_anchorOrigin = origin;
    }
    out.capture = pixark::Shifted(CaptureRect(s, m_width, m_height), int64_t{origin.x} - m_anchorOrigin.x,
                                  int64_t{origin.y} - m_anchorOrigin.y);
    out.plan = pixark::PlanWindowBlit(out.capture, onScreen, pixark::EffectiveScalePercent(s));
    out.origin = origin;
    m_lastCapture = out.capture;
    m_frameOrigin = POINT{out.capture.left, out.capture.top};
    if (!out.plan.covered) Clear();
    return true;
}

bool ScreenGrabber::CopyPlanned(HDC source, const pixark::BlitPlan& plan, int offsetX, int offsetY) {
    const int dw = static_cast<int>(plan.dst.Width()), dh = static_cast<int>(plan.dst.Height());
    const int sw = static_cast<int>(plan.src.Width()), sh = static_cast<int>(plan.src.Height());
    const int sx = plan.src.left + offsetX, sy = plan.src.top + offsetY;
    if (dw == sw && dh == sh)
        return ::BitBlt(m_memory.Get(), plan.dst.left, plan.dst.top, dw, dh, source, sx, sy, SRCCOPY) != FALSE;
    ::SetStretchBltMode(m_memory.Get(), HALFTONE);
    ::SetBrushOrgEx(m_memory.Get(), 0, 0, nullptr);
    return ::StretchBlt(m_memory.Get(), plan.dst.left, plan.dst.top, dw, dh, source, sx, sy, sw, sh, SRCCOPY) != FALSE;
}

bool ScreenGrabber::GrabWindowDc(const pixark::CaptureSettings& s, HWND window) {
    WindowPlan w;
    if (!PlanWindow(s, window, w)) return false;
    if (!w.plan.any) return true;
    win::WindowDC dc(window);
    if (!dc) return false;
    return CopyPlanned(dc.Get(), w.plan, 0, 0);
}

bool ScreenGrabber::GrabPrinted(const pixark::CaptureSettings& s, HWND window) {
    // A window whose thread does not answer would hold the capture in
    // PrintWindow, which waits for it without end.
    if (::IsHungAppWindow(window)) return false;
    WindowPlan w;
    RECT outer{};
    if (!PlanWindow(s, window, w) || !::GetWindowRect(window, &outer)) return false;
    if (!w.plan.any) return true;
    const LONG width = outer.right - outer.left, height = outer.bottom - outer.top;
    if (width <= 0 || height <= 0) return false;
    // The window's picture lands in a DIB section of our own, made again
    // only when the window has grown past it, at the screen's depth where
    // that is 24 bits, so that the copy into the frame converts nothing.
    if (!m_print || width > m_printSize.cx || height > m_printSize.cy) {
        m_printBitmap.Reset();
        m_print.Reset(::CreateCompatibleDC(m_screen->Get()));
        if (!m_print) return false;
        const WORD depth = ::GetDeviceCaps(m_screen->Get(), BITSPIXEL) == 24 ? 24 : 32;
        const BITMAPINFO info = win::RgbBitmapInfo(width, -height, depth);
        void* bits = nullptr;
        m_printBitmap.Reset(::CreateDIBSection(m_print.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!m_printBitmap) return false;
        m_printSize = SIZE{width, height};
    }
    win::ScopedSelectObject selected(m_print.Get(), m_printBitmap.Get());
    // PrintWindow draws the whole window: the client area lies off its corner.
    const int offsetX = w.origin.x - outer.left, offsetY = w.origin.y - outer.top;
    // A window that draws nothing for PrintWindow leaves the captured part
    // black, not the picture it gave before.
    ::PatBlt(m_print.Get(), w.plan.src.left + offsetX, w.plan.src.top + offsetY, static_cast<int>(w.plan.src.Width()),
             static_cast<int>(w.plan.src.Height()), BLACKNESS);
    if (!::PrintWindow(window, m_print.Get(), PW_RENDERFULLCONTENT)) return false;
    return CopyPlanned(m_print.Get(), w.plan, offsetX, offsetY);
}

pixark::Rect ScreenGrabber::DrawCursor() {
    CURSORINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetCursorInfo(&info) || !(info.flags & CURSOR_SHOWING) || !info.hCursor) return pixark::Rect{};
    ICONINFO icon{};
    if (!::GetIconInfo(info.hCursor, &icon)) return pixark::Rect{};
    // GetIconInfo hands out copies of the cursor's bitmaps.
    win::Bitmap mask(icon.hbmMask), colour(icon.hbmColor);
    const int x = static_cast<int>(int64_t{info.ptScreenPos.x} - m_frameOrigin.x - static_cast<int64_t>(icon.xHotspot));
    const int y = static_cast<int>(int64_t{info.ptScreenPos.y} - m_frameOrigin.y - static_cast<int64_t>(icon.yHotspot));
    ::DrawIconEx(m_memory.Get(), x, y, info.hCursor, 0, 0, 0, nullptr, DI_NORMAL);
    return pixark::Rect{x, y, x + ::GetSystemMetrics(SM_CXCURSOR), y + ::GetSystemMetrics(SM_CYCURSOR)};
}

bool ScreenGrabber::Compose(const pixark::CaptureSettings& s, HWND window, pixark::WindowGrab way, BYTE* dst,
                            pixark::Rect& pointer) {
    // GetDIBits wants the bitmap out of every DC.
    {
        win::ScopedSelectObject selected(m_memory.Get(), m_bitmap.Get());
        bool ok = false;
        if (window) ok = way == pixark::WindowGrab::PrintWindow ? GrabPrinted(s, window) : GrabWindowDc(s, window);
        // A window that went away (or a background capture that failed)
        // falls back to the screen, so the recording goes on.
        if (!ok) ok = GrabScreen(s);
        if (!ok) Clear();
        pointer = s.cursor == 1 ? DrawCursor() : pixark::Rect{};
    }
    BITMAPINFO info = m_info;
    return ::GetDIBits(m_memory.Get(), m_bitmap.Get(), 0, static_cast<UINT>(m_height), dst, &info, DIB_RGB_COLORS) ==
           m_height;
}

HRESULT ScreenGrabber::Grab(const pixark::CaptureSettings& s, BYTE* dst, uint32_t capacity) {
    if (!m_bitmap) return E_UNEXPECTED;
    if (!dst || capacity < m_frameBytes) return E_INVALIDARG;
    const HWND window = reinterpret_cast<HWND>(static_cast<LONG_PTR>(s.window));
    pixark::Rect pointer;
    if (s.background != 1 || !window || !::IsWindow(window))
        return Compose(s, nullptr, pixark::WindowGrab::WindowDc, dst, pointer) ? S_OK : E_FAIL;
    // A minimised window has no picture to give.
    if (::IsIconic(window)) return S_FALSE;
    if (window != m_chosenFor) {
        m_chosenFor = window;
        m_choice.Reset();
        m_lastDigest = 0;
    }
    const int64_t now = static_cast<int64_t>(::GetTickCount64());
    const pixark::WindowGrab way = m_choice.Way();
    if (!Compose(s, window, way, dst, pointer)) return E_FAIL;
    pixark::FrameLook look = pixark::LookAt(dst, m_width, m_height, m_bitCount, pointer);
    if (way == pixark::WindowGrab::PrintWindow) {
        m_choice.PrintFrame(!look.black, now);
        if (m_choice.TakeSwitchNotice())
            pixark::LogVideoOnce(reinterpret_cast<ULONG_PTR>(window),
                                 L"Window %08lX: its own DC gives no picture; PrintWindow gives it and is kept for it",
                                 static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(window)));
        // A black print is never delivered: the DC gives this frame.
        if (look.black) {
            if (!Compose(s, window, pixark::WindowGrab::WindowDc, dst, pointer)) return E_FAIL;
            look = pixark::LookAt(dst, m_width, m_height, m_bitCount, pointer);
        }
    } else {
        const bool blank = look.black || look.digest == m_lastDigest;
        // Only a blank frame asks whether the window could be seen.
        const bool seen = blank && ::IsWindowVisible(window) && !CoveredOn(window, m_lastCapture);
        m_choice.DcFrame(blank, seen, now);
    }
    m_lastDigest = look.digest;
    return S_OK;
}
