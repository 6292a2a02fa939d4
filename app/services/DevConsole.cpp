#include "app/services/DevConsole.h"

#include <richedit.h>

#include <atomic>

#include "app/services/DiagnosticLog.h"
#include "framework/win/Handles.h"
#include "resources/resource.h"

namespace {

std::atomic<HWND> g_console{nullptr};

// Called from whichever thread logs: the insertion is a sent message, so a
// worker waits while the GUI thread inserts.
void InsertIntoConsole(const std::wstring& text) {
    if (HWND console = g_console.load())
        ::SendMessageW(console, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace

HWND CreateDevConsole(HWND frame) {
    // Loaded for the process lifetime: the control's class lives in it.
    static const HMODULE richEdit = ::LoadLibraryW(L"riched20.dll");
    if (!richEdit) return nullptr;
    RECT client{};
    ::GetClientRect(frame, &client);
    HWND console =
        ::CreateWindowExW(0, RICHEDIT_CLASSW, L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL,
                          0, 0, client.right, client.bottom, frame,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_LOG)), ::GetModuleHandleW(nullptr), nullptr);
    if (!console) return nullptr;
    ::SendMessageW(console, EM_EXLIMITTEXT, 0, 1000000);
    static win::Font font(::CreateFontW(14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                        DEFAULT_PITCH | FF_SWISS, L"arial"));
    ::SendMessageW(console, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
    g_console.store(console);
    SetLogSink(&InsertIntoConsole);
    return console;
}

void ClearDevConsole() {
    if (HWND console = g_console.load()) ::SetWindowTextW(console, L"");
}
