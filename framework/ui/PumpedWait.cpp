#include "framework/ui/PumpedWait.h"

#include "framework/ui/WinApp.h"

bool PumpPendingMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        if (WalkPreTranslateTree(&msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return true;
}

DWORD PumpedWaitFor(HANDLE handle, DWORD ms) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        const DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= ms) return WAIT_TIMEOUT;
        const DWORD count = handle ? 1 : 0;
        const DWORD rc =
            ::MsgWaitForMultipleObjects(count, handle ? &handle : nullptr, FALSE, ms - elapsed, QS_ALLINPUT);
        if (handle && rc == WAIT_OBJECT_0) return WAIT_OBJECT_0;
        if (rc == WAIT_OBJECT_0 + count) {
            if (!PumpPendingMessages()) return WAIT_ABANDONED;
            continue;
        }
        if (rc == WAIT_TIMEOUT) return WAIT_TIMEOUT;
        if (rc == WAIT_FAILED) return WAIT_FAILED;
    }
}

bool PumpFor(DWORD ms) { return PumpedWaitFor(nullptr, ms) != WAIT_ABANDONED; }
