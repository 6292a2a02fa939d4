#pragma once
// CWnd: the base of every window object. It binds `this` to its HWND (at
// WM_NCCREATE for windows, WM_INITDIALOG for dialogs), dispatches messages
// through the class's message map and falls back to the default procedure.
// The object does not own the window's lifetime beyond DestroyWindow in its
// destructor: a window object outlives its HWND or destroys it.

#include <windows.h>

#include <string>

#include "framework/ui/MessageMap.h"

class CWnd {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd();

    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }

    // Registers a window class whose windows are bound to their CWnd like
    // those of the default class; returns name, or null on failure. A class
    // already registered under name is reused.
    static LPCWSTR RegisterWndClass(LPCWSTR name, UINT style, HCURSOR cursor, HBRUSH background, HICON icon);

    // The window object bound to hwnd, if it is one of ours.
    static CWnd* FromHandlePermanent(HWND hwnd);

    // Creates a window of a registered class (our default class when
    // className is null) bound to this object.
    BOOL CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR title, DWORD style, int x, int y, int width, int height,
                  HWND parent, HMENU menuOrId);
    BOOL DestroyWindow();

    // Message handling: the map first, then DefWindowProc.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Looks the message up in the map chain; true when a handler ran.
    bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Called by the message loop for messages to this window or its
    // children before they are dispatched; true means "consumed".
    virtual BOOL PreTranslateMessage(MSG* msg);
    // Called after WM_NCDESTROY, when m_hWnd is already cleared.
    virtual void PostNcDestroy() {}

    // Thin helpers over the Win32 calls, in MFC's names.
    void SetWindowText(const std::wstring& text) const { ::SetWindowTextW(m_hWnd, text.c_str()); }
    std::wstring GetWindowText() const { return WindowTextOf(m_hWnd); }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    void SetDlgItemText(int id, const std::wstring& text) const { ::SetDlgItemTextW(m_hWnd, id, text.c_str()); }
    std::wstring GetDlgItemText(int id) const { return WindowTextOf(GetDlgItem(id)); }
    // The whole text of any window (empty for a null window).
    static std::wstring WindowTextOf(HWND hwnd);
    void CheckDlgButton(int id, UINT check) const { ::CheckDlgButton(m_hWnd, id, check); }
    UINT IsDlgButtonChecked(int id) const { return ::IsDlgButtonChecked(m_hWnd, id); }
    void EnableDlgItem(int id, bool enable) const { ::EnableWindow(GetDlgItem(id), enable ? TRUE : FALSE); }
    BOOL ShowWindow(int cmd) const { return ::ShowWindow(m_hWnd, cmd); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL EnableWindow(bool enable) const { return ::EnableWindow(m_hWnd, enable ? TRUE : FALSE); }
    UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs) const { return ::SetTimer(m_hWnd, id, elapseMs, nullptr); }
    BOOL KillTimer(UINT_PTR id) const { return ::KillTimer(m_hWnd, id); }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageW(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::PostMessageW(m_hWnd, message, wParam, lParam);
    }
    void GetWindowRect(RECT* rect) const { ::GetWindowRect(m_hWnd, rect); }
    void GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }
    BOOL SetWindowPos(HWND after, int x, int y, int cx, int cy, UINT flags) const {
        return ::SetWindowPos(m_hWnd, after, x, y, cx, cy, flags);
    }
    void Invalidate(bool erase = true) const { ::InvalidateRect(m_hWnd, nullptr, erase ? TRUE : FALSE); }

protected:
    static const MessageMap* GetThisMessageMap();
    virtual const MessageMap* GetMessageMap() const;

    // Binds this object to hwnd (window property) and m_hWnd to hwnd.
    void Attach(HWND hwnd);
    // Undoes Attach when the window is gone.
    void Detach();
    // The end of every window: unbind, tell the application, PostNcDestroy.
    void OnNcDestroyed();

    static LRESULT CALLBACK StdWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LPCWSTR DefaultClassName();
};
