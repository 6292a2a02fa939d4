#include "region/MarkWindow.h"

// The marking window itself: its controls, layout and notifications. What
// its choices do to the settings, the preview and the search lives with the
// one window's owner (MarkWindowActions.cpp).

#include <cwchar>

#include "app/services/CaptureRegionSetting.h"
#include "graph/ClonePreview.h"
#include "region/RecorderLink.h"
#include "settings/Settings.h"

namespace {

constexpr wchar_t kTitle[] = L"Size me, Move me";
constexpr wchar_t kClassName[] = L"TelvaneMarkWindow";
constexpr UINT_PTR kMarkTimer = 1;
constexpr UINT kMarkTimerMs = 1000;
// Semi-transparent, so the video shows through while the user places it.
constexpr BYTE kOpacity = 150;
// The buttons: the first at (4, 4) of the client area, each next one 2
// pixels below the previous, all of the first one's size.
constexpr int kButtonMargin = 4;
constexpr int kButtonGap = 2;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 26;
constexpr int kButtonFontHeight = 18;
constexpr int kStatusCapacity = 64;

struct ButtonSpec {
    int id;
    const wchar_t* text;
};
constexpr ButtonSpec kButtons[] = {{kMarkRecordId, L"Record"}, {kMarkRetryId, L"Retry"}, {kMarkAcceptId, L"Accept"}};

ScreenRect WindowRectOf(HWND hwnd) {
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    return ScreenRect{r.left, r.top, r.right, r.bottom};
}

int Distance(int a, int b) { return a > b ? a - b : b - a; }

}  // namespace

BEGIN_MESSAGE_MAP(MarkWindow, CWnd)
ON_WM_CREATE()
ON_WM_MOVE()
ON_WM_SIZE()
ON_WM_TIMER()
ON_WM_LBUTTONUP()
ON_WM_DESTROY()
ON_WM_CLOSE()
ON_BN_CLICKED(kMarkRecordId, OnRecord)
ON_BN_CLICKED(kMarkRetryId, OnRetry)
ON_BN_CLICKED(kMarkAcceptId, OnAccept)
END_MESSAGE_MAP()

bool MarkWindow::Open(const ScreenRect& marker) {
    const LPCWSTR windowClass = RegisterWndClass(kClassName, 0, ::LoadCursorW(nullptr, IDC_SIZEALL),
                                                 reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr);
    if (!windowClass) return false;
    // Owned by the recorder window, so it stays above it and goes with it.
    const HWND owner = RecorderWindowHandle();
    if (!CreateEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, windowClass, kTitle,
                  WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_CLIPCHILDREN, marker.left, marker.top,
                  Distance(marker.right, marker.left), Distance(marker.bottom, marker.top), owner, nullptr))
        return false;

    // Layered at a constant opacity, without the transparent style: the
    // window stays clickable.
    ::SetWindowLongW(m_hWnd, GWL_EXSTYLE, ::GetWindowLongW(m_hWnd, GWL_EXSTYLE) | WS_EX_LAYERED);
    ::SetLayeredWindowAttributes(m_hWnd, 0, kOpacity, LWA_ALPHA);
    ShowWindow(SW_SHOW);
    ::SetForegroundWindow(m_hWnd);
    ::SetFocus(m_hWnd);

    // The notifications of the opening itself are behind us: count from here.
    m_moves = 0;
    m_ticks = 0;
    m_timerRunning = SetTimer(kMarkTimer, kMarkTimerMs) != 0;
    m_opened = true;
    return true;
}

ScreenRect MarkWindow::Rect() const { return WindowRectOf(m_hWnd); }

int MarkWindow::OnCreate(CREATESTRUCTW*) { return CreateControls() ? 0 : -1; }

bool MarkWindow::CreateControls() {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    m_resizeBitmap.Reset(static_cast<HBITMAP>(::LoadImageW(instance, L"RESIZE", IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
    const HWND picture =
        ::CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_BITMAP, 0, 0, 0, 0, m_hWnd,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(kMarkPictureId)), instance, nullptr);
    if (!picture) return false;
    if (m_resizeBitmap)
        ::SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_resizeBitmap.Get()));

    m_buttonFont.Reset(::CreateFontW(-kButtonFontHeight, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS,
                                     L"arial"));
    for (const ButtonSpec& spec : kButtons) {
        const HWND button = ::CreateWindowExW(
            0, L"BUTTON", spec.text, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0, kButtonWidth, kButtonHeight, m_hWnd,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)), instance, nullptr);
        if (!button) return false;
        if (m_buttonFont) ::SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(m_buttonFont.Get()), FALSE);
    }
    LayOutControls();
    return true;
}

void MarkWindow::LayOutControls() {
    int top = kButtonMargin;
    for (const ButtonSpec& spec : kButtons) {
        ::SetWindowPos(GetDlgItem(spec.id), nullptr, kButtonMargin, top, kButtonWidth, kButtonHeight,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        top += kButtonHeight + kButtonGap;
    }
    // The picture keeps the bitmap's size and sits in the middle.
    const HWND picture = GetDlgItem(kMarkPictureId);
    RECT client{};
    GetClientRect(&client);
    RECT own{};
    ::GetWindowRect(picture, &own);
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    ::SetWindowPos(picture, nullptr, (client.right - width) / 2, (client.bottom - height) / 2, 0, 0,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
}

void MarkWindow::CountNotification() {
    ++m_moves;
    if (m_moves < kMarkerFollowsFrom) return;
    const ScreenRect r = Rect();
    SetMarkerRect(ScreenRect{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1});
}

void MarkWindow::OnMove(int, int) {
    if (!m_opened) return;
    CountNotification();
}

void MarkWindow::OnSize(UINT, int, int) {
    LayOutControls();
    if (!m_opened) return;
    // The capture region follows the size at once; the file is written when
    // the region is accepted.
    const ScreenRect r = Rect();
    SetCaptureRegion(r);
    CountNotification();
    wchar_t status[kStatusCapacity];
    std::swprintf(status, kStatusCapacity, L"%d,%d,%d,%d (%d,%d)", r.left, r.top, r.right, r.bottom, r.Width(),
                  r.Height());
    ShowRecorderStatus(status);
}

void MarkWindow::OnTimer(UINT_PTR id) {
    if (id != kMarkTimer) return;
    ++m_ticks;
    if (m_ticks != 1) return;
    KillTimer(kMarkTimer);
    m_timerRunning = false;
    // Once the window has settled, the preview shows what it covers.
    BuildClonePreview();
}

// Only the three choices and a click close the window (and a new search or
// a recording from the recorder window): Alt+F4 does not.
void MarkWindow::OnClose() {}

void MarkWindow::OnLButtonUp(UINT, POINT) { Choose(Choice::Accept); }

void MarkWindow::OnRecord() { Choose(Choice::Record); }

void MarkWindow::OnRetry() { Choose(Choice::Retry); }

void MarkWindow::OnAccept() { Choose(Choice::Accept); }

void MarkWindow::Choose(Choice choice) {
    if (m_timerRunning) KillTimer(kMarkTimer);
    m_timerRunning = false;
    m_ticks = 0;
    // The handler deletes this window: nothing of it may be touched after.
    m_onChoice(choice, Rect());
}

void MarkWindow::OnDestroy() {
    if (m_timerRunning) KillTimer(kMarkTimer);
    m_timerRunning = false;
    m_opened = false;
    // The children go after this message; neither paints again, so the
    // font and the picture can go now, whoever destroys the window.
    ::SendMessageW(GetDlgItem(kMarkPictureId), STM_SETIMAGE, IMAGE_BITMAP, 0);
    m_resizeBitmap.Reset();
    m_buttonFont.Reset();
}
