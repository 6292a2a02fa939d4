// Opens MonitorDlg through the "Select &Monitor" command over the settings
// file named on the command line, then writes what happened to that path
// with ".report" appended: "result <DoModal> scans <n> previews <n>
// refreshes <n>". With "two" as the second argument it reports a second
// monitor of 1280 x 1024 right of the desktop at 150 %.

#include <windows.h>
// shellapi.h needs windows.h before it.
#include <shellapi.h>

#include <cwchar>
#include <filesystem>
#include <fstream>
#include <string>

#include "settings/MonitorDlg.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsText.h"
#include "settings/Win32SettingsSystem.h"
#include "tests/wine/support/OneShotApp.h"

namespace {

const bool kVistaOrLater = true;
const bool kNotWindows7 = true;

// Runs the command in InitInstance and ends: no message loop follows.
int RunHost() {
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (!argv || argc < 2) return 90;
    const std::wstring settingsPath = argv[1];
    const bool two = argc >= 3 && std::wcscmp(argv[2], L"two") == 0;
    ::LocalFree(argv);
    static Win32SettingsSystem system(kVistaOrLater, kNotWindows7);
    SetSettingsSystem(&system);
    if (!CopyText(SettingsPath, settingsPath) || !ReadSettings()) return 91;

    RECT desktop{};
    ::GetWindowRect(::GetDesktopWindow(), &desktop);
    MonitorDisplays displays;
    displays.desktop = ScreenRect{desktop.left, desktop.top, desktop.right, desktop.bottom};
    displays.notWindows7 = kNotWindows7;
    if (two) {
        displays.count = 2;
        displays.display2 = ScreenRect{desktop.right, 0, desktop.right + 1280, 1024};
        displays.display2Work = ScreenRect{desktop.right, 0, desktop.right + 1280, 984};
        displays.scale2 = 150;
    }

    int scans = 0, previews = 0, refreshes = 0;
    MonitorHooks hooks;
    hooks.refreshDisplays = [&] {
        ++scans;
        return displays;
    };
    hooks.restartPreview = [&] { ++previews; };
    hooks.refreshMainWindow = [&] { ++refreshes; };
    const INT_PTR result = SelectMonitor(displays, hooks);

    std::ofstream report(std::filesystem::path(settingsPath + L".report"), std::ios::binary);
    report << "result " << result << " scans " << scans << " previews " << previews << " refreshes " << refreshes;
    return report.good() ? 0 : 92;
}

OneShotApp theApp(RunHost);

}  // namespace
