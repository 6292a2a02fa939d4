#include "app/window/WinDlg.h"

#include <richedit.h>

#include <thread>

#include "app/DeferredInit.h"
#include "app/MainWindow.h"
#include "app/Startup.h"
#include "app/services/CaptureRegionSetting.h"
#include "app/services/Environment.h"
#include "app/services/EnvironmentProbes.h"
#include "app/session/RecorderSession.h"
#include "app/tracking/Tracking.h"
#include "app/window/WinDlgLayout.h"
#include "graph/ClonePreview.h"
#include "graph/ClonePreviewState.h"
#include "graph/RecorderLayering.h"
#include "region/RecorderLink.h"
#include "resources/resource.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsText.h"

namespace {

constexpr UINT_PTR kRecorderTimer = 1;
constexpr COLORREF kStatusBackground = RGB(1, 161, 208);
UINT g_quorraMessage = 0;
UINT g_pushMessage = 0;
UINT g_recordStopMessage = 0;

RECT ToRect(const ScreenRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

void Place(HWND control, const ScreenRect& r) {
    ::SetWindowPos(control, nullptr, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
}

HFONT MakeFont(const wchar_t* face, int height, int weight = FW_NORMAL) {
    return ::CreateFontW(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, face);
}

}  // namespace

BEGIN_MESSAGE_MAP(WinDlg, CDialog)
ON_WM_CLOSE()
ON_WM_TIMER()
ON_WM_HOTKEY()
ON_WM_SIZE()
ON_WM_SYSCOMMAND()
ON_MESSAGE(WM_SETFOCUS, OnFocusChange)
ON_MESSAGE(WM_KILLFOCUS, OnFocusChange)
ON_MESSAGE(kGraphNoticeMessage, OnGraphNotice)
ON_MESSAGE(WM_QUERYENDSESSION, OnQueryEndSession)
ON_MESSAGE(WM_ENDSESSION, OnEndSession)
ON_WM_ERASEBKGND()
ON_WM_PAINT()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
ON_WM_MOUSEMOVE()
ON_WM_RBUTTONDOWN()
ON_WM_LBUTTONDBLCLK()
ON_BN_CLICKED(IDC_RECORD, OnRecord)
ON_COMMAND(ID_RECORD, OnRecord)
ON_COMMAND(ID_STOP, OnRecord)
ON_COMMAND(ID_PAUSE, OnPause)
ON_BN_CLICKED(IDC_SETTINGS, OnSettings)
ON_BN_CLICKED(IDC_PLAY, OnPlay)
ON_COMMAND(ID_VIEW_RECORDINGS, OnViewRecordings)
ON_BN_CLICKED(IDC_MARK, OnMark)
ON_COMMAND(ID_MARK, OnMark)
ON_COMMAND(ID_GET_VIDEO, OnGetVideo)
ON_BN_CLICKED(IDC_CLOSE, OnExit)
ON_COMMAND(ID_EXIT, OnExit)
ON_BN_CLICKED(IDC_MINIMISE, OnMinimise)
ON_COMMAND(ID_SHOW_CLONED, OnShowClonedVideo)
ON_COMMAND(ID_FULL_SCREEN, OnFullScreen)
ON_COMMAND(ID_RESET_MARKERS, OnResetMarkers)
ON_COMMAND(ID_RESTORE_DEFAULTS, OnRestoreDefaults)
ON_COMMAND(ID_OPEN_ZORV, OnOpenZorvBrowser)
ON_COMMAND(ID_OPEN_BROWSER, OnOpenBrowser)
ON_COMMAND(ID_SHOW_MAIN, OnShowMainWindow)
ON_COMMAND(ID_FRONT_WINDOW, OnFrontWindow)
ON_COMMAND(ID_MARKED_WINDOW, OnMarkedWindow)
ON_COMMAND(ID_LOCAL_HELP, OnLocalHelp)
ON_COMMAND(ID_WEB_HELP, OnWebHelp)
ON_COMMAND(ID_WEB_SITE, OnWebSite)
ON_REGISTERED_MESSAGE(g_quorraMessage, OnQuorraMessage)
ON_REGISTERED_MESSAGE(g_pushMessage, OnPushMessage)
ON_REGISTERED_MESSAGE(g_recordStopMessage, OnRecordStopMessage)
END_MESSAGE_MAP()

WinDlg* RecorderWindow() {
    MainWindow* frame = TheMainWindow();
    return frame ? frame->RecorderWindow() : nullptr;
}

// What the video region detection asks of the recorder window.
HWND RecorderWindowHandle() {
    WinDlg* recorder = RecorderWindow();
    return recorder ? recorder->GetSafeHwnd() : nullptr;
}

void RestoreRecorderWindow() {
    if (WinDlg* recorder = RecorderWindow()) recorder->ShowWindow(SW_RESTORE);
}

WinDlg::WinDlg(bool small) : CDialog(small ? IDD_WINDLG_SMALL : IDD_WINDLG_LARGE), m_small(small) {
    g_quorraMessage = ::RegisterWindowMessageW(L"Quorra message");
    g_pushMessage = ::RegisterWindowMessageW(L"Push message");
    g_recordStopMessage = ::RegisterWindowMessageW(L"WM_RECORD_STOP_STR");
}

bool WinDlg::CreateRecorder() {
    // The status line is a rich-edit control; its class lives in this library.
    static const HMODULE richEdit = ::LoadLibraryW(L"riched20.dll");
    if (!richEdit) return false;
    return Create() != FALSE;
}

void WinDlg::PlaceAtStart() {
    m_scale = UiScale(Settings.Size);
    RECT window{};
    GetWindowRect(&window);
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    int x = 0, y = 0;
    if (!ParsePosition(TextOf(Settings.Position), x, y))
        DefaultPlacement(Env().DesktopRect, width, height, m_scale, Env().TaskbarHeight, x, y);
    SetWindowPos(nullptr, x, y, TruncatePixels(width * m_scale), TruncatePixels(height * m_scale),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL WinDlg::OnInitDialog() {
    SetWindowText(L"Quorra");
    PlaceAtStart();
    HICON icon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TELVANE));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    UpdateMenuChecks();

    RECT client{};
    GetClientRect(&client);
    if (m_small) {
        LayOutSmall();
        ProbeWindowsVersion();
        RefreshDisplays();
        SetWindowText(L"Quorra");
        Settings.SetTopWindow = 1;
        const SmallLayout layout = ComputeSmallLayout(client.right, client.bottom, m_scale);
        SetUpStatusControl(ToRect(layout.status), layout.statusFontHeight);
    } else {
        SetUpStatusControl(ToRect(LargeStatusRect(client.right, client.bottom, m_scale)), client.bottom / 14);
    }
    TheSession().ShowStatus(L"Welcome...");

    MakeRecorderLayered();
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
    SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    if (m_small && m_toolTips.Create(this)) {
        m_toolTips.AddTool(GetDlgItem(IDC_RECORD), L"Start/Stop recording");
        m_toolTips.AddTool(GetDlgItem(IDC_PLAY), L"View recordings");
        m_toolTips.AddTool(GetDlgItem(IDC_MARK), L"Mark video window manually");
        m_toolTips.AddTool(GetDlgItem(IDC_SETTINGS), L"Open settings");
        m_toolTips.Activate(true);
    }
    if (Env().NotWindows7) Settings.Basic = 0;
    if (Settings.FullScreen) {
        SetCaptureRegion(Settings.Monitor == 1 ? Env().Display1Rect : Env().Display2Rect);
        WriteSettings();
    }
    // Both layouts run the tick from the start: the deferred initialisation
    // (COM, graphs, hotkey, tracking) hangs on its first run.
    StartRecorderTimer();
    ShowWindow(SW_SHOWNOACTIVATE);
    // No control takes the focus: the status line would show its text
    // selected and a button its focus rectangle.
    ::SetFocus(m_hWnd);
    return FALSE;
}

void WinDlg::LayOutSmall() {
    RECT client{};
    GetClientRect(&client);
    const SmallLayout layout = ComputeSmallLayout(client.right, client.bottom, m_scale);

    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    m_closeBitmap.Reset(static_cast<HBITMAP>(::LoadImageW(instance, L"top_close", IMAGE_BITMAP, 0, 0, 0)));
    m_miniBitmap.Reset(static_cast<HBITMAP>(::LoadImageW(instance, L"top_mini", IMAGE_BITMAP, 0, 0, 0)));
    const std::wstring skinPath = std::wstring(TextOf(SettingsFolder)) + L"\\bitmap7_rsc.bmp";
    m_skin.Reset(static_cast<HBITMAP>(::LoadImageW(nullptr, skinPath.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE)));

    ::SendMessageW(GetDlgItem(IDC_HEADER), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_skin.Get()));
    Place(GetDlgItem(IDC_HEADER), layout.header);
    ::SendMessageW(GetDlgItem(IDC_CLOSE), BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_closeBitmap.Get()));
    ::SendMessageW(GetDlgItem(IDC_MINIMISE), BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_miniBitmap.Get()));
    Place(GetDlgItem(IDC_CLOSE), layout.close);
    Place(GetDlgItem(IDC_MINIMISE), layout.minimise);

    m_buttonFont.Reset(MakeFont(L"Sans Serif", layout.buttonFontHeight));
    const std::pair<int, ScreenRect> buttons[] = {
        {IDC_SETTINGS, layout.settings}, {IDC_RECORD, layout.record}, {IDC_PLAY, layout.play}, {IDC_MARK, layout.mark}};
    for (const auto& [id, rect] : buttons) {
        Place(GetDlgItem(id), rect);
        ::SendMessageW(GetDlgItem(id), WM_SETFONT, reinterpret_cast<WPARAM>(m_buttonFont.Get()), TRUE);
    }
}

void WinDlg::SetUpStatusControl(const RECT& rect, int fontHeight) {
    HWND status = GetDlgItem(IDC_STATUS);
    if (!status) return;
    ::SetWindowPos(status, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    ::SendMessageW(status, EM_EXLIMITTEXT, 0, 1000);
    m_statusFont.Reset(MakeFont(L"Sans Serif", fontHeight > 0 ? fontHeight : 1));
    ::SendMessageW(status, WM_SETFONT, reinterpret_cast<WPARAM>(m_statusFont.Get()), TRUE);
    ::SendMessageW(status, EM_SETBKGNDCOLOR, 0, kStatusBackground);
    ::SendMessageW(status, EM_SETREADONLY, TRUE, 0);
}

void WinDlg::RepaintStatus(const std::wstring& status) {
    HWND control = GetDlgItem(IDC_STATUS);
    if (!control) return;
    ::SetWindowTextW(control, status.c_str());
    ::SendMessageW(control, EM_SETSEL, 0, 0);
    // White text on the status blue, for whatever the text replaced.
    CHARFORMAT2W format{};
    format.cbSize = sizeof(format);
    format.dwMask = CFM_COLOR;
    format.crTextColor = RGB(255, 255, 255);
    ::SendMessageW(control, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
    ::UpdateWindow(control);
}

void WinDlg::SetRecordButtonText(const std::wstring& text) { SetDlgItemText(IDC_RECORD, text); }

void WinDlg::SetRecorderMenu(RecorderMenu menu) {
    const wchar_t* name = menu == RecorderMenu::Recording                 ? L"MENURECORD"
                          : menu == RecorderMenu::RecordingWithBackground ? L"MENURECORD1"
                                                                          : MAKEINTRESOURCEW(IDR_MENU_IDLE);
    HMENU next = ::LoadMenuW(::GetModuleHandleW(nullptr), name);
    if (!next) return;
    HMENU old = ::GetMenu(m_hWnd);
    ::SetMenu(m_hWnd, next);
    if (old) ::DestroyMenu(old);
    ::DrawMenuBar(m_hWnd);
    UpdateMenuChecks();
}

void WinDlg::UpdateMenuChecks() {
    HMENU menu = ::GetMenu(m_hWnd);
    if (!menu || m_small) return;
    ::CheckMenuItem(menu, ID_SHOW_CLONED, MF_BYCOMMAND | (Settings.ShowVideo ? MF_CHECKED : MF_UNCHECKED));
    ::CheckMenuItem(menu, ID_FULL_SCREEN, MF_BYCOMMAND | (Settings.FullScreen ? MF_CHECKED : MF_UNCHECKED));
}

void WinDlg::ShowInfoText(const std::wstring& text) {
    StopClonePreview();
    m_infoText = text.substr(0, 9999);
    m_infoMode = true;
    if (!m_small) Invalidate(false);
}

void WinDlg::MakeRecorderLayered() { RefreshLayeredStyle(m_hWnd); }

void WinDlg::StartRecorderTimer() { SetTimer(kRecorderTimer, 1000); }

void WinDlg::StopRecorderTimer() { KillTimer(kRecorderTimer); }

// The recorder's main loop, in its fixed order.
void WinDlg::OnTimer(UINT_PTR id) {
    if (id != kRecorderTimer) return;
    StartupState& startup = Startup();
    RecordingSession& session = TheSession();

    BackgroundPositionCheck();
    if (!startup.SystemInfoLogged) {
        startup.SystemInfoLogged = true;
        LogSystemInfo();
    }
    if (!startup.SilenceHelperStarted) {
        startup.SilenceHelperStarted = true;
        session.StartSilenceHelper();
    }
    TrackingTick();
    if (session.PostStopReport()) return;
    if (m_captionRepaintRequested) {
        m_captionRepaintRequested = false;
        if (!m_small) Invalidate(false);
    }
    if (!startup.DeferredInitDone) DeferredInit(*this);
    session.RecordingTick();
}

void WinDlg::OnHotKey(UINT, UINT, UINT) {
    const int lockoutSeconds = TheSession().OnHotkey();
    if (lockoutSeconds == 0) return;
    // The worker only clears the flag; it never touches a window.
    std::thread([lockoutSeconds] {
        for (int i = 0; i < lockoutSeconds; ++i) ::Sleep(1000);
        TheSession().State().HotkeyLockout = false;
    }).detach();
}

void WinDlg::OnSize(UINT type, int cx, int cy) {
    DefWindowProc(WM_SIZE, type, MAKELPARAM(cx, cy));
    if (!m_hWnd) return;
    if (Settings.ShowVideo) PlaceCloneVideo();
    if (!m_small && !ClonePreviewRunning()) Invalidate(false);
    RepaintStatus(TheSession().State().StatusText);
}

LRESULT WinDlg::OnSysCommand(UINT command, LPARAM lParam) {
    switch (command & 0xFFF0) {
        case SC_MAXIMIZE:
            m_captionRepaintRequested = true;
            if (Env().VistaOrLater) return DefWindowProc(WM_SYSCOMMAND, command, lParam);
            return 0;
        case SC_MINIMIZE:
            MinimiseToFrame();
            return 0;
        case SC_RESTORE:
            m_captionRepaintRequested = true;
            return DefWindowProc(WM_SYSCOMMAND, command, lParam);
        default:
            return DefWindowProc(WM_SYSCOMMAND, command, lParam);
    }
}

// Logging off or shutting down: the recording is stopped, and its file
// finished, before the answer; the system shows why it waits meanwhile.
LRESULT WinDlg::OnQueryEndSession(WPARAM, LPARAM) {
    RecordingSession& session = TheSession();
    if (!session.State().Recording && !session.State().PausedFlag) return TRUE;
    ::ShutdownBlockReasonCreate(m_hWnd, L"Telvane is saving the recording of the call.");
    session.StopForSessionEnd();
    ::ShutdownBlockReasonDestroy(m_hWnd);
    return TRUE;
}

// The session ends: nothing is left recording (a recording started since
// the question is stopped too).
LRESULT WinDlg::OnEndSession(WPARAM ending, LPARAM) {
    if (ending) TheSession().StopForSessionEnd();
    return 0;
}

LRESULT WinDlg::OnGraphNotice(WPARAM, LPARAM) {
    TheSession().OnGraphNotice();
    return 0;
}

LRESULT WinDlg::OnFocusChange(WPARAM, LPARAM) {
    if (!m_small && !ClonePreviewRunning()) Invalidate(false);
    RepaintStatus(TheSession().State().StatusText);
    return 0;
}

BOOL WinDlg::OnEraseBkgnd(HDC) { return TRUE; }

// The preview's video follows the window's size: below the caption strip in
// the small layout, the client area less the status strip in the large.
void WinDlg::PlaceCloneVideo() {
    ClonePreviewState& preview = ClonePreview();
    if (!preview.videoWindow2 || !preview.renderer2) return;
    RECT client{};
    if (!::GetClientRect(m_hWnd, &client)) return;
    if (m_small)
        preview.videoWindow2->SetWindowPosition(0, 25, client.right - 1, client.bottom - 25);
    else
        preview.videoWindow2->SetWindowPosition(client.left, client.top, client.right - client.left,
                                                client.bottom - client.top - 14);
}

void WinDlg::MinimiseToFrame() {
    // The hidden frame owns the taskbar entry: it is what minimises, and its
    // restore brings this window back.
    if (MainWindow* frame = TheMainWindow()) frame->ShowWindow(SW_MINIMIZE);
    ShowWindow(SW_HIDE);
}

void WinDlg::OnRButtonDown(UINT, POINT) { ::Beep(700, 150); }

void WinDlg::OnLButtonDblClk(UINT, POINT) {
    ::Beep(1000, 150);
    TheSession().ToggleRecording();
}

void WinDlg::OnCancel() { CloseProgram(); }

void WinDlg::OnClose() { CloseProgram(); }
