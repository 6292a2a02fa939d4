#pragma once
// CDialog: a dialog from a template in the program's resources, modal
// (DoModal) or modeless (Create). OnInitDialog, OnOK and OnCancel are the
// usual overrides; IDOK and IDCANCEL reach them unless the map handles them.

#include "framework/ui/Wnd.h"

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId = 0, CWnd* parent = nullptr) : m_templateId(templateId), m_parent(parent) {}

    // Runs the dialog modally; returns the EndDialog result, or -1 when the
    // template cannot be loaded.
    virtual INT_PTR DoModal();
    // Creates the dialog modeless; the message loop gives it keyboard
    // navigation through PreTranslateMessage.
    BOOL Create(UINT templateId = 0, CWnd* parent = nullptr);
    // Modal: ends DoModal with result. Modeless: hides the dialog and
    // records the result; DestroyWindow ends it.
    void EndDialog(int result);
    bool IsModal() const { return m_modal; }
    int Result() const { return m_result; }

    virtual BOOL OnInitDialog() { return TRUE; }
    virtual void OnOK() { CloseWith(IDOK); }
    virtual void OnCancel() { CloseWith(IDCANCEL); }

    BOOL PreTranslateMessage(MSG* msg) override;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    UINT m_templateId;
    CWnd* m_parent;

private:
    // Modal: EndDialog. Modeless: DestroyWindow.
    void CloseWith(int result);
    static INT_PTR CALLBACK StdDlgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    bool m_modal = false;
    int m_result = 0;
};
