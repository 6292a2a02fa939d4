// The recorder window's own drawing: the video area (dark until the clone
// preview covers it) and, in the large layout, the painted caption with its
// close and minimise areas, the gradient and the title or info text.

#include "app/window/WinDlg.h"

#include "app/window/WinDlgLayout.h"
#include "framework/win/Handles.h"

namespace {

constexpr COLORREF kVideoArea = RGB(12, 18, 24);
constexpr COLORREF kCaptionBar = RGB(28, 40, 52);

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
    win::Brush brush(::CreateSolidBrush(colour));
    ::FillRect(dc, &rect, brush.Get());
}

void VerticalGradient(HDC dc, const RECT& rect, COLORREF top, COLORREF bottom) {
    TRIVERTEX vertices[2] = {
        {rect.left, rect.top, static_cast<COLOR16>(GetRValue(top) << 8), static_cast<COLOR16>(GetGValue(top) << 8),
         static_cast<COLOR16>(GetBValue(top) << 8), 0},
        {rect.right, rect.bottom, static_cast<COLOR16>(GetRValue(bottom) << 8),
         static_cast<COLOR16>(GetGValue(bottom) << 8), static_cast<COLOR16>(GetBValue(bottom) << 8), 0}};
    GRADIENT_RECT gradient{0, 1};
    ::GradientFill(dc, vertices, 2, &gradient, 1, GRADIENT_FILL_RECT_V);
}

void DrawTextIn(HDC dc, const std::wstring& text, RECT rect, const wchar_t* face, int height, int weight,
                COLORREF colour, UINT format) {
    win::Font font(::CreateFontW(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, face));
    win::ScopedSelectObject selected(dc, font.Get());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, colour);
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
}

}  // namespace

void WinDlg::OnPaint() {
    win::PaintDC paint(m_hWnd);
    RECT client{};
    GetClientRect(&client);
    FillSolid(paint.Get(), client, kVideoArea);
    if (!m_small) PaintCaption(paint.Get());
}

void WinDlg::PaintCaption(HDC dc) {
    RECT client{};
    GetClientRect(&client);
    const double s = m_scale;
    const auto px = [s](double v) { return TruncatePixels(v * s); };

    // The caption strip with its two buttons at the places the mouse
    // handling tests for.
    const RECT bar{0, 0, client.right, px(24)};
    VerticalGradient(dc, bar, RGB(44, 62, 80), kCaptionBar);
    DrawTextIn(dc, L"Telvane", RECT{px(8), 0, px(300), px(24)}, L"arial", px(14), FW_BOLD, RGB(230, 236, 242),
               DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    const RECT minimise{px(467), px(4), px(481), px(20)};
    const RECT close{px(490), px(4), px(505), px(20)};
    FillSolid(dc, minimise, RGB(60, 80, 100));
    FillSolid(dc, close, RGB(192, 57, 43));
    DrawTextIn(dc, L"_", minimise, L"arial", px(12), FW_BOLD, RGB(255, 255, 255),
               DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    DrawTextIn(dc, L"x", close, L"arial", px(12), FW_BOLD, RGB(255, 255, 255), DT_CENTER | DT_VCENTER | DT_SINGLELINE);

    const RECT area{px(195), px(39), client.right - 12, px(176)};
    if (area.right <= area.left || area.bottom <= area.top) return;
    VerticalGradient(dc, area, RGB(40, 52, 64), RGB(8, 12, 16));
    if (m_infoMode && !m_infoText.empty())
        DrawTextIn(dc, m_infoText, area, L"arial", 16, FW_NORMAL, RGB(0, 200, 0), DT_LEFT | DT_WORDBREAK);
    else
        DrawTextIn(dc, L"Telvane", area, L"arial", 30, FW_BOLD, RGB(255, 255, 255),
                   DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void WinDlg::OnLButtonDown(UINT, POINT point) {
    switch (HitOnButtonDown(m_small, point.x, point.y, m_scale)) {
        case CaptionHit::Drag:
            m_dragging = true;
            m_dragFrom = point;
            ::SetCapture(m_hWnd);
            break;
        case CaptionHit::Close:
            m_closeArmed = true;
            break;
        case CaptionHit::Minimise:
            m_minimiseArmed = true;
            break;
        case CaptionHit::None:
            break;
    }
}

void WinDlg::OnMouseMove(UINT, POINT point) {
    if (!m_dragging) return;
    RECT window{};
    GetWindowRect(&window);
    SetWindowPos(nullptr, window.left + point.x - m_dragFrom.x, window.top + point.y - m_dragFrom.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (!m_small) ::UpdateWindow(m_hWnd);
}

void WinDlg::OnLButtonUp(UINT, POINT point) {
    const bool closeArmed = m_closeArmed, minimiseArmed = m_minimiseArmed;
    m_closeArmed = m_minimiseArmed = false;
    if (!m_small && closeArmed && CloseReleaseHit(point.x, point.y, m_scale)) {
        OnExit();
        return;
    }
    if (!m_small && minimiseArmed && MinimiseReleaseHit(point.x, point.y, m_scale)) MinimiseToFrame();
    if (m_dragging) {
        m_dragging = false;
        ::ReleaseCapture();
        RECT window{};
        GetWindowRect(&window);
        StorePosition(window.left, window.top);
    }
}
