#pragma once
// Thin wrappers over the standard controls. They borrow the control's HWND
// (the dialog owns its controls) and are one-liners over SendMessage.

#include <windows.h>

#include <string>
#include <vector>

#include "framework/ui/Wnd.h"

class CControl {
public:
    CControl() = default;
    explicit CControl(HWND hwnd) : m_hWnd(hwnd) {}
    CControl(const CWnd& dialog, int id) : m_hWnd(dialog.GetDlgItem(id)) {}

    HWND m_hWnd = nullptr;
    explicit operator bool() const { return m_hWnd != nullptr; }

    void SetWindowText(const std::wstring& text) const { ::SetWindowTextW(m_hWnd, text.c_str()); }
    std::wstring GetWindowText() const { return CWnd::WindowTextOf(m_hWnd); }
    BOOL EnableWindow(bool enable) const { return ::EnableWindow(m_hWnd, enable ? TRUE : FALSE); }
    bool IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd) != FALSE; }
    BOOL ShowWindow(int cmd) const { return ::ShowWindow(m_hWnd, cmd); }
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageW(m_hWnd, message, wParam, lParam);
    }
};

class CButton : public CControl {
public:
    using CControl::CControl;
    int GetCheck() const { return static_cast<int>(Send(BM_GETCHECK)); }
    void SetCheck(int check) const { Send(BM_SETCHECK, static_cast<WPARAM>(check)); }
};

class CEdit : public CControl {
public:
    using CControl::CControl;
    void SetLimitText(UINT maxChars) const { Send(EM_SETLIMITTEXT, maxChars); }
    void SetReadOnly(bool readOnly) const { Send(EM_SETREADONLY, readOnly ? TRUE : FALSE); }
    void SetSel(int start, int end) const { Send(EM_SETSEL, static_cast<WPARAM>(start), end); }
    void ReplaceSel(const std::wstring& text) const {
        Send(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    }
};

class CStatic : public CControl {
public:
    using CControl::CControl;
    HBITMAP SetBitmap(HBITMAP bitmap) const {
        return reinterpret_cast<HBITMAP>(Send(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
    }
};

// List and combo boxes share the shape of their calls, not the messages.
class CListBox : public CControl {
public:
    using CControl::CControl;
    int AddString(const std::wstring& text) const {
        return static_cast<int>(Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
    }
    int GetCount() const { return static_cast<int>(Send(LB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(Send(LB_GETCURSEL)); }
    int SetCurSel(int index) const { return static_cast<int>(Send(LB_SETCURSEL, static_cast<WPARAM>(index))); }
    void ResetContent() const { Send(LB_RESETCONTENT); }
    std::wstring GetText(int index) const;
};

class CComboBox : public CControl {
public:
    using CControl::CControl;
    int AddString(const std::wstring& text) const {
        return static_cast<int>(Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
    }
    int GetCount() const { return static_cast<int>(Send(CB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(Send(CB_GETCURSEL)); }
    int SetCurSel(int index) const { return static_cast<int>(Send(CB_SETCURSEL, static_cast<WPARAM>(index))); }
    void ResetContent() const { Send(CB_RESETCONTENT); }
    int FindStringExact(const std::wstring& text) const {
        return static_cast<int>(
            Send(CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str())));
    }
    std::wstring GetLBText(int index) const;
};
