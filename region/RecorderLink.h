#pragma once
// What the motion search and the marking window need of the recorder: its
// window (the owner of the marking window and the one the search's result
// is posted to) and two things of the recording session, the status line
// and a start request for the next tick. The application shell implements
// it (app/window/WinDlg.cpp, app/session/RecorderSession.cpp).

#include <windows.h>

#include <string>

// The recorder window "Quorra" of this process; null while there is none.
HWND RecorderWindowHandle();
// Restores the recorder window when there is one.
void RestoreRecorderWindow();
// Shows the text in the recorder window's status line.
void ShowRecorderStatus(const std::wstring& text);
// The next tick starts a recording, as the hotkey asks.
void RequestRecordingStart();
