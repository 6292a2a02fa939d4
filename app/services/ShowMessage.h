#pragma once
// The one message box every user-visible message of the recorder goes
// through: caption "Telvane Message", no owner window, warning icon,
// task-modal and topmost, with OK (MB_OK) or Yes/No (MB_YESNO).

#include <windows.h>

#include <string>

// Returns the button pressed (IDOK, IDYES = 6, IDNO = 7).
int ShowMessage(const std::wstring& text, UINT buttons = MB_OK);
