// qrrestore.exe, the restore helper: a hidden top-level window titled
// "QrRestore" that the recorder finds by title and notifies with the
// registered "screen capture message" around run (8, 7), pause and stop.
// It accepts every notification and keeps the last pair in the window's
// user data (LOWORD wParam, HIWORD lParam) so a test can read it back.
//
// It lives as long as the window it watches: "-w <title>" names it (the
// recorder passes " -w Telvane"), "Telvane" without -w. Every 500 ms it looks
// for a top-level window with exactly that title and ends with exit code 0
// once there is none any more, or when there was none during its first
// five seconds. One copy runs at a time; a second ends at once.
//
// "-log <file>" (or "/log") appends each notification to the file as one
// line "wParam,lParam" (decimal, CR LF), opened and closed for each, so a
// test reads the order in which they came.

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <string>

#include "framework/win/Handles.h"
#include "framework/win/HelperWindow.h"

namespace {

constexpr wchar_t kTitle[] = L"QrRestore";
constexpr wchar_t kClassName[] = L"TelvaneQrRestore";
constexpr wchar_t kMutexName[] = L"Local\\TelvaneQrRestore";
constexpr wchar_t kDefaultWatched[] = L"Telvane";
constexpr UINT_PTR kCheckTimer = 1;
constexpr UINT kCheckMs = 500;
// How long the watched window may take to appear after the helper starts.
constexpr ULONGLONG kFirstSightMs = 5000;

struct LocalMemTraits {
    using Type = LPWSTR*;
    static Type Empty() { return nullptr; }
    static bool IsValid(Type p) { return p != nullptr; }
    static void Close(Type p) { ::LocalFree(p); }
};
using ArgList = UniqueHandle<LocalMemTraits>;

struct Options {
    std::wstring title = kDefaultWatched;
    std::wstring logPath;
};

struct Watch {
    std::wstring title;
    bool seen = false;
    ULONGLONG started = 0;
};
Watch g_watch;
UINT g_screenCaptureMessage = 0;

std::wstring g_logPath;

bool IsSwitch(const wchar_t* arg, const wchar_t* name) {
    return (arg[0] == L'-' || arg[0] == L'/') && ::lstrcmpiW(arg + 1, name) == 0;
}

// "-w <title>" and "-log <file>" (or with "/"); the last one given wins.
Options ParseOptions() {
    int count = 0;
    ArgList args(::CommandLineToArgvW(::GetCommandLineW(), &count));
    Options options;
    if (!args) return options;
    for (int i = 1; i + 1 < count; ++i) {
        const wchar_t* a = args.Get()[i];
        if (IsSwitch(a, L"w"))
            options.title = args.Get()[++i];
        else if (IsSwitch(a, L"log"))
            options.logPath = args.Get()[++i];
    }
    return options;
}

void LogNotification(WPARAM wParam, LPARAM lParam) {
    if (g_logPath.empty()) return;
    win::Handle file(::CreateFileW(g_logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    char line[48];
    const int length = ::wsprintfA(line, "%lu,%ld\r\n", static_cast<unsigned long>(wParam), static_cast<long>(lParam));
    DWORD written = 0;
    ::WriteFile(file.Get(), line, static_cast<DWORD>(length), &written, nullptr);
}

struct FindRequest {
    const std::wstring* title;
    HWND self;
    bool found;
};

// FindWindow compares titles without regard to case; the watched title must
// match exactly.
BOOL CALLBACK MatchTitle(HWND hwnd, LPARAM param) {
    auto* request = reinterpret_cast<FindRequest*>(param);
    if (hwnd == request->self) return TRUE;
    const int length = ::GetWindowTextLengthW(hwnd);
    if (length != static_cast<int>(request->title->size())) return TRUE;
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(hwnd, text.data(), length + 1)));
    if (text == *request->title) {
        request->found = true;
        return FALSE;
    }
    return TRUE;
}

bool WatchedWindowExists(HWND self) {
    FindRequest request{&g_watch.title, self, false};
    ::EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&request));
    return request.found;
}

void CheckWatched(HWND hwnd) {
    if (WatchedWindowExists(hwnd)) {
        g_watch.seen = true;
        return;
    }
    if (g_watch.seen || ::GetTickCount64() - g_watch.started >= kFirstSightMs) ::DestroyWindow(hwnd);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != 0 && msg == g_screenCaptureMessage) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, static_cast<LONG_PTR>(MAKELONG(LOWORD(wParam), LOWORD(lParam))));
        LogNotification(wParam, lParam);
        return 1;
    }
    switch (msg) {
        case WM_TIMER:
            if (wParam == kCheckTimer) CheckWatched(hwnd);
            return 0;
        default:
            return win::HelperWindowDefault(hwnd, msg, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    // The mutex, not the window title, decides: two copies started together
    // would both miss each other's window.
    win::Handle single(::CreateMutexW(nullptr, FALSE, kMutexName));
    if (!single || ::GetLastError() == ERROR_ALREADY_EXISTS) return 0;

    const Options options = ParseOptions();
    g_watch.title = options.title;
    g_logPath = options.logPath;
    g_watch.started = ::GetTickCount64();
    g_screenCaptureMessage = ::RegisterWindowMessageW(L"screen capture message");

    HWND hwnd = win::CreateHelperWindow(instance, kClassName, kTitle, WindowProc);
    if (!hwnd) return 1;
    ::SetTimer(hwnd, kCheckTimer, kCheckMs, nullptr);
    return win::PumpUntilQuit() ? 0 : 1;
}
