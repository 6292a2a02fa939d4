#include "app/Quorra.h"

#include <commctrl.h>
#include <shellapi.h>

#include "app/MainWindow.h"
#include "app/Startup.h"
#include "app/services/DiagnosticLog.h"
#include "app/services/Environment.h"
#include "app/services/EnvironmentProbes.h"
#include "app/services/ShowMessage.h"
#include "app/session/InterruptedRecording.h"
#include "app/session/Win32NamingSystem.h"
#include "graph/Win32ProfileSystem.h"
#include "settings/SettingsFile.h"
#include "settings/Win32SettingsSystem.h"

namespace {

Quorra theApp;
CmdLineInfo g_cmdInfo;

// The folder of the program file, without the trailing backslash.
std::wstring ModuleFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD got = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (got == 0) return std::wstring();
        if (got < path.size()) {
            path.resize(got);
            break;
        }
        path.resize(path.size() * 2);
    }
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

}  // namespace

CmdLineInfo& CommandLine() { return g_cmdInfo; }

StartupState& Startup() {
    static StartupState state;
    return state;
}

// "/repair FILE" as the whole command line: the repair of one recording,
// without a window (the path may be longer than the parameter table keeps).
static bool RepairSwitch(std::wstring& path) {
    int count = 0;
    LPWSTR* args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!args) return false;
    const bool repair = count == 3 && std::wstring(args[1]) == L"/repair";
    if (repair) path = args[2];
    ::LocalFree(args);
    return repair;
}

BOOL Quorra::InitInstance() {
    std::wstring repairPath;
    if (RepairSwitch(repairPath)) ::ExitProcess(static_cast<UINT>(RunRepairSwitch(repairPath)));
    if (::FindWindowW(nullptr, L"Quorra")) {
        ShowMessage(L"Telvane is already running");
        return FALSE;
    }

    StartupState& startup = Startup();
    startup.ProgramFolder = ModuleFolder();
    ::SetCurrentDirectoryW(startup.ProgramFolder.c_str());

    ParseCommandLine(g_cmdInfo);
    startup.Launcher = ReadLauncherValues(g_cmdInfo);

    ProbeWindowsVersion();
    Env().IsAdmin = CheckAdmin();

    // The settings code asks the probes' flags each time, through this.
    static Win32SettingsSystem settingsSystem(Env().VistaOrLater, Env().NotWindows7);
    SetSettingsSystem(&settingsSystem);
    static Win32NamingSystem namingSystem;
    SetNamingSystem(&namingSystem);
    static Win32ProfileSystem profileSystem;
    SetProfileSystem(&profileSystem);
    PrepareSettingsFolder();
    ReadSettings();
    ResetSettingsIfNeeded(startup.Launcher.installer);
    // Before anything records: a recording the last run left unfinished.
    RepairInterruptedRecording();

    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);
    if (!CWinApp::InitInstance()) return FALSE;
    // No ActiveX controls are hosted, so there is no control container to enable.

    m_frame = std::make_unique<MainWindow>();
    if (!m_frame->CreateFrame()) {
        AppendLog(L"\r\nCannot create the main frame (%lu)", ::GetLastError());
        return FALSE;
    }
    m_pMainWnd = m_frame.get();
    if (kDevConsole) {
        m_frame->ShowWindow(SW_SHOW);
        ::UpdateWindow(m_frame->m_hWnd);
    }

    ::SetPriorityClass(::GetCurrentProcess(), ABOVE_NORMAL_PRIORITY_CLASS);
    return TRUE;
}
