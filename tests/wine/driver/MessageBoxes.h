#pragma once
// Answering the message boxes a driven program opens.

#include <windows.h>

#include <string>

namespace driver {

// The class of dialog boxes, message boxes included.
inline constexpr wchar_t kDialogClass[] = L"#32770";

// Control id of a message box's text, in Windows and in Wine.
constexpr int kMessageBoxTextId = 0xFFFF;

// How long PressButton waits for the box to close.
constexpr DWORD kBoxCloseTimeoutMs = 5000;

// A visible top-level dialog (class "#32770") captioned exactly `caption`,
// owned by process `processId` if that is not 0, asked for every 50 ms
// until timeoutMs has passed. Waiting for it to be visible means it has
// finished WM_INITDIALOG: a message box shows itself only after it has set
// its caption and removed the buttons it does not use. nullptr on timeout.
HWND WaitForMessageBox(const std::wstring& caption, DWORD timeoutMs, DWORD processId = 0);

// The message the box shows: the text of its control 0xFFFF, or, if that is
// missing or empty, the longest text among its "Static" children.
std::wstring MessageBoxText(HWND box);

// Presses the button with that id (IDOK, IDYES, IDNO, IDCANCEL, ...): posts
// BM_CLICK to it, or WM_COMMAND with that id to the box if the box has no
// such child. Then waits up to kBoxCloseTimeoutMs for the box to be
// destroyed. True if the box is gone.
bool PressButton(HWND box, int buttonId);

}  // namespace driver
