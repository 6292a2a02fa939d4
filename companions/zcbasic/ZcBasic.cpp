// zcbasic.exe, the basic-theme helper: a hidden top-level window titled
// "ZBasic" that the recorder looks for by title before it starts another.
//
// On Windows 7 it turns desktop composition off (the Windows Basic look,
// which the screen capture records faster and without the glass frames)
// while the window named by "-w <title>" lives ("Quorra" without -w): it
// looks for that window every 500 ms and, once it is gone, turns
// composition back on and ends with exit code 0. On any other Windows it
// keeps its window and does nothing else, until it is closed.

#include <windows.h>
// After windows.h, which they need.
#include <dwmapi.h>
#include <shellapi.h>

#include <string>

#include "framework/win/HelperWindow.h"

namespace {

constexpr wchar_t kTitle[] = L"ZBasic";
constexpr wchar_t kClassName[] = L"TelvaneZBasic";
constexpr wchar_t kDefaultWatched[] = L"Quorra";
constexpr UINT_PTR kCheckTimer = 1;
constexpr UINT kCheckMs = 500;

std::wstring g_watched = kDefaultWatched;

// The version the system reports to this process, not the compatibility
// answer of GetVersionEx.
bool IsWindows7() {
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    auto rtlGetVersion =
        ntdll ? reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlGetVersion")))
              : nullptr;
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    if (!rtlGetVersion || rtlGetVersion(&version) != 0) return false;
    return version.dwMajorVersion == 6 && version.dwMinorVersion == 1;
}

void ReadWatchedTitle() {
    int count = 0;
    LPWSTR* args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!args) return;
    for (int i = 1; i + 1 < count; ++i)
        if ((args[i][0] == L'-' || args[i][0] == L'/') && ::lstrcmpiW(args[i] + 1, L"w") == 0) g_watched = args[++i];
    ::LocalFree(args);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_TIMER:
            if (wParam == kCheckTimer && !::FindWindowW(nullptr, g_watched.c_str())) ::DestroyWindow(hwnd);
            return 0;
        default:
            return win::HelperWindowDefault(hwnd, msg, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    // One helper at a time.
    if (::FindWindowW(nullptr, kTitle)) return 0;
    ReadWatchedTitle();

    HWND hwnd = win::CreateHelperWindow(instance, kClassName, kTitle, WindowProc);
    if (!hwnd) return 1;

    const bool basic = IsWindows7();
    if (basic) {
        ::DwmEnableComposition(DWM_EC_DISABLECOMPOSITION);
        ::SetTimer(hwnd, kCheckTimer, kCheckMs, nullptr);
    }
    win::PumpUntilQuit();
    if (basic) ::DwmEnableComposition(DWM_EC_ENABLECOMPOSITION);
    return 0;
}
