#pragma once
// What the companion helper programs share: one hidden top-level window,
// found by its title, and the message loop that runs until it is destroyed.

#include <windows.h>

namespace win {

// Registers the class and creates the window, never shown whatever show
// command the starter asks for (the recorder finds helpers by title).
// Null on failure.
inline HWND CreateHelperWindow(HINSTANCE instance, const wchar_t* className, const wchar_t* title, WNDPROC proc) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.lpszClassName = className;
    if (!::RegisterClassW(&wc)) return nullptr;
    return ::CreateWindowExW(WS_EX_TOOLWINDOW, className, title, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance,
                             nullptr);
}

// What every helper window does with the messages it does not handle
// itself: its destruction ends the message loop.
inline LRESULT HelperWindowDefault(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

// Dispatches messages until WM_QUIT; false when GetMessage failed.
inline bool PumpUntilQuit() {
    MSG msg;
    BOOL got;
    while ((got = ::GetMessageW(&msg, nullptr, 0, 0)) != 0) {
        if (got == -1) return false;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return true;
}

}  // namespace win
