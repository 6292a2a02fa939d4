#pragma once
// CToolTipCtrl: a tooltip window owned by a dialog or window. Tools are
// registered by control window with TTF_SUBCLASS, so the tooltip sees the
// mouse itself and also works inside modal dialogs, whose message loop is
// the system's.

#include <windows.h>

#include <string>

class CWnd;

class CToolTipCtrl {
public:
    CToolTipCtrl() = default;
    CToolTipCtrl(const CToolTipCtrl&) = delete;
    CToolTipCtrl& operator=(const CToolTipCtrl&) = delete;
    ~CToolTipCtrl();

    BOOL Create(CWnd* owner);
    // Shows text while the mouse rests on tool (a child window of the owner).
    BOOL AddTool(HWND tool, const std::wstring& text);
    void UpdateTipText(HWND tool, const std::wstring& text);
    void Activate(bool active) const;
    void SetMaxTipWidth(int width) const;
    int GetToolCount() const;

    HWND m_hWnd = nullptr;

private:
    HWND m_owner = nullptr;
};
