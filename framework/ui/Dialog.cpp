#include "framework/ui/Dialog.h"

namespace {

// Tells StdDlgProc that the default procedure was asked for: the message
// is reported as not handled so the dialog manager does its own work.
thread_local bool t_wantsDefault = false;

}  // namespace

INT_PTR CDialog::DoModal() {
    m_modal = true;
    HWND owner = m_parent ? m_parent->m_hWnd : nullptr;
    INT_PTR result = ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId), owner,
                                       &CDialog::StdDlgProc, reinterpret_cast<LPARAM>(this));
    m_modal = false;
    return result;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
    if (templateId) m_templateId = templateId;
    if (parent) m_parent = parent;
    m_modal = false;
    HWND owner = m_parent ? m_parent->m_hWnd : nullptr;
    HWND hwnd = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId), owner,
                                     &CDialog::StdDlgProc, reinterpret_cast<LPARAM>(this));
    return hwnd != nullptr;
}

void CDialog::EndDialog(int result) {
    m_result = result;
    if (m_modal)
        ::EndDialog(m_hWnd, result);
    else
        ::ShowWindow(m_hWnd, SW_HIDE);
}

void CDialog::CloseWith(int result) {
    m_result = result;
    if (m_modal)
        ::EndDialog(m_hWnd, result);
    else
        DestroyWindow();
}

BOOL CDialog::PreTranslateMessage(MSG* msg) { return m_hWnd && ::IsDialogMessageW(m_hWnd, msg); }

LRESULT CDialog::DefWindowProc(UINT, WPARAM, LPARAM) {
    t_wantsDefault = true;
    return 0;
}

INT_PTR CALLBACK CDialog::StdDlgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* self = static_cast<CDialog*>(FromHandlePermanent(hwnd));
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        if (!self) return FALSE;
        self->Attach(hwnd);
        LRESULT result = 0;
        if (self->OnWndMsg(message, wParam, lParam, &result)) return result;
        return self->OnInitDialog();
    }
    if (!self) return FALSE;

    INT_PTR handled = TRUE;
    LRESULT result = 0;
    if (!self->OnWndMsg(message, wParam, lParam, &result)) {
        if (message == WM_COMMAND && LOWORD(wParam) == IDOK && HIWORD(wParam) == BN_CLICKED) {
            self->OnOK();
        } else if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
            self->OnCancel();
        } else {
            // Overrides of WindowProc may still handle it; otherwise the
            // dialog manager's default applies.
            t_wantsDefault = false;
            result = self->WindowProc(message, wParam, lParam);
            handled = t_wantsDefault ? FALSE : TRUE;
            t_wantsDefault = false;
        }
    }
    if (message == WM_NCDESTROY) {
        self->OnNcDestroyed();
        return FALSE;
    }
    if (!handled) return FALSE;
    switch (message) {
        // These return their value directly instead of through DWLP_MSGRESULT.
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_QUERYDRAGICON:
        case WM_INITDIALOG:
            return static_cast<INT_PTR>(result);
        default:
            ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
            return TRUE;
    }
}
