// zvsln.exe, the silence helper: a hidden top-level window titled "Silence"
// that renders silence to the default speakers through WASAPI shared mode
// for as long as it runs, so that loopback capture of the speakers keeps
// receiving packets while nobody speaks. It follows the default endpoint
// and opens its stream again when the system takes it away
// (SilenceRenderer.h). It ends by itself once no window titled "Quorra" (the
// recorder) has existed for a few seconds, and once it could render nothing
// for five: the recorder then finds no "Silence" window and starts a new
// helper instead of trusting one that has gone quiet.

#include <windows.h>

#include "companions/zvsln/SilenceRenderer.h"
#include "framework/win/HelperWindow.h"

namespace {

constexpr UINT_PTR kCheckTimer = 1;
constexpr UINT kCheckMs = 1000;
// How long the helper waits for the recorder's window, at start and after
// it has gone.
constexpr DWORD kGraceMs = 5000;

DWORD g_lastSeen = 0;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_TIMER:
            if (wParam == kCheckTimer) {
                if (::FindWindowW(nullptr, L"Quorra"))
                    g_lastSeen = ::GetTickCount();
                else if (::GetTickCount() - g_lastSeen >= kGraceMs)
                    ::DestroyWindow(hwnd);
            }
            return 0;
        case kCannotRenderMessage:
            ::DestroyWindow(hwnd);
            return 0;
        default:
            return win::HelperWindowDefault(hwnd, msg, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    HWND hwnd = win::CreateHelperWindow(instance, L"TelvaneSilence", L"Silence", WindowProc);
    if (!hwnd) return 1;
    g_lastSeen = ::GetTickCount();
    ::SetTimer(hwnd, kCheckTimer, kCheckMs, nullptr);
    SilenceRenderer silence(hwnd);
    if (!silence.Start()) {
        ::DestroyWindow(hwnd);
        return 1;
    }
    win::PumpUntilQuit();
    return 0;
}
