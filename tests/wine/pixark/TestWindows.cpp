#include "tests/wine/pixark/TestWindows.h"

#include "framework/win/Handles.h"

namespace {

const wchar_t kClassName[] = L"PixarkTestWindow";

COLORREF Ref(uint32_t rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

void Fill(HDC dc, int l, int t, int r, int b, uint32_t rgb) {
    win::Brush brush(::CreateSolidBrush(Ref(rgb)));
    RECT rc{l, t, r, b};
    ::FillRect(dc, &rc, brush.Get());
}

ATOM RegisterOnce(WNDPROC proc) {
    static ATOM atom = [proc] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kClassName;
        return ::RegisterClassExW(&wc);
    }();
    return atom;
}

}  // namespace

ColourWindow::ColourWindow(int x, int y, int width, int height, uint32_t solid, bool topmost)
    : m_width(width), m_height(height), m_solid(solid) {
    RegisterOnce(&ColourWindow::WndProc);
    m_hwnd = ::CreateWindowExW(topmost ? WS_EX_TOPMOST : 0, kClassName, L"Pixark test", WS_POPUP | WS_VISIBLE, x, y,
                               width, height, nullptr, nullptr, ::GetModuleHandleW(nullptr), this);
    if (m_hwnd) {
        ::UpdateWindow(m_hwnd);
        PumpFor(100);
    }
}

ColourWindow::~ColourWindow() {
    if (m_hwnd) ::DestroyWindow(m_hwnd);
}

void ColourWindow::MoveTo(int x, int y) {
    ::SetWindowPos(m_hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::UpdateWindow(m_hwnd);
}

void ColourWindow::SetDrawing(Drawing drawing) {
    m_drawing = drawing;
    ::InvalidateRect(m_hwnd, nullptr, FALSE);
    ::UpdateWindow(m_hwnd);
}

void ColourWindow::Raise() {
    ::SetWindowPos(m_hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    ::UpdateWindow(m_hwnd);
}

uint32_t ColourWindow::ColourAt(int x, int y) const {
    if (m_solid != 0xFF000000u) return m_solid;
    const bool left = x < m_width / 2, top = y < m_height / 2;
    return top ? (left ? kTopLeft : kTopRight) : (left ? kBottomLeft : kBottomRight);
}

void ColourWindow::Paint(HDC dc) const {
    if (m_solid != 0xFF000000u) {
        Fill(dc, 0, 0, m_width, m_height, m_solid);
        return;
    }
    const int mx = m_width / 2, my = m_height / 2;
    Fill(dc, 0, 0, mx, my, kTopLeft);
    Fill(dc, mx, 0, m_width, my, kTopRight);
    Fill(dc, 0, my, mx, m_height, kBottomLeft);
    Fill(dc, mx, my, m_width, m_height, kBottomRight);
}

LRESULT CALLBACK ColourWindow::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<ColourWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (msg) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            if (self) {
                win::PaintDC dc(hwnd);
                if (self->m_drawing == Drawing::ForPrintOnly)
                    Fill(dc.Get(), 0, 0, self->m_width, self->m_height, 0);
                else
                    self->Paint(dc.Get());
                return 0;
            }
            break;
        case WM_PRINTCLIENT:
            if (self && self->m_drawing != Drawing::ForScreenOnly) self->Paint(reinterpret_cast<HDC>(wp));
            return 0;
        case WM_NCDESTROY:
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            break;
    }
    return ::DefWindowProcW(hwnd, msg, wp, lp);
}

void PumpFor(DWORD ms) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        const DWORD spent = ::GetTickCount() - start;
        if (spent >= ms) return;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - spent, QS_ALLINPUT);
    }
}
