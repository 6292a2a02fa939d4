// The shell's side of what the video region detection asks of the recorder
// (region/RecorderLink.h): the recorder window and the session.

#include "region/RecorderLink.h"

#include "app/session/RecorderSession.h"
#include "app/window/WinDlg.h"

HWND RecorderWindowHandle() {
    WinDlg* recorder = RecorderWindow();
    return recorder ? recorder->GetSafeHwnd() : nullptr;
}

void RestoreRecorderWindow() {
    if (WinDlg* recorder = RecorderWindow()) recorder->ShowWindow(SW_RESTORE);
}

void ShowRecorderStatus(const std::wstring& text) { TheSession().ShowStatus(text); }

void RequestRecordingStart() { TheSession().State().StartRequested = true; }
