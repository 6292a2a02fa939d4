#include "companions/pixark/ScreenGrabber.h"

#include "companions/pixark/CaptureGeometry.h"
#include "companions/pixark/FrameLayout.h"

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
    m_info = BITMAPINFO{};
    m_info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    m_info.bmiHeader.biWidth = width;
    m_info.bmiHeader.biHeight = height;  // bottom-up, as the sample carries it
    m_info.bmiHeader.biPlanes = 1;
    m_info.bmiHeader.biBitCount = static_cast<WORD>(bitCount);
    m_info.bmiHeader.biCompression = BI_RGB;
    m_width = width;
    m_height = height;
    return S_OK;
}

void ScreenGrabber::Clear() { ::PatBlt(m_memory.Get(), 0, 0, m_width, m_height, BLACKNESS); }

bool ScreenGrabber::GrabScreen(const pixark::CaptureSettings& s) {
    const pixark::BlitPlan plan = pixark::PlanScreenBlit(CaptureRect(s, m_width, m_height), VirtualScreen());
    if (!plan.covered) Clear();
    if (!plan.any) return true;
    return ::BitBlt(m_memory.Get(), plan.dst.left, plan.dst.top, static_cast<int>(plan.dst.Width()),
                    static_cast<int>(plan.dst.Height()), m_screen->Get(), plan.src.left, plan.src.top,
                    SRCCOPY) != FALSE;
}

bool ScreenGrabber::GrabWindow(const pixark::CaptureSettings& s, HWND window) {
    RECT client{};
    POINT origin{0, 0};
    if (!::GetClientRect(window, &client) || !::ClientToScreen(window, &origin)) return false;
    const pixark::Rect onScreen{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
    const int32_t scale = pixark::EffectiveScalePercent(s);
    const pixark::BlitPlan plan = pixark::PlanWindowBlit(CaptureRect(s, m_width, m_height), onScreen, scale);
    if (!plan.covered) Clear();
    if (!plan.any) return true;
    win::WindowDC dc(window);
    if (!dc) return false;
    const int dw = static_cast<int>(plan.dst.Width()), dh = static_cast<int>(plan.dst.Height());
    const int sw = static_cast<int>(plan.src.Width()), sh = static_cast<int>(plan.src.Height());
    if (dw == sw && dh == sh)
        return ::BitBlt(m_memory.Get(), plan.dst.left, plan.dst.top, dw, dh, dc.Get(), plan.src.left, plan.src.top,
                        SRCCOPY) != FALSE;
    ::SetStretchBltMode(m_memory.Get(), HALFTONE);
    ::SetBrushOrgEx(m_memory.Get(), 0, 0, nullptr);
    return ::StretchBlt(m_memory.Get(), plan.dst.left, plan.dst.top, dw, dh, dc.Get(), plan.src.left, plan.src.top, sw,
                        sh, SRCCOPY) != FALSE;
}

void ScreenGrabber::DrawCursor(const pixark::CaptureSettings& s) {
    CURSORINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetCursorInfo(&info) || !(info.flags & CURSOR_SHOWING) || !info.hCursor) return;
    ICONINFO icon{};
    if (!::GetIconInfo(info.hCursor, &icon)) return;
    // GetIconInfo hands out copies of the cursor's bitmaps.
    win::Bitmap mask(icon.hbmMask), colour(icon.hbmColor);
    const int x = static_cast<int>(int64_t{info.ptScreenPos.x} - s.left - static_cast<int64_t>(icon.xHotspot));
    const int y = static_cast<int>(int64_t{info.ptScreenPos.y} - s.top - static_cast<int64_t>(icon.yHotspot));
    ::DrawIconEx(m_memory.Get(), x, y, info.hCursor, 0, 0, 0, nullptr, DI_NORMAL);
}

HRESULT ScreenGrabber::Grab(const pixark::CaptureSettings& s, BYTE* dst, uint32_t capacity) {
    if (!m_bitmap) return E_UNEXPECTED;
    if (!dst || capacity < m_frameBytes) return E_INVALIDARG;
    const HWND window = reinterpret_cast<HWND>(static_cast<LONG_PTR>(s.window));
    {
        // GetDIBits wants the bitmap out of every DC.
        win::ScopedSelectObject selected(m_memory.Get(), m_bitmap.Get());
        bool ok = false;
        if (s.background == 1 && window && ::IsWindow(window)) ok = GrabWindow(s, window);
        // A window that went away (or a background capture that failed)
        // falls back to the screen, so the recording goes on.
        if (!ok) ok = GrabScreen(s);
        if (!ok) Clear();
        if (s.cursor == 1) DrawCursor(s);
    }
    BITMAPINFO info = m_info;
    if (::GetDIBits(m_memory.Get(), m_bitmap.Get(), 0, static_cast<UINT>(m_height), dst, &info, DIB_RGB_COLORS) !=
        m_height)
        return E_FAIL;
    return S_OK;
}
