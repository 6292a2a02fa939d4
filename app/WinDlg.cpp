#include "app/WinDlg.h"

#include <thread>

#include "app/DeferredInit.h"
#include "app/EnvironmentProbes.h"
#include "app/MainWindow.h"
#include "app/RecorderSession.h"
#include "app/Startup.h"
#include "app/Tracking.h"
#include "resources/resource.h"

namespace {
constexpr UINT_PTR kRecorderTimer = 1;
}

BEGIN_MESSAGE_MAP(WinDlg, CDialog)
ON_WM_CLOSE()
ON_WM_TIMER()
ON_WM_HOTKEY()
ON_WM_LBUTTONDBLCLK()
ON_BN_CLICKED(IDC_RECORD, OnRecord)
ON_COMMAND(ID_RECORD, OnRecord)
ON_COMMAND(ID_STOP, OnRecord)
ON_COMMAND(ID_PAUSE, OnPause)
END_MESSAGE_MAP()

WinDlg* RecorderWindow() {
    MainWindow* frame = TheMainWindow();
    return frame ? frame->RecorderWindow() : nullptr;
}

WinDlg::WinDlg(bool small) : CDialog(small ? IDD_WINDLG_SMALL : IDD_WINDLG_LARGE), m_small(small) {}

bool WinDlg::CreateRecorder() { return Create() != FALSE; }

BOOL WinDlg::OnInitDialog() {
    HICON icon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TELVANE));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    StartRecorderTimer();
    ShowWindow(SW_SHOW);
    return TRUE;
}

void WinDlg::StartRecorderTimer() { SetTimer(kRecorderTimer, 1000); }

void WinDlg::StopRecorderTimer() { KillTimer(kRecorderTimer); }

void WinDlg::RepaintStatus(const std::wstring& status) { SetDlgItemText(IDC_STATUS, status); }

void WinDlg::SetRecordButtonText(const std::wstring& text) { SetDlgItemText(IDC_RECORD, text); }

void WinDlg::SetRecorderMenu(RecorderMenu menu) {
    const wchar_t* name = menu == RecorderMenu::Recording                 ? L"MENURECORD"
                          : menu == RecorderMenu::RecordingWithBackground ? L"MENURECORD1"
                                                                          : MAKEINTRESOURCEW(IDR_MENU_IDLE);
    HMENU next = ::LoadMenuW(::GetModuleHandleW(nullptr), name);
    if (!next) return;  // the layout has no such menu
    HMENU old = ::GetMenu(m_hWnd);
    ::SetMenu(m_hWnd, next);
    if (old) ::DestroyMenu(old);
    ::DrawMenuBar(m_hWnd);
}

void WinDlg::ShowInfoText(const std::wstring&) {
    // The info text is drawn in the large layout's caption, which this bare
    // window does not have yet.
}

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

void WinDlg::OnLButtonDblClk(UINT, POINT) {
    ::Beep(1000, 150);
    TheSession().ToggleRecording();
}

void WinDlg::OnRecord() { TheSession().ToggleRecording(); }

void WinDlg::OnPause() { TheSession().TogglePause(); }

void WinDlg::OnCancel() { CloseProgram(); }

void WinDlg::OnClose() { CloseProgram(); }
