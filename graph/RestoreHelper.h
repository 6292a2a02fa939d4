#pragma once
// The restore helper (qrrestore.exe, window "QrRestore") is told around run,
// pause and stop with the registered "screen capture message", the two
// numbers as wParam and lParam. It may be absent; then nothing is posted.

#include <windows.h>

class RestoreHelper {
public:
    // Finds the helper's window now; later notifications go to that window.
    RestoreHelper();
    void Notify(WPARAM first, LPARAM second) const;

private:
    HWND m_window = nullptr;
};
