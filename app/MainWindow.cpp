#include "app/MainWindow.h"

#include <shellapi.h>

#include <cwchar>

#include "app/LauncherDisplays.h"
#include "app/Startup.h"
#include "app/services/DevConsole.h"
#include "app/services/DiagnosticLog.h"
#include "app/services/Environment.h"
#include "app/services/EnvironmentProbes.h"
#include "app/services/ShowMessage.h"
#include "app/session/Hotkeys.h"
#include "app/session/RecorderSession.h"
#include "app/window/SplashDlg.h"
#include "app/window/WinDlg.h"
#include "graph/ClonePreview.h"
#include "resources/resource.h"
#include "settings/SettingsFile.h"

namespace {

constexpr UINT_PTR kStartTimer = 1;
constexpr int kMaxInterfaceScale = 250;
UINT g_screenCaptureMessage = 0;
MainWindow* g_mainWindow = nullptr;

// Shell start of a file beside the program; the shell's result above 32 is success.
bool ShellStart(const wchar_t* verb, const wchar_t* file, const wchar_t* parameters, int show) {
    const HINSTANCE result = ::ShellExecuteW(nullptr, verb, file, parameters, nullptr, show);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace

BEGIN_MESSAGE_MAP(MainWindow, CFrameWnd)
ON_WM_CREATE()
ON_WM_TIMER()
ON_WM_SYSCOMMAND()
ON_WM_SIZE()
ON_COMMAND(ID_DEV_CLEAR, OnClear)
ON_REGISTERED_MESSAGE(g_screenCaptureMessage, OnScreenCaptureMessage)
END_MESSAGE_MAP()

MainWindow* TheMainWindow() { return g_mainWindow; }

MainWindow::MainWindow() {
    g_mainWindow = this;
    g_screenCaptureMessage = ::RegisterWindowMessageW(L"screen capture message");
}

MainWindow::~MainWindow() {
    if (g_mainWindow == this) g_mainWindow = nullptr;
}

bool MainWindow::CreateFrame() {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    LPCWSTR className = RegisterWndClass(L"TelvaneFrame", 0, ::LoadCursorW(nullptr, IDC_ARROW),
                                         reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1),
                                         ::LoadIconW(instance, MAKEINTRESOURCEW(IDI_TELVANE)));
    if (!className) return false;

    // Titled "Quorra" while the splash shows, so a second start already sees us.
    if (kDevConsole) {
        const RECT rect{100, 100, 600, 500};
        if (!Create(className, L"Quorra", WS_OVERLAPPEDWINDOW, &rect, nullptr, L"MENUDEV")) return false;
        m_log = CreateDevConsole(m_hWnd);
    } else {
        // Off-screen and without size: never seen, but it owns the taskbar entry.
        const RECT rect{-32000, -32000, -32000, -32000};
        if (!Create(className, L"Quorra", WS_OVERLAPPEDWINDOW, &rect)) return false;
    }

    ReadSettings();
    SetWindowText(L"Telvane");
    SetTimer(kStartTimer, 1000);
    return true;
}

int MainWindow::OnCreate(CREATESTRUCTW*) {
    SplashDlg splash;
    splash.DoModal();
    return 0;
}

void MainWindow::OnTimer(UINT_PTR id) {
    if (id != kStartTimer || m_stage2Started) return;
    m_stage2Started = true;
    KillTimer(kStartTimer);
    RunStage2();
}

void MainWindow::RunStage2() {
    StartupState& startup = Startup();
    Environment& env = Env();

    ProbeWindowsVersion();
    ShowWindow(kDevConsole ? SW_SHOW : SW_SHOWNOACTIVATE);
    RefreshDisplays();

    const std::wstring problem =
        CheckLauncherDisplays(env.DisplayCount, env.DesktopRect.Width(), env.DesktopRect.Height(), startup.Launcher);
    if (!problem.empty()) ShowMessage(problem);

    startup.DisplayScale1 = DisplayScale1(env.DesktopRect.Width(), startup.Launcher.w1, Settings.Size);
    startup.DisplayScale2 = DisplayScale2(env.Display2Rect.Width(), startup.Launcher.w2);

    RegisterFilters();

    wchar_t sizeParameters[32];
    std::swprintf(sizeParameters, 32, L" -sz %d", Settings.Size);
    if (!ShellStart(L"open", L".\\size.exe", sizeParameters, SW_SHOWNORMAL))
        AppendLog(L"\r\nCannot start .\\size.exe%ls", sizeParameters);

    WaitPumping(1000);
    StartRestoreHelper();

    m_recorder = std::make_unique<WinDlg>(Settings.MiniClone != 0);
    if (!m_recorder->CreateRecorder()) AppendLog(L"\r\nCannot create the recorder window (%lu)", ::GetLastError());
}

void MainWindow::RegisterFilters() {
    const Environment& env = Env();
    // Vista and later need elevation to register; without administrator
    // rights the filters are left as the installer registered them.
    const wchar_t* verb = nullptr;
    if (env.IsAdmin && env.VistaOrLater)
        verb = L"runas";
    else if (!env.VistaOrLater)
        verb = L"open";
    if (verb && !ShellStart(verb, L".\\registerw.bat", nullptr, SW_HIDE)) ShowMessage(L"Cannot register files");
}

void MainWindow::StartRestoreHelper() {
    if (::FindWindowW(nullptr, L"QrRestore")) return;
    if (!ShellStart(L"open", L".\\qrrestore.exe", L" -w Telvane", SW_SHOWNORMAL))
        ShowMessage(L"Cannot open or find file zcrestore");
}

LRESULT MainWindow::OnSysCommand(UINT command, LPARAM lParam) {
    if ((command & 0xFFF0) == SC_RESTORE) {
        if (m_recorder && m_recorder->m_hWnd) m_recorder->ShowWindow(SW_RESTORE);
        if (TheSession().State().Recording) BuildClonePreview();
    }
    return DefWindowProc(WM_SYSCOMMAND, command, lParam);
}

void MainWindow::OnSize(UINT type, int cx, int cy) {
    if (m_log)
        ::MoveWindow(m_log, 0, 0, cx, cy, TRUE);
    else
        DefWindowProc(WM_SIZE, type, MAKELPARAM(cx, cy));
}

void MainWindow::OnClear() { ClearDevConsole(); }

void MainWindow::RescaleInterface(int scale) {
    if (!m_recorder || m_rebuilding) return;
    m_rebuilding = true;
    m_recorder->StopRecorderTimer();
    UnregisterRecordHotkey();
    const int showVideo = Settings.ShowVideo;
    if (ClonePreviewRunning()) StopClonePreview();
    Settings.ShowVideo = 0;
    m_recorder->DestroyWindow();
    m_recorder.reset();
    WaitPumping(1000);

    wchar_t sizeParameters[32];
    std::swprintf(sizeParameters, 32, L" -sz %d", scale);
    if (!ShellStart(L"open", L".\\size.exe", sizeParameters, SW_SHOWNORMAL))
        AppendLog(L"\r\nCannot start .\\size.exe%ls", sizeParameters);
    WaitPumping(1000);

    // The window takes its size from "Size": the new scale, at most 250.
    Settings.Size = scale < kMaxInterfaceScale ? scale : kMaxInterfaceScale;
    WriteSettings();
    m_recorder = std::make_unique<WinDlg>(Settings.MiniClone != 0);
    if (!m_recorder->CreateRecorder()) AppendLog(L"\r\nCannot create the recorder window (%lu)", ::GetLastError());
    m_rebuilding = false;
    // The old window's hotkey went with it.
    RegisterRecordHotkey();
    Settings.ShowVideo = showVideo;
    if (Settings.ShowVideo) BuildClonePreview();
}

LRESULT MainWindow::OnScreenCaptureMessage(WPARAM, LPARAM) { return 1; }
