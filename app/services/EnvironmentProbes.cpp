#include "app/services/EnvironmentProbes.h"

#include <cstdlib>
#include <vector>

#include "app/services/DiagnosticLog.h"
#include "app/services/Environment.h"
#include "app/services/WindowsVersion.h"
#include "framework/ui/PumpedWait.h"
#include "framework/win/Handles.h"
#include "settings/SettingsFile.h"

namespace {

ScreenRect FromRect(const RECT& r) { return ScreenRect{r.left, r.top, r.right, r.bottom}; }

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM param) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (::GetMonitorInfoW(monitor, &info)) {
        reinterpret_cast<std::vector<MonitorArea>*>(param)->push_back(
            MonitorArea{FromRect(info.rcMonitor), FromRect(info.rcWork)});
    }
    return TRUE;
}

}  // namespace

void ProbeWindowsVersion() {
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    // The program's manifest declares Windows 7 to 10, so the call reports
    // the real version rather than a compatibility one.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    ::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info));
#pragma GCC diagnostic pop
    const int major = static_cast<int>(info.dwMajorVersion);
    const int minor = static_cast<int>(info.dwMinorVersion);

    static int hasGetProductInfo = -1;  // looked up the first time it matters
    if (major <= 5 && hasGetProductInfo < 0) {
        HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
        hasGetProductInfo = kernel && ::GetProcAddress(kernel, "GetProductInfo") ? 1 : 0;
    }
    const WindowsVersion v = ClassifyWindowsVersion(major, minor, hasGetProductInfo == 1);
    Env().VistaOrLater = v.vistaOrLater;
    Env().NotWindows7 = v.notWindows7;
    Env().VersionText = v.versionText;
}

bool CheckAdmin() {
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!::AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0,
                                    0, 0, &administrators))
        return false;
    BOOL member = FALSE;
    const BOOL ok = ::CheckTokenMembership(nullptr, administrators, &member);
    ::FreeSid(administrators);
    return ok && member;
}

void RefreshDisplays() {
    Environment& env = Env();
    env.EdgeWidth = ::GetSystemMetrics(SM_CXEDGE);
    env.EdgeHeight = ::GetSystemMetrics(SM_CYEDGE);
    env.MenuHeight = ::GetSystemMetrics(SM_CYMENU);
    env.ScreenWidth = ::GetSystemMetrics(SM_CXSCREEN);
    env.ScreenHeight = ::GetSystemMetrics(SM_CYSCREEN);
    RECT work{};
    if (::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) {
        const int workHeight = work.bottom - work.top;
        env.TaskbarHeight = std::abs(env.ScreenHeight - std::abs(workHeight));
    }
    RECT desktop{};
    ::GetWindowRect(::GetDesktopWindow(), &desktop);
    env.DesktopRect =
        ScreenRect{desktop.left, desktop.top, desktop.left + env.ScreenWidth, desktop.top + env.ScreenHeight};

    std::vector<MonitorArea> monitors;
    if (::GetSystemMetrics(SM_CMONITORS) > 1 &&
        !::EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&monitors))) {
        return;  // keep what we had
    }
    if (::GetSystemMetrics(SM_CMONITORS) > 1 && monitors.size() < 2) return;

    DisplayLayout previous{env.DisplayCount, env.Display1Rect, env.Display2Rect, env.Display2WorkRect};
    int monitorSetting = Settings.Monitor;
    const DisplayLayout layout =
        SelectDisplays(monitors, env.ScreenWidth, env.ScreenHeight, env.DesktopRect, previous, monitorSetting);
    env.DisplayCount = layout.displayCount;
    env.Display1Rect = layout.display1;
    env.Display2Rect = layout.display2;
    env.Display2WorkRect = layout.display2Work;
    Settings.Monitor = monitorSetting;
    WriteSettings();
}

void LogSystemInfo() {
    SYSTEM_INFO system{};
    ::GetSystemInfo(&system);
    win::RegKey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", 0, KEY_ALL_ACCESS,
                        key.Put()) != ERROR_SUCCESS)
        return;
    DWORD type = 0, size = 0;
    if (::RegQueryValueExW(key.Get(), L"ProcessorNameString", nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return;
    std::vector<wchar_t> name(size / sizeof(wchar_t) + 1, L'\0');
    DWORD got = static_cast<DWORD>((name.size() - 1) * sizeof(wchar_t));
    if (::RegQueryValueExW(key.Get(), L"ProcessorNameString", nullptr, &type, reinterpret_cast<BYTE*>(name.data()),
                           &got) != ERROR_SUCCESS)
        return;
    name.back() = L'\0';
    AppendLog(L"\r\nScreen resolution: %dx%d\r\nMonitors: %d\r\nNumber of processors: %d\r\nProcessor: %ls",
              Env().ScreenWidth, Env().ScreenHeight, ::GetSystemMetrics(SM_CMONITORS),
              static_cast<int>(system.dwNumberOfProcessors), name.data());
}

void WaitPumping(DWORD ms) { PumpFor(ms); }
