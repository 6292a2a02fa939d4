#include "app/WinDlg.h"

#include "app/DeferredInit.h"
#include "app/EnvironmentProbes.h"
#include "app/MainWindow.h"
#include "app/Startup.h"
#include "resources/resource.h"

namespace {
constexpr UINT_PTR kRecorderTimer = 1;
}

BEGIN_MESSAGE_MAP(WinDlg, CDialog)
ON_WM_CLOSE()
ON_WM_TIMER()
END_MESSAGE_MAP()

WinDlg* RecorderWindow() {
    MainWindow* frame = TheMainWindow();
    return frame ? frame->RecorderWindow() : nullptr;
}

WinDlg::WinDlg(bool small) : CDialog(small ? IDD_WINDLG_SMALL : IDD_WINDLG_LARGE) {}

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

void WinDlg::OnTimer(UINT_PTR id) {
    if (id != kRecorderTimer) return;
    StartupState& startup = Startup();
    if (!startup.SystemInfoLogged) {
        startup.SystemInfoLogged = true;
        LogSystemInfo();
    }
    if (!startup.DeferredInitDone) DeferredInit(*this);
}

void WinDlg::OnCancel() { CloseProgram(); }

void WinDlg::OnClose() { CloseProgram(); }
