// kq.exe, the launcher: reads the physical size of the first two displays
// and starts telvane.exe beside itself with them on the command line, so
// the recorder knows the real resolution behind a display scale. The
// Start-menu and desktop shortcuts point here; "/installer" is passed on.

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/services/ShowMessage.h"
#include "companions/kq/LauncherArgs.h"

namespace {

// The current mode of each display attached to the desktop, the primary
// one first.
std::vector<kq::DisplayMode> DisplayModes() {
    std::vector<kq::DisplayMode> primary;
    std::vector<kq::DisplayMode> others;
    DISPLAY_DEVICEW device{};
    device.cb = sizeof(device);
    for (DWORD i = 0; ::EnumDisplayDevicesW(nullptr, i, &device, 0); ++i, device.cb = sizeof(device)) {
        if (!(device.StateFlags & DISPLAY_DEVICE_ATTACHED_TO_DESKTOP)) continue;
        DEVMODEW mode{};
        mode.dmSize = sizeof(mode);
        if (!::EnumDisplaySettingsW(device.DeviceName, ENUM_CURRENT_SETTINGS, &mode)) continue;
        const kq::DisplayMode found{static_cast<int>(mode.dmPelsWidth), static_cast<int>(mode.dmPelsHeight)};
        (device.StateFlags & DISPLAY_DEVICE_PRIMARY_DEVICE ? primary : others).push_back(found);
    }
    primary.insert(primary.end(), others.begin(), others.end());
    return primary;
}

std::vector<std::wstring> OwnArguments() {
    std::vector<std::wstring> args;
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!argv) return args;
    args.assign(argv, argv + count);
    ::LocalFree(argv);
    return args;
}

std::wstring ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return L".";
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    const std::wstring folder = ProgramFolder();
    const std::wstring recorder = folder + L"\\telvane.exe";
    const std::wstring parameters =
        kq::JoinArguments(kq::RecorderArguments(DisplayModes(), kq::HasInstallerSwitch(OwnArguments())));

    SHELLEXECUTEINFOW start{};
    start.cbSize = sizeof(start);
    start.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    start.lpVerb = L"open";
    start.lpFile = recorder.c_str();
    start.lpParameters = parameters.c_str();
    start.lpDirectory = folder.c_str();
    start.nShow = SW_SHOWNORMAL;
    if (!::ShellExecuteExW(&start) || reinterpret_cast<INT_PTR>(start.hInstApp) <= 32) {
        ShowMessage(L"Cannot open or find file telvane.exe");
        return 1;
    }
    return 0;
}
