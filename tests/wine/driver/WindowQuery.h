#pragma once
// Finding the windows of a driven program and working its controls the way
// a user would: by title and by control id.
//
// Everything that has to ask the target's thread goes through
// SendMessageTimeout or PostMessage, so a hung or crashed target fails the
// test instead of hanging it.

#include <windows.h>

#include <string>
#include <vector>

namespace driver {

// How long a call that needs the target's answer (text, check state) waits
// for it.
constexpr DWORD kAnswerTimeoutMs = 2000;

// The first top-level window (in z-order, visible or hidden) whose title is
// exactly `title` (case-sensitive) and, when `className` is not empty, whose
// window class is exactly `className` (case-insensitive, like the system's
// class names), owned by process `processId` if that is not 0. Titles are read
// from the window manager's copy, without sending the window any message.
// nullptr if there is none.
HWND FindTopWindow(const std::wstring& title, DWORD processId = 0, const std::wstring& className = L"");

// FindTopWindow, asked every 50 ms until it finds the window or timeoutMs has
// passed (it is asked once more at the end). nullptr on timeout.
HWND WaitForWindow(const std::wstring& title, DWORD timeoutMs, DWORD processId = 0);

// True once no top-level window has that title (asked every 50 ms); false if
// one is still there after timeoutMs.
bool WaitForWindowGone(const std::wstring& title, DWORD timeoutMs);

// The window's text (WM_GETTEXT). Empty if the window has none, does not
// exist or did not answer within kAnswerTimeoutMs.
std::wstring GetText(HWND window);

// GetText of the child with that control id; empty if there is no such child.
std::wstring GetControlText(HWND dialog, int id);

// Sets the text of the child with that control id (WM_SETTEXT, so an edit
// control notifies its parent with EN_CHANGE as after typing). False if there
// is no such child, it did not answer in time or refused the text.
bool SetControlText(HWND dialog, int id, const std::wstring& text);

// Clicks the button with that control id: posts BM_CLICK and returns at once.
// Posted, not sent, because the click handler may open a modal message box
// that the test must then answer. False if there is no such child, it is
// disabled (a user could not click it either) or the post failed.
bool ClickControl(HWND dialog, int id);

// Posts WM_COMMAND with MAKEWPARAM(id, 0) and lParam 0, as choosing a menu
// item does. Returns at once; false if the post failed.
bool SendMenuCommand(HWND window, int id);

// Registers `name` (RegisterWindowMessageW) and posts that message. False if
// either step failed.
bool PostRegisteredMessage(HWND window, const std::wstring& name, WPARAM wParam = 0, LPARAM lParam = 0);

// The entries of the combo box with that control id, in list order; empty
// when there is no such child.
std::vector<std::wstring> ComboItems(HWND dialog, int id);

// Selects the combo box entry with exactly that text and posts its
// CBN_SELCHANGE to the dialog, as a click in the list does. Returns at
// once; false when no entry has the text.
bool ChooseComboItem(HWND dialog, int id, const std::wstring& text);

// Whether the child with that control id exists and is enabled.
bool IsControlEnabled(HWND dialog, int id);

// Whether the child with that control id exists and answers BM_GETCHECK with
// BST_CHECKED within kAnswerTimeoutMs.
bool IsControlChecked(HWND dialog, int id);

// The window's rectangle in screen coordinates; all zero if there is no such
// window.
RECT WindowRect(HWND window);

// Whether the window and all its parents are visible (IsWindowVisible).
bool IsVisible(HWND window);

// Sleeps for ms: time for a driven program to act on what was posted to it
// and to repaint. Use only where there is nothing to wait for.
void Settle(DWORD ms = 200);

}  // namespace driver
